#pragma once
// RGBA frames to planar YUV 4:2:0 (yuv420p: the Y plane, then U, then V),
// the form the video is encoded in, so that the encoder reads 1.5 bytes a
// pixel instead of 4 and has nothing to convert. BT.601 in the video range:
// Y = 16 + round(219/255 * (0.299 R + 0.587 G + 0.114 B)), U and V around
// 128 from the mean of each 2 x 2 block (224/255 of the full swing), in
// fixed point; alpha is ignored. An odd last column or row pairs with itself.
#include <cstddef>
#include <cstdint>

namespace qelo {

// Bytes of a yuv420p frame of width x height pixels.
std::size_t yuv420Bytes(std::int32_t width, std::int32_t height);

// Instructions the conversion may use; each gives the same bytes.
enum class YuvPath { scalar, avx2 };

// The planes' rows for one pair of picture rows.
struct YuvRows {
    std::uint8_t* y0;  // luma of the upper row
    std::uint8_t* y1;  // luma of the lower row (null for an odd last row)
    std::uint8_t* u;
    std::uint8_t* v;
};

// Converts two RGBA rows of `width` pixels (`lower` may equal `upper`).
void rgbaRowsToYuv420(const std::uint8_t* upper, const std::uint8_t* lower, std::int32_t width, const YuvRows& out,
                      YuvPath widest = YuvPath::avx2);

// A whole frame, rows top first as given, into yuv420Bytes(width, height) bytes at `yuv`.
void rgbaToYuv420(const std::uint8_t* rgba, std::int32_t width, std::int32_t height, std::uint8_t* yuv,
                  YuvPath widest = YuvPath::avx2);

// Where pixel row `row`'s pair (row / 2) writes in a yuv420p frame.
YuvRows yuvRowsAt(std::uint8_t* yuv, std::int32_t width, std::int32_t height, std::int32_t row);

}  // namespace qelo
