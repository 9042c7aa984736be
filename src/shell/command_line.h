#pragma once
// The Linux command line. No arguments give the show as it always was: the
// full-screen question, the window, 120 s. Options skip the question, choose
// where the data lies, or capture the show off-screen; none changes what it
// draws.
#include <cstdint>
#include <string>

namespace qelo {

enum class ScreenMode { Ask, Windowed, Fullscreen };

struct CommandLine {
    ScreenMode screen = ScreenMode::Ask;
    std::string dataDirectory;     // empty: found by the entry point
    std::string captureDirectory;  // empty: play live in a window
    std::int32_t fps = 60;         // capture frames a second, 1..1000
    double untilSeconds = 0.0;     // > 0: capture stops before this show time
    bool layers = false;           // capture also writes the targets' pictures
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    CommandLine options;
    std::string error;  // empty when the arguments are valid; else one line
};

// Accepts "--name value" and "--name=value". argv[0] is the program.
ParsedCommandLine parseCommandLine(int argc, const char* const argv[]);

// The --help text.
std::string usageText(const char* program);

}  // namespace qelo
