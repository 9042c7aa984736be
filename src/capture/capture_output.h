#pragma once
// What a capture may write over. A user's file is never replaced unasked:
// an existing video path, or a directory that already holds frames, is
// refused unless overwriting was asked for.
#include <filesystem>
#include <string>

namespace qelo {

// Whether `directory` holds a captured frame (a file frame-*.png).
bool holdsFrames(const std::filesystem::path& directory);

// Empty when a capture may write `output` (a video file, or else a directory
// of frames); otherwise why not, one line without the program's name.
std::string overwriteRefusal(const std::filesystem::path& output, bool video);

// Removes the frame-*.png files of `directory`, so that it holds one capture
// only. Empty, or why a file could not be removed.
std::string removeFrames(const std::filesystem::path& directory);

// Readies `output` for a capture: without `overwrite` a refusal ends the
// program with exit code 2 (usage); with it a directory loses its old frames
// (failing that, exit code 1). An empty error: go on.
struct OutputClaim {
    std::string error;  // one line without the program's name
    int exitCode = 0;
};
OutputClaim claimOutput(const std::filesystem::path& output, bool video, bool overwrite);

}  // namespace qelo
