#pragma once
// Blending in 8 bits: result = s * sourceFactor + d * destinationFactor per
// channel (alpha too), each product rounded as round(a * b / 255), computed
// exactly as (t + (t >> 8) + 128) >> 8 of t = a * b, the sum saturated at
// 255. Factors are bytes: zero 0, one 255, sourceAlpha the source's alpha,
// oneMinusSourceAlpha 255 minus it.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "render/drawing_context.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qelo::software {

// round(a * b / 255) for bytes a and b, exactly.
inline std::uint32_t multiplyBytes(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t t = a * b;
    return (t + (t >> 8) + 128) >> 8;
}

// A blend factor as base + slope * source alpha, in bytes.
struct FactorLine {
    std::int32_t base = 0, slope = 0;
    std::uint32_t at(std::uint32_t sourceAlpha) const
    {
        return static_cast<std::uint32_t>(base + slope * static_cast<std::int32_t>(sourceAlpha));
    }
};

inline FactorLine factorLine(BlendFactor factor)
{
    switch (factor) {
    case BlendFactor::zero: return {0, 0};
    case BlendFactor::one: return {255, 0};
    case BlendFactor::sourceAlpha: return {0, 1};
    case BlendFactor::oneMinusSourceAlpha: return {255, -1};
    }
    return {};
}

// One source pixel over `pixel` (RGBA bytes each).
[[gnu::always_inline]] inline void blendPixel(std::uint8_t* pixel, const std::uint8_t* source, FactorLine sourceFactor,
                                              FactorLine destinationFactor)
{
    const std::uint32_t fs = sourceFactor.at(source[3]);
    const std::uint32_t fd = destinationFactor.at(source[3]);
#if defined(__SSE2__)
    // Source and destination side by side in 16-bit lanes, each times its factor.
    std::int32_t sourceBytes, destinationBytes;
    std::memcpy(&sourceBytes, source, 4);
    std::memcpy(&destinationBytes, pixel, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i both = _mm_unpacklo_epi8(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(sourceBytes), _mm_cvtsi32_si128(destinationBytes)), zero);
    const __m128i factors =
        _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(fs)), _mm_set1_epi16(static_cast<short>(fd)));
    const __m128i t = _mm_mullo_epi16(both, factors);
    const __m128i products =
        _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), _mm_set1_epi16(128)), 8);
    const __m128i sum = _mm_add_epi16(products, _mm_srli_si128(products, 8));
    const std::int32_t result = _mm_cvtsi128_si32(_mm_packus_epi16(sum, sum));
    std::memcpy(pixel, &result, 4);
    return;
#endif
    for (int c = 0; c < 4; ++c)
        pixel[c] = static_cast<std::uint8_t>(
            std::min<std::uint32_t>(255, multiplyBytes(source[c], fs) + multiplyBytes(pixel[c], fd)));
}

#if defined(__SSE2__)
// round(a * b / 255) in 16-bit lanes, as multiplyBytes.
inline __m128i multiplyLanes(__m128i a, __m128i b)
{
    const __m128i t = _mm_mullo_epi16(a, b);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), _mm_set1_epi16(128)), 8);
}

// One source colour over four pixels: `terms` holds its channels' products
// with the source factor and `factor` the destination factor, both in every
// pixel's four 16-bit lanes. t + (t >> 8) + 128 <= 65407 and term + product
// <= 510 fit; the pack saturates at 255.
inline __m128i blendConstantFour(__m128i destination, __m128i terms, __m128i factor)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_add_epi16(multiplyLanes(_mm_unpacklo_epi8(destination, zero), factor), terms);
    const __m128i high = _mm_add_epi16(multiplyLanes(_mm_unpackhi_epi8(destination, zero), factor), terms);
    return _mm_packus_epi16(low, high);
}
#endif

// One source colour over `count` pixels from `pixel` on.
void blendConstantSpan(std::uint8_t* pixel, std::int32_t count, const std::uint8_t source[4],
                       BlendFactor sourceFactor, BlendFactor destinationFactor);

}  // namespace qelo::software
