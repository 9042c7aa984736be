#include "capture/frame_capture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "capture/png_writer.h"
#include "capture/virtual_clock.h"
#include "shell/frame_loop.h"
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
    if (settings.videoPath.empty()) return true;
    // The window's size is fixed; the show draws 1024 x 768.
    error = video.start({settings.videoPath, 1024, 768, settings.fps, frameLimit, settings.musicPath});
    return error.empty();
}

bool FrameCapture::writeVideoFrame()
{
    windowPixels.resize(static_cast<std::size_t>(mainWindow.width) * mainWindow.height * 4);
    // BGRA is the order these drivers read back fastest.
    glReadPixels(0, 0, mainWindow.width, mainWindow.height, GL_BGRA, GL_UNSIGNED_BYTE, windowPixels.data());
    const std::string failure = video.writeFrame(windowPixels.data());
    if (failure.empty()) return true;
    error = "cannot write the video " + settings.videoPath + ": " + failure;
    return false;
}

bool FrameCapture::write(const std::string& name, const std::uint8_t* rgba, std::int32_t width, std::int32_t height,
                         bool keepAlpha)
{
    const std::string path = settings.directory + "/" + name;
    const std::string failure = writePng(path, {rgba, width, height, true, keepAlpha});
    if (failure.empty()) return true;
    error = "cannot write " + path + ": " + failure;
    return false;
}

void FrameCapture::writeLayers(std::int64_t frame)
{
    for (int i = 0; i < renderTargets.count && error.empty(); ++i) {
        RenderTexture& target = renderTargets.target(i);
        // After compositing the target counts as bound, so its read-back
        // binds nothing itself: bind its name here, in the window's context,
        // so the read-back reads this target and not the last one composited.
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        glBindTexture(GL_TEXTURE_2D, target.textureName);
        const std::uint8_t* pixels = target.readPixels();
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
        write(captureFileName(frame, i), pixels, target.width, target.height, true);
    }
    mainWindow.makeCurrent();
}

void FrameCapture::afterFrame()
{
    const std::int64_t frame = virtualFrame();
    // Timed from the first frame: the pace excludes window and start-up.
    if (!progress) progress = std::make_unique<CaptureProgress>(frameLimit);
    if (!settings.videoPath.empty()) {
        writeVideoFrame();
    } else {
        windowPixels.resize(static_cast<std::size_t>(mainWindow.width) * mainWindow.height * 4);
        glReadPixels(0, 0, mainWindow.width, mainWindow.height, GL_RGBA, GL_UNSIGNED_BYTE, windowPixels.data());
        if (write(captureFileName(frame), windowPixels.data(), mainWindow.width, mainWindow.height, false) &&
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

void FrameCapture::end()
{
    if (progress) progress->finish(framesWritten);
    progress.reset();
    // The window was closed or the process asked to stop (SIGINT, SIGTERM):
    // what was written is complete frames, but not the capture asked for.
    if (error.empty() && framesWritten < frameLimit)
        error = "interrupted after " + std::to_string(framesWritten) + " of " + std::to_string(frameLimit) + " frames";
    if (video.running()) {
        // ffmpeg's own verdict counts: a video it could not finish is no success.
        if (error.empty()) std::fputs("qelo: finishing the video...\n", stderr);
        const std::string failure = video.finish();
        if (!failure.empty() && error.empty()) error = "cannot finish the video " + settings.videoPath + ": " + failure;
        else if (!failure.empty()) error += "; " + failure;
    }
    const std::string& written = settings.videoPath.empty() ? settings.directory : settings.videoPath;
    if (!error.empty())
        std::fprintf(stderr, "qelo: %s; capture stopped\n", error.c_str());
    else
        std::fprintf(stderr, "qelo: wrote %lld frame%s (%d a second, %.3f s) to %s\n",
                     static_cast<long long>(framesWritten), framesWritten == 1 ? "" : "s", settings.fps,
                     static_cast<double>(framesWritten) / settings.fps, written.c_str());
}

}  // namespace qelo
