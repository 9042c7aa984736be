#pragma once
// The Linux command line. No arguments give the show as it always was: the
// full-screen question, the window, 120 s. Options skip the question, choose
// where the data lies and which renderer draws, capture the show off-screen
// or time it; none changes what it draws.
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/renderer_kind.h"
#include "shell/video_quality.h"

namespace qelo {

enum class ScreenMode { Ask, Windowed, Fullscreen };

struct CommandLine {
    ScreenMode screen = ScreenMode::Ask;
    std::string dataDirectory;     // empty: found by the entry point
    std::string capturePath;       // empty: no capture; a directory of PNGs or a video file
    bool captureVideo = false;     // capturePath names a video (.mp4 or .mkv)
    bool benchmark = false;        // render the whole show off-screen, time it, write nothing
    std::int32_t fps = 60;         // capture frames a second, 1..1000
    double untilSeconds = 0.0;     // > 0: the show (live, captured or benchmarked) ends at this show time
    RendererRequest renderer = RendererRequest::automatic;
    bool stats = false;            // live play prints its frame-time table at the end
    bool layers = false;           // capture also writes the targets' pictures
    bool overwrite = false;        // capture may replace an existing video or frames
    VideoQuality quality = VideoQuality::share;  // of a captured video
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    CommandLine options;
    std::string error;  // empty when the arguments are valid; else one line
};

// Whether a capture path names a video rather than a directory of frames:
// its name ends in a video suffix (".mp4", ".mkv", also ones not written),
// in any case.
bool isVideoName(std::string_view name);

// Accepts "--name value" and "--name=value". argv[0] is the program.
ParsedCommandLine parseCommandLine(int argc, const char* const argv[]);

// The --help text.
std::string usageText(const char* program);

}  // namespace qelo
