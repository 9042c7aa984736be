#pragma once
// Eight pixels at a time (the last group masked) of the textured span
// loop's commonest case: no depth test, one colour over the triangle,
// texture coordinates affine along the span (the corners share w),
// nearest or bilinear filter, blended or replacing. The same float and integer operations as the one-pixel path
// (sampler.h, blend.h, fragment_stage.cpp) in the same order, lane by lane,
// so the bytes are the same. Uses AVX2 where the processor has it.
#include <array>
#include <cstdint>

#include "render/drawing_context.h"
#include "render/software/texture_store.h"

namespace qelo::software {

struct AffineTexturedSpan {
    const TextureImage* texture = nullptr;
    TextureFilter filter = TextureFilter::linear;
    float s = 0, sStep = 0, t = 0, tStep = 0;  // at the span's first pixel, and per pixel
    std::array<float, 4> colour{};            // in [0, 1]
    bool blend = false;
    BlendFactor source = BlendFactor::one, destination = BlendFactor::zero;
};

// Draws the `count` pixels from `pixel` on and returns count, or draws
// none and returns 0 where the processor lacks AVX2.
std::int32_t drawAffineTexturedEights(const AffineTexturedSpan& span, std::uint8_t* pixel, std::int32_t count);

}  // namespace qelo::software
