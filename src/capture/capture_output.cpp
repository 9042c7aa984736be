#include "capture/capture_output.h"

#include <system_error>
#include <vector>

namespace qelo {

namespace fs = std::filesystem;

namespace {

// The names captureFileName gives, with or without a target index.
bool isFrameName(const std::string& name) { return name.starts_with("frame-") && name.ends_with(".png"); }

}  // namespace

bool holdsFrames(const fs::path& directory)
{
    std::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error))
        if (isFrameName(entry->path().filename().string())) return true;
    return false;
}

std::string overwriteRefusal(const fs::path& output, bool video)
{
    std::error_code error;
    if (video) {
        // A dangling link counts: writing through it would create its target.
        if (!fs::exists(fs::symlink_status(output, error))) return {};
        return "the video " + output.string() + " exists; give --overwrite to replace it, or another name";
    }
    if (!holdsFrames(output)) return {};
    return output.string() + " already holds frames (frame-*.png); give --overwrite to replace them, or another directory";
}

std::string removeFrames(const fs::path& directory)
{
    // Listed first: removing entries while reading the directory may skip some.
    std::vector<fs::path> frames;
    std::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error))
        if (isFrameName(entry->path().filename().string())) frames.push_back(entry->path());
    if (error) return "cannot read " + directory.string() + ": " + error.message();
    for (const fs::path& frame : frames)
        if (fs::remove(frame, error); error) return "cannot remove " + frame.string() + ": " + error.message();
    return {};
}

OutputClaim claimOutput(const fs::path& output, bool video, bool overwrite)
{
    if (!overwrite) {
        std::string refusal = overwriteRefusal(output, video);
        return {refusal, refusal.empty() ? 0 : 2};
    }
    if (video) return {};  // ffmpeg replaces the file
    std::string failure = removeFrames(output);
    return {failure, failure.empty() ? 0 : 1};
}

}  // namespace qelo
