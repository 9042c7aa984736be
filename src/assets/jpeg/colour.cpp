#include "assets/jpeg/colour.h"

#include <array>

namespace qelo::jpeg {
namespace {

// The chrominance products, one per sample value: exactly the float
// products 1.402 x Cr' and so on that the conversion adds and subtracts.
struct ChromaTerms {
    std::array<float, 256> red{};        // 1.402 x Cr'
    std::array<float, 256> greenBlue{};  // 0.34414 x Cb'
    std::array<float, 256> greenRed{};   // 0.71414 x Cr'
    std::array<float, 256> blue{};       // 1.772 x Cb'
};

const ChromaTerms& chromaTerms()
{
    static const ChromaTerms terms = [] {
        ChromaTerms t;
        for (int sample = 0; sample < 256; ++sample) {
            const auto centred = static_cast<float>(sample - 128);
            t.red[sample] = 1.402f * centred;
            t.greenBlue[sample] = 0.34414f * centred;
            t.greenRed[sample] = 0.71414f * centred;
            t.blue[sample] = 1.772f * centred;
        }
        return t;
    }();
    return terms;
}

inline std::uint8_t channel(float value)
{
    const auto n = static_cast<std::int32_t>(value);  // |value| < 512: no overflow
    return static_cast<std::uint8_t>(n < 0 ? 0 : (n > 255 ? 255 : n));
}

inline void store(std::uint8_t* rgba, float luma, float red, float greenBlue, float greenRed, float blue)
{
    rgba[0] = channel(luma + red);
    rgba[1] = channel(luma - greenBlue - greenRed);
    rgba[2] = channel(luma + blue);
    rgba[3] = 255;
}

}  // namespace

void greyRow(const std::uint8_t* grey, std::int32_t width, std::uint8_t* rgba)
{
    for (std::int32_t x = 0; x < width; ++x, rgba += 4) {
        rgba[0] = rgba[1] = rgba[2] = grey[x];
        rgba[3] = 255;
    }
}

void yCbCrRow(const SamplePlane& y, const SamplePlane& cb, const SamplePlane& cr, std::int32_t row, std::int32_t width,
              std::uint8_t* rgba)
{
    const ChromaTerms& terms = chromaTerms();
    const std::uint8_t* luma = y.samples + row * y.stride;
    const std::uint8_t* blues = cb.samples + (row / cb.vr) * cb.stride;
    const std::uint8_t* reds = cr.samples + (row / cr.vr) * cr.stride;

    if (cb.hr == cr.hr && (cb.hr == 1 || cb.hr == 2)) {
        // The common layouts: 4:4:4, and 4:2:2 / 4:2:0 with one chroma pair
        // per two pixels.
        const int shift = cb.hr - 1;
        for (std::int32_t x = 0; x < width; ++x, rgba += 4) {
            const std::uint8_t b = blues[x >> shift];
            const std::uint8_t r = reds[x >> shift];
            store(rgba, static_cast<float>(luma[x]), terms.red[r], terms.greenBlue[b], terms.greenRed[r], terms.blue[b]);
        }
        return;
    }
    for (std::int32_t x = 0; x < width; ++x, rgba += 4) {
        const std::uint8_t b = blues[x / cb.hr];
        const std::uint8_t r = reds[x / cr.hr];
        store(rgba, static_cast<float>(luma[x]), terms.red[r], terms.greenBlue[b], terms.greenRed[r], terms.blue[b]);
    }
}

}  // namespace qelo::jpeg
