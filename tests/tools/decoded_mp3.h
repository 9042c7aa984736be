#pragma once
// An MP3 decoded with libmpg123 (gapless: encoder delay and padding removed),
// for checking the shipped music.
#include <filesystem>
#include <string>

#include "sound/buffer.h"

namespace qelo::assetgen::reference {

struct DecodedMp3 {
    StereoBuffer audio;
    long rate = 0;
    int channels = 0;
    std::string error;  // empty on success
};

DecodedMp3 decodeMp3(const std::filesystem::path& path);

}  // namespace qelo::assetgen::reference
