#pragma once
// Frame-exact capture of the show: the virtual clock, one PNG per frame
// (optionally the five targets' pictures too) or a video through ffmpeg, and
// the progress bar. Runs as the frame loop's per-frame hook; the loop itself
// is the show's own.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/background_composer.h"
#include "capture/progress.h"
#include "capture/video_encoder.h"

namespace qelo {

struct CaptureSettings {
    std::string directory;    // PNG frames: exists and is writable
    std::string videoPath;    // instead a video (.mp4, .mkv), absolute
    std::string musicPath;    // the video's sound; empty: none
    VideoQuality quality = VideoQuality::share;  // the video's encoding
    std::int32_t fps = 60;
    double untilSeconds = 0;  // > 0: stop before this show time; 0: the whole show
    bool layers = false;      // also each target's picture, with its alpha
};

class FrameCapture {
public:
    explicit FrameCapture(CaptureSettings settings);

    // Installs the virtual clock at frame 0 and, for a video, starts ffmpeg.
    // Call before the window exists. False (and `error` says why) when the
    // video cannot be made.
    bool begin();
    // After each frame step, window context current: writes frame k, then
    // moves the clock to frame k + 1, or ends the show at the --until limit
    // or on a write error.
    void afterFrame();
    // Ends the progress bar, finishes the video and says what was written.
    // A capture stopped early (signal, window closed) keeps its complete
    // frames and sets `error`; a video that cannot be finished, or holds no
    // frame, is removed.
    void end();

    std::int64_t framesWritten = 0;
    std::string error;  // set when a write failed; the show was stopped

private:
    bool write(const std::string& name, const std::uint8_t* rgba, std::int32_t width, std::int32_t height,
               bool bottomUp, bool keepAlpha);
    // This frame's pixels, RGBA, top row first.
    const std::uint8_t* framePixels();
    void writeLayers(std::int64_t frame);
    bool writeVideoFrame();
    // "12 frames (0.400 s)", or "no frames".
    std::string framesHeld() const;
    // Close the capture; each returns what became of the output.
    std::string endFrames() const;
    std::string endVideo(bool stopped);

    CaptureSettings settings;
    std::int64_t frameLimit;  // frames to capture
    std::vector<std::uint8_t> windowPixels;
    std::unique_ptr<CaptureProgress> progress;
    VideoEncoder video;
    std::unique_ptr<BackgroundComposer> composer;  // a video's frames; gone before `video`
};

// "frame-000042.png"; with a target index, "frame-000042-target3.png".
std::string captureFileName(std::int64_t frame, int target = -1);

}  // namespace qelo
