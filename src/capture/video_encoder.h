#pragma once
// A video made by Debian's ffmpeg command: raw frames go down a pipe to it,
// it encodes H.264 (yuv420p) and muxes the music in from its first sample, so
// show time 0 is the music's start. Linux (POSIX) only, like the capture.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "shell/video_quality.h"

namespace qelo {

struct VideoSettings {
    std::string path;        // .mp4 or .mkv, absolute
    std::int32_t width = 0;  // of every frame
    std::int32_t height = 0;
    std::int32_t fps = 60;
    std::int64_t frames = 0;  // the video's length; the music is cut to it
    std::string musicPath;    // empty or unreadable: a video without sound
    std::string program = "ffmpeg";
    VideoQuality quality = VideoQuality::share;
};

// The ffmpeg arguments (program name first) for these settings. Frames come
// as yuv420p (yuv_frame.h), top row first, on standard input.
std::vector<std::string> ffmpegArguments(const VideoSettings& settings);

// ffmpeg's environment: `parent` (a null-terminated list, may be null) with
// heap settings for glibc merged into GLIBC_TUNABLES ahead of any given.
std::vector<std::string> ffmpegEnvironment(const char* const* parent);

// Where `program` would be run from: the path found on $PATH (or the name
// itself when it contains a slash and is executable); empty when nowhere.
std::string findProgram(const std::string& program);

// Why ffmpeg cannot take its sound from `musicPath` (unreadable, or its
// first second does not decode), or empty when it can.
std::string musicProblem(const std::string& program, const std::string& musicPath);

class VideoEncoder {
public:
    VideoEncoder() = default;
    ~VideoEncoder();  // a video not finished is discarded
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Starts ffmpeg. Returns an empty string, or why it could not start.
    std::string start(const VideoSettings& settings);
    // One frame of width x height RGBA pixels, top row first. Returns an
    // empty string, or why the frame could not be delivered (ffmpeg stopped
    // early).
    std::string writeFrame(const std::uint8_t* rgba);
    // One frame already converted: yuv420Bytes(width, height) bytes.
    std::string writeYuvFrame(const std::uint8_t* yuv);
    std::int32_t width() const { return settings.width; }
    std::int32_t height() const { return settings.height; }
    // Closes the pipe and waits for ffmpeg. Returns an empty string when it
    // exited with status 0, else what went wrong.
    std::string finish();
    // Stops ffmpeg if it runs and removes the file it wrote (a regular file
    // only; `removed` tells whether there was one). Returns an empty string,
    // or why the file could not be removed.
    std::string discard(bool* removed = nullptr);

    bool running() const { return child > 0; }

private:
    std::string waitForExit();

    VideoSettings settings;
    std::vector<std::uint8_t> converted;  // writeFrame's frame as yuv420p
    pid_t child = -1;
    int pipeToChild = -1;
};

}  // namespace qelo
