#pragma once
// Smooth value noise on an integer lattice and its fractal sum; stateless and
// seeded, so the same (x, y, seed) always gives the same value.
#include <cstdint>

namespace qelo::assetgen {

// In [0, 1]; lattice spacing 1.
float valueNoise(float x, float y, std::uint64_t seed);

// `octaves` octaves of valueNoise, each twice the frequency and half the
// amplitude of the one before; normalised to [0, 1].
float fractalNoise(float x, float y, int octaves, std::uint64_t seed);

}  // namespace qelo::assetgen
