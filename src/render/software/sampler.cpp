#include "render/software/sampler.h"

#include <cmath>
#include <cstdint>

namespace qelo::software {

namespace {

// The coordinate wrapped to [0, 1) and scaled to texels: [0, size).
float wrapped(float coordinate, std::int32_t size)
{
    if (!std::isfinite(coordinate)) return 0;
    const float unit = coordinate - std::floor(coordinate);
    return unit * static_cast<float>(size);
}

const std::uint8_t* texelAt(const TextureImage& image, std::int32_t i, std::int32_t j)
{
    return image.rgba.data() + (static_cast<std::size_t>(j) * image.width + i) * 4;
}

}  // namespace

Texel sampleNearest(const TextureImage& image, float s, float t)
{
    // Sizes are powers of two: masking wraps (and catches u == size after rounding).
    const auto i = static_cast<std::int32_t>(wrapped(s, image.width)) & (image.width - 1);
    const auto j = static_cast<std::int32_t>(wrapped(t, image.height)) & (image.height - 1);
    const std::uint8_t* texel = texelAt(image, i, j);
    return {float(texel[0]), float(texel[1]), float(texel[2]), float(texel[3])};
}

Texel sampleLinear(const TextureImage& image, float s, float t)
{
    const float u = wrapped(s, image.width) - 0.5f;
    const float v = wrapped(t, image.height) - 0.5f;
    const float uFloor = std::floor(u), vFloor = std::floor(v);
    const float a = u - uFloor, b = v - vFloor;
    const std::int32_t i0 = static_cast<std::int32_t>(uFloor) & (image.width - 1);
    const std::int32_t j0 = static_cast<std::int32_t>(vFloor) & (image.height - 1);
    const std::int32_t i1 = (i0 + 1) & (image.width - 1), j1 = (j0 + 1) & (image.height - 1);
    const std::uint8_t* t00 = texelAt(image, i0, j0);
    const std::uint8_t* t10 = texelAt(image, i1, j0);
    const std::uint8_t* t01 = texelAt(image, i0, j1);
    const std::uint8_t* t11 = texelAt(image, i1, j1);
    Texel result;
    for (int c = 0; c < 4; ++c) {
        const float bottom = float(t00[c]) + (float(t10[c]) - float(t00[c])) * a;
        const float top = float(t01[c]) + (float(t11[c]) - float(t01[c])) * a;
        result[c] = bottom + (top - bottom) * b;
    }
    return result;
}

}  // namespace qelo::software
