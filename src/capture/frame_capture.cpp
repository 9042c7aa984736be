#include "capture/frame_capture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "capture/png_writer.h"
#include "capture/virtual_clock.h"
#include "shell/frame_loop.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo {

std::string captureFileName(std::int64_t frame, int target)
{
    char name[64];
    if (target < 0)
        std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
    else
        std::snprintf(name, sizeof name, "frame-%06lld-target%d.png", static_cast<long long>(frame), target);
    return name;
}

FrameCapture::FrameCapture(CaptureSettings settings) : settings(std::move(settings))
{
    const std::int64_t wholeShow = framesUntilShowEnds(this->settings.fps, showLength);
    frameLimit = wholeShow;
    if (this->settings.untilSeconds > 0) {
        // Frames whose time lies before the limit; the small allowance keeps
        // e.g. 0.1 s at 30 fps (3.0000000000000004 frames) at 3.
        const double frames = std::ceil(this->settings.untilSeconds * this->settings.fps - 1e-9);
        if (frames < static_cast<double>(wholeShow)) frameLimit = std::max<std::int64_t>(1, static_cast<std::int64_t>(frames));
    }
}

bool FrameCapture::begin()
{
    installVirtualClock(settings.fps);
    // Nothing looks at the window: the frame is put together in memory,
    // with the window's own arithmetic, from the targets' pictures.
    renderTargets.composeInMemory = true;
    if (settings.videoPath.empty()) return true;
    if (!settings.musicPath.empty()) {
        // Sound is a bonus: without it the video is still the show.
        const std::string why = musicProblem(VideoSettings{}.program, settings.musicPath);
        if (!why.empty()) {
            std::fprintf(stderr, "qelo: cannot use the music %s (%s); the video will have no sound\n",
                         settings.musicPath.c_str(), why.c_str());
            settings.musicPath.clear();
        }
    }
    // The window's size is fixed; the show draws 1024 x 768.
    VideoSettings output{settings.videoPath, 1024, 768, settings.fps, frameLimit, settings.musicPath};
    output.quality = settings.quality;
    error = video.start(output);
    if (error.empty()) {
        composer = std::make_unique<BackgroundComposer>(video);
        renderTargets.picturesOutliveFrame = true;  // the composer blends a frame while the next is drawn
    }
    return error.empty();
}

const std::uint8_t* FrameCapture::framePixels()
{
    if (renderTargets.frameInMemory) return renderTargets.composeFrame();
    const std::size_t rowBytes = static_cast<std::size_t>(mainWindow.width) * 4;
    windowPixels.resize(rowBytes * mainWindow.height);
    glReadPixels(0, 0, mainWindow.width, mainWindow.height, GL_RGBA, GL_UNSIGNED_BYTE, windowPixels.data());
    // GL reads the bottom row first.
    std::vector<std::uint8_t> row(rowBytes);
    for (std::int32_t top = 0, bottom = mainWindow.height - 1; top < bottom; ++top, --bottom) {
        std::uint8_t* a = windowPixels.data() + top * rowBytes;
        std::uint8_t* b = windowPixels.data() + bottom * rowBytes;
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
    return windowPixels.data();
}

bool FrameCapture::writeVideoFrame()
{
    std::string failure;
    if (renderTargets.frameInMemory && composer) {
        // This frame's read-back overwrites the pictures the frame before
        // was blended from.
        composer->waitForLayers();
        failure = composer->submit(renderTargets.readLayers());
    } else {
        if (composer) failure = composer->drain();  // frames stay in order
        if (failure.empty()) failure = video.writeFrame(framePixels());
    }
    if (failure.empty()) return true;
    error = "cannot write the video " + settings.videoPath + ": " + failure;
    return false;
}

bool FrameCapture::write(const std::string& name, const std::uint8_t* rgba, std::int32_t width, std::int32_t height,
                         bool bottomUp, bool keepAlpha)
{
    const std::string path = settings.directory + "/" + name;
    const std::string failure = writePng(path, {rgba, width, height, bottomUp, keepAlpha});
    if (failure.empty()) return true;
    error = "cannot write " + path + ": " + failure;
    return false;
}

void FrameCapture::writeLayers(std::int64_t frame)
{
    for (int i = 0; i < renderTargets.count && error.empty(); ++i) {
        const RenderTexture& target = renderTargets.target(i);
        write(captureFileName(frame, i), renderTargets.readPicture(i), target.width, target.height, true, true);
    }
    mainWindow.makeCurrent();
}

void FrameCapture::afterFrame()
{
    const std::int64_t frame = virtualFrame();
    // Timed from the first frame: the pace excludes window and start-up.
    if (!progress) progress = std::make_unique<CaptureProgress>(frameLimit, settings.videoPath);
    if (!settings.videoPath.empty()) {
        writeVideoFrame();
    } else {
        if (write(captureFileName(frame), framePixels(), mainWindow.width, mainWindow.height, false, false) &&
            settings.layers) writeLayers(frame);
    }

    if (!error.empty()) {
        mainWindow.running = false;
        return;
    }
    framesWritten = frame + 1;
    progress->update(framesWritten);
    if (framesWritten >= frameLimit) mainWindow.running = false;
    setVirtualFrame(frame + 1);
}

std::string FrameCapture::framesHeld() const
{
    if (framesWritten == 0) return "no frames";
    char text[160];
    std::snprintf(text, sizeof text, "%lld frame%s (%.3f s)", static_cast<long long>(framesWritten),
                  framesWritten == 1 ? "" : "s", static_cast<double>(framesWritten) / settings.fps);
    return text;
}

void FrameCapture::end()
{
    if (progress) progress->finish(framesWritten);
    progress.reset();
    if (composer) {
        const std::string failure = composer->drain();
        composer.reset();
        renderTargets.picturesOutliveFrame = false;
        if (!failure.empty() && error.empty()) error = "cannot write the video " + settings.videoPath + ": " + failure;
    }
    // The window was closed or the process asked to stop (SIGINT, SIGTERM):
    // the frames written are complete, but not the capture asked for.
    const bool stopped = error.empty() && framesWritten < frameLimit;
    if (stopped)
        error = "interrupted after " + std::to_string(framesWritten) + " of " + std::to_string(frameLimit) + " frames";
    const std::string outcome = settings.videoPath.empty() ? endFrames() : endVideo(stopped);
    if (error.empty())
        std::fprintf(stderr, "qelo: wrote %lld frame%s (%d a second, %.3f s) to %s\n",
                     static_cast<long long>(framesWritten), framesWritten == 1 ? "" : "s", settings.fps,
                     static_cast<double>(framesWritten) / settings.fps, outcome.c_str());
    else
        std::fprintf(stderr, "qelo: %s; %s\n", error.c_str(), outcome.c_str());
}

std::string FrameCapture::endFrames() const
{
    if (error.empty()) return settings.directory;
    if (framesWritten == 0) return settings.directory + " holds no frames of it";
    return settings.directory + " holds its first " + framesHeld() + ", frame-000000.png to " +
           captureFileName(framesWritten - 1);
}

std::string FrameCapture::endVideo(bool stopped)
{
    const bool keep = (error.empty() || stopped) && framesWritten > 0;
    if (video.running() && (keep || !stopped)) {
        // ffmpeg's own verdict counts: a video it could not finish is no
        // success. After a failed write it tells why it stopped.
        if (keep && !stopped) std::fputs("qelo: finishing the video...\n", stderr);
        const std::string failure = video.finish();
        if (!failure.empty()) {
            const std::string why = "cannot finish the video " + settings.videoPath + ": " + failure;
            error = error.empty() ? why : stopped ? error + "; " + why : error + "; " + failure;
        } else if (keep) {
            const std::int64_t bytes = fileBytes(settings.videoPath);
            const std::string size =
                bytes < 0 ? std::string() : sizeAndRate(bytes, static_cast<double>(framesWritten) / settings.fps);
            const std::string sized = size.empty() ? "" : ": " + size;
            return stopped ? "kept the video " + settings.videoPath + ", which holds " + framesHeld() + sized
                           : settings.videoPath + sized;
        }
    }
    // Nothing worth keeping: a half-made file, or one without frames.
    bool removed = false;
    const std::string removal = video.discard(&removed);
    if (!removal.empty()) return removal + "; the video there is unfinished";
    return removed && framesWritten > 0 ? "removed the unfinished video " + settings.videoPath : "no video written";
}

}  // namespace qelo
