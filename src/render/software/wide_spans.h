#pragma once
// Groups of pixels at a time of the span loops' common cases: eight with
// AVX2, four with SSE2 (four_pixel_spans.h), as span_lanes.h allows; the
// same float and integer operations as the one-pixel path (sampler.h,
// blend.h, fragment_stage.cpp) in the same order, lane by lane, so the bytes
// are the same. Each draws the first pixels of the `count` from `pixel` on
// and returns how many (none without either); the caller draws the rest one
// by one.
#include <array>
#include <cstdint>

#include "render/drawing_context.h"
#include "render/software/texture_store.h"

namespace qelo::software {

struct TexturedSpan {
    const TextureImage* texture = nullptr;
    TextureFilter filter = TextureFilter::linear;
    // At the span's first pixel, and per pixel: s and t, or s / w and t / w
    // with 1 / w in q when `perspective`.
    float s = 0, sStep = 0, t = 0, tStep = 0;
    bool perspective = false;
    float q = 1, qStep = 0;
    std::array<float, 4> colour{};  // in [0, 1]
    bool blend = false;
    BlendFactor source = BlendFactor::one, destination = BlendFactor::zero;
};

// No depth test, one colour over the triangle, texture coordinates affine
// along the span or through 1 / w, nearest or bilinear filter; all `count`
// pixels, the last group masked. (Eight lanes only affine: perspective
// spans take four.)
std::int32_t drawTexturedGroups(const TexturedSpan& span, std::uint8_t* pixel, std::int32_t count);

// Colour interpolated per pixel (through 1/w in perspective), no texture,
// depth-tested or not; whole groups only (short spans are the one-pixel
// loop's). Values at the span's first pixel and steps per pixel.
struct SmoothSpan {
    std::array<float, 4> colour{}, colourStep{};  // colour / w and its step in perspective
    float q = 1, qStep = 0;                       // 1 / w
    bool perspective = false;
    bool depthTest = false;
    double z = 0, zStep = 0;  // window depth, 0 to 1
    bool blend = false;
    BlendFactor source = BlendFactor::one, destination = BlendFactor::zero;
};

std::int32_t drawSmoothGroups(const SmoothSpan& span, std::uint8_t* pixel, std::uint32_t* depth, std::int32_t count);

}  // namespace qelo::software
