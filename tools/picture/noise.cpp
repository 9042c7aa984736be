#include "picture/noise.h"

#include <cmath>

#include "common/prng.h"

namespace qelo::assetgen {

namespace {

float lattice(std::int64_t x, std::int64_t y, std::uint64_t seed)
{
    return static_cast<float>(hashInts(static_cast<std::uint64_t>(x), static_cast<std::uint64_t>(y), seed) >> 40) /
           static_cast<float>(1 << 24);
}

float fade(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float valueNoise(float x, float y, std::uint64_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy);
    const float tx = fade(x - fx), ty = fade(y - fy);
    const float a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
    const float c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
    const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float fractalNoise(float x, float y, int octaves, std::uint64_t seed)
{
    float sum = 0, amplitude = 1, total = 0, frequency = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += valueNoise(x * frequency, y * frequency, seed + static_cast<std::uint64_t>(i)) * amplitude;
        total += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum / total;
}

}  // namespace qelo::assetgen
