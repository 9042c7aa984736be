#pragma once
// A JPEG file decoded with libjpeg, with the header facts the show's own
// decoder depends on.
#include <cstdint>
#include <string>
#include <vector>

namespace qelo::assetgen::reference {

struct DecodedJpeg {
    int width = 0, height = 0, components = 0, precision = 0;
    bool progressive = false, arithmetic = false;
    int sampling[3][2] = {};  // horizontal, vertical factor of each component
    bool hasSof0 = false;     // a baseline frame marker is present
    std::vector<std::uint8_t> rgb;
    std::string error;  // empty on success
};

DecodedJpeg decodeJpeg(const std::vector<std::uint8_t>& file);

}  // namespace qelo::assetgen::reference
