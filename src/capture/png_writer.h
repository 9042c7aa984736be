#pragma once
// Pictures to PNG files, through libpng.
#include <cstdint>
#include <string>

namespace qelo {

struct PngPicture {
    const std::uint8_t* rgba = nullptr;  // width x height x 4 bytes, rows packed
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool bottomUp = false;   // row 0 is the picture's bottom row (GL read-back order)
    bool keepAlpha = false;  // an RGBA file; otherwise RGB, alpha dropped
};

// Writes an 8-bit PNG at path, favouring speed over size. Returns an empty
// string on success, otherwise why it failed (the file may then be partial).
std::string writePng(const std::string& path, const PngPicture& picture);

}  // namespace qelo
