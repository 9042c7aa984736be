#pragma once
// Baseline JPEG (ITU-T T.81 sequential, Huffman, 8-bit, SOF0) to RGBA.
#include <cstdint>

#include "render/texture.h"

namespace qelo {

struct DecodeResult {
    Texture& texture;   // the texture passed in
    const char* error;  // null on success; otherwise a short reason, a static string
    explicit operator bool() const { return error == nullptr; }
};

// Decodes `size` bytes at `bytes` and hands the picture to texture.writePixels.
// Never reads outside [bytes, bytes + size). On failure the texture receives
// nothing.
DecodeResult decode(Texture& texture, const std::uint8_t* bytes, std::int32_t size);

}  // namespace qelo
