#pragma once
// Pictures as baseline JPEG: SOF0, standard Huffman tables, 8-bit, YCbCr with
// 2x2 luma and 1x1 chroma sampling (4:2:0). That is the subset the show's
// own decoder reads, so nothing else may be written here.
#include <cstdint>
#include <vector>

#include "picture/canvas.h"

namespace qelo::assetgen {

inline constexpr int jpegQuality = 92;

// The whole file in memory. Encoded with libjpeg; no time stamps or other
// varying data, so the same canvas gives the same bytes.
std::vector<std::uint8_t> encodeJpeg(const Canvas& canvas, int quality = jpegQuality);

}  // namespace qelo::assetgen
