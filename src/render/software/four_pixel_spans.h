#pragma once
// The span paths of wide_spans.h four pixels at a time in SSE2, for
// processors without AVX2 and for the browser build (emscripten carries SSE2
// over to WebAssembly SIMD). Lane for lane the arithmetic of the eight-pixel
// paths and of the one-pixel path, so the bytes are the same. Without SSE2
// they draw nothing and return 0.
#include <cstdint>

#include "render/software/wide_spans.h"

namespace qelo::software {

// All `count` pixels, the last group partial.
std::int32_t drawTexturedFours(const TexturedSpan& span, std::uint8_t* pixel, std::int32_t count);

// Whole groups of four only; returns how many pixels.
std::int32_t drawSmoothFours(const SmoothSpan& span, std::uint8_t* pixel, std::uint32_t* depth, std::int32_t count);

}  // namespace qelo::software
