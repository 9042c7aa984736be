#pragma once
// Texture lookup with GL_REPEAT: s and t wrap to [0, 1), texel (i, j) has
// its centre at ((i + 0.5) / width, (j + 0.5) / height). Nearest takes the
// texel whose square holds the point; linear weighs the four nearest texel
// centres (bilinear, wrapping at the borders). A NaN or infinite coordinate
// reads as 0. Results are RGBA in texel units (0 to 255), unrounded.
#include <array>

#include "render/software/texture_store.h"

namespace qelo::software {

using Texel = std::array<float, 4>;

Texel sampleNearest(const TextureImage& image, float s, float t);
Texel sampleLinear(const TextureImage& image, float s, float t);

}  // namespace qelo::software
