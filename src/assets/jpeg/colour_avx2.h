#pragma once
// The colour conversion's inner loop with AVX2, for processors that have it
// (see vector_path.h): the same float operations per pixel, in the same
// order, as yCbCrRow, eight pixels at a time.
#include <cstdint>

namespace qelo::jpeg {

// Converts pixels 0.. of a row in groups of sixteen and returns how many it
// did. Chroma is full width, or with `halfWidth` one sample per two pixels.
// With `secondLuma`, a second row that shares the chroma is converted
// alongside into `secondRgba`.
std::int32_t yCbCrSixteensAvx2(const std::uint8_t* luma, const std::uint8_t* blues, const std::uint8_t* reds, bool halfWidth,
                               std::int32_t width, std::uint8_t* rgba, const std::uint8_t* secondLuma, std::uint8_t* secondRgba);

}  // namespace qelo::jpeg
