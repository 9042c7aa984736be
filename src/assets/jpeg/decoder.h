#pragma once
// Baseline JPEG (ITU-T T.81 sequential, Huffman, 8-bit, SOF0) to RGBA.
#include <cstdint>
#include <limits>

#include "render/texture.h"

namespace qelo {

struct DecodeResult {
    Texture& texture;   // the texture passed in
    const char* error;  // null on success; otherwise a short reason, a static string
    // The picture's size as its frame header gives it; 0 x 0 when no frame
    // header was reached.
    std::int32_t width = 0;
    std::int32_t height = 0;
    explicit operator bool() const { return error == nullptr; }
};

// The reason given for a picture whose power-of-two storage (storageSizeFor)
// exceeds maxTextureSize on either side. One array in the whole program, so
// callers may recognise the reason by its address.
inline constexpr char largerThanTexture[] = "picture larger than the largest texture";

// No texture limit of the caller's own: only the decoder's 256 MiB of pixels.
inline constexpr std::int32_t anyTextureSize = std::numeric_limits<std::int32_t>::max();

// Decodes `size` bytes at `bytes` and hands the picture to texture.writePixels.
// A picture whose storage would exceed maxTextureSize texels on a side is
// refused when its frame header is read, before any pixels are allocated.
// Never reads outside [bytes, bytes + size). On failure the texture receives
// nothing.
DecodeResult decode(Texture& texture, const std::uint8_t* bytes, std::int32_t size,
                    std::int32_t maxTextureSize = anyTextureSize);

}  // namespace qelo
