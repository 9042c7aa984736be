#pragma once
// File name suffixes compared as file managers and ffmpeg do: "Show.MP4"
// is a video as much as "show.mp4".
#include <string_view>

namespace qelo {

// Whether `name` ends in `suffix`, ASCII letters compared without case.
bool hasSuffixIgnoringCase(std::string_view name, std::string_view suffix);

}  // namespace qelo
