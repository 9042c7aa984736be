#pragma once
// A JPEG file decoded with libjpeg to RGB.
#include <cstdint>
#include <string>
#include <vector>

namespace qelo::assetgen::reference {

struct DecodedJpeg {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    std::string error;  // empty on success
};

DecodedJpeg decodeJpeg(const std::vector<std::uint8_t>& file);

}  // namespace qelo::assetgen::reference
