#pragma once
// From decoded sample planes to RGBA rows: grey expansion, YCbCr to RGB
// with nearest-neighbour upsampling of the chrominance, and R, G, B planes
// taken as they are with the same upsampling.
#include <cstdint>

namespace qelo::jpeg {

// Samples of one component: `stride` bytes a row. Pixel (x, y) of the
// picture takes the sample at (x / hr, y / vr) of the plane, counted from
// the plane's origin.
struct SamplePlane {
    const std::uint8_t* samples;
    std::int32_t stride;
    std::int32_t hr;
    std::int32_t vr;
};

// One RGBA row of `width` pixels from grey samples: (g, g, g, 255).
void greyRow(const std::uint8_t* grey, std::int32_t width, std::uint8_t* rgba);

// One RGBA row from row `row` (counted in full-resolution lines from the
// planes' origin) of the Y, Cb and Cr planes (Y unsubsampled):
// R = Y + 1.402 Cr', G = Y - 0.34414 Cb' - 0.71414 Cr', B = Y + 1.772 Cb',
// with Cb' = Cb - 128, Cr' = Cr - 128, in 32-bit floats, truncated toward
// zero and clamped to 0..255; A = 255.
void yCbCrRow(const SamplePlane& y, const SamplePlane& cb, const SamplePlane& cr, std::int32_t row, std::int32_t width,
              std::uint8_t* rgba);

// Rows `row` and `row + 1` at once, into `rgba` and `nextRgba`: the same
// bytes as two calls of yCbCrRow, faster when 4:2:0 chroma is shared.
void yCbCrRowPair(const SamplePlane& y, const SamplePlane& cb, const SamplePlane& cr, std::int32_t row, std::int32_t width,
                  std::uint8_t* rgba, std::uint8_t* nextRgba);

// One RGBA row from row `row` of planes that already hold R, G and B: the
// samples unchanged (no colour conversion), A = 255. Subsampled planes are
// replicated by the same rule as chrominance.
void rgbRow(const SamplePlane& red, const SamplePlane& green, const SamplePlane& blue, std::int32_t row, std::int32_t width,
            std::uint8_t* rgba);

}  // namespace qelo::jpeg
