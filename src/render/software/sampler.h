#pragma once
// Texture lookup with GL_REPEAT: s and t wrap to [0, 1), texel (i, j) has
// its centre at ((i + 0.5) / width, (j + 0.5) / height). Nearest takes the
// texel whose square holds the point; linear weighs the four nearest texel
// centres (bilinear, wrapping at the borders). A NaN or infinite coordinate
// reads as 0 (so does one beyond 2^23). Results are RGBA in texel units (0 to 255), unrounded.
// Inline: called once a pixel from the span loops.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "render/software/texture_store.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qelo::software {

using Texel = std::array<float, 4>;

// The coordinate wrapped to [0, 1) and scaled to texels: [0, size]. Floors
// through an integer conversion (std::floor is a library call on baseline
// x86-64); beyond 2^23 a float has no fraction left.
[[gnu::always_inline]] inline float wrappedTexels(float coordinate, std::int32_t size)
{
    if (!(std::fabs(coordinate) < 8388608.0f)) return 0;  // also NaN
    float whole = static_cast<float>(static_cast<std::int32_t>(coordinate));
    if (whole > coordinate) whole -= 1;
    return (coordinate - whole) * static_cast<float>(size);
}

[[gnu::always_inline]] inline const std::uint8_t* texelAt(const TextureImage& image, std::int32_t i, std::int32_t j)
{
    return image.rgba.data() + (static_cast<std::size_t>(j) * static_cast<std::size_t>(image.width) + i) * 4;
}

[[gnu::always_inline]] inline Texel sampleNearest(const TextureImage& image, float s, float t)
{
    // Sizes are powers of two: masking wraps (and catches u == size after rounding).
    const auto i = static_cast<std::int32_t>(wrappedTexels(s, image.width)) & (image.width - 1);
    const auto j = static_cast<std::int32_t>(wrappedTexels(t, image.height)) & (image.height - 1);
    const std::uint8_t* texel = texelAt(image, i, j);
    return {float(texel[0]), float(texel[1]), float(texel[2]), float(texel[3])};
}

[[gnu::always_inline]] inline Texel sampleLinear(const TextureImage& image, float s, float t)
{
    // u, v >= -0.5: truncating u + 1 floors it.
    const float u = wrappedTexels(s, image.width) - 0.5f, v = wrappedTexels(t, image.height) - 0.5f;
    const std::int32_t iFloor = static_cast<std::int32_t>(u + 1) - 1, jFloor = static_cast<std::int32_t>(v + 1) - 1;
    const float a = u - static_cast<float>(iFloor), b = v - static_cast<float>(jFloor);
    const std::int32_t i0 = iFloor & (image.width - 1), j0 = jFloor & (image.height - 1);
    const std::int32_t i1 = (i0 + 1) & (image.width - 1), j1 = (j0 + 1) & (image.height - 1);
    const std::uint8_t* t00 = texelAt(image, i0, j0);
    const std::uint8_t* t10 = texelAt(image, i1, j0);
    const std::uint8_t* t01 = texelAt(image, i0, j1);
    const std::uint8_t* t11 = texelAt(image, i1, j1);
    Texel result;
#if defined(__SSE2__)
    // The same operations as below, four channels at once.
    const auto load = [](const std::uint8_t* texel) {
        std::int32_t bytes;
        std::memcpy(&bytes, texel, 4);
        const __m128i zero = _mm_setzero_si128();
        return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero));
    };
    const __m128 v00 = load(t00), v10 = load(t10), v01 = load(t01), v11 = load(t11);
    const __m128 va = _mm_set1_ps(a), vb = _mm_set1_ps(b);
    const __m128 bottom = _mm_add_ps(v00, _mm_mul_ps(_mm_sub_ps(v10, v00), va));
    const __m128 top = _mm_add_ps(v01, _mm_mul_ps(_mm_sub_ps(v11, v01), va));
    _mm_storeu_ps(result.data(), _mm_add_ps(bottom, _mm_mul_ps(_mm_sub_ps(top, bottom), vb)));
    return result;
#endif
    for (int c = 0; c < 4; ++c) {
        const float bottom = float(t00[c]) + (float(t10[c]) - float(t00[c])) * a;
        const float top = float(t01[c]) + (float(t11[c]) - float(t01[c])) * a;
        result[c] = bottom + (top - bottom) * b;
    }
    return result;
}

}  // namespace qelo::software
