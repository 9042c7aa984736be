#pragma once
// Compositing the layers in memory, with the arithmetic of llvmpipe's blend
// of a target over the window: the texel modulated by the colour
// (1, 1, 1, opacity) in float, its alpha back to 8 bits rounding to nearest
// even, then GL_SRC_ALPHA / GL_ONE_MINUS_SRC_ALPHA on 8-bit channels, each
// product x * y / 255 as (t + (t >> 8) + 128) >> 8 with t = x * y, the sum
// saturated at 255. A frame put together here has the window's pixels to
// the bit (the GL tests compare every colour, alpha and destination value).
#include <cstddef>
#include <cstdint>
#include <span>

namespace qelo {

struct LayerView {
    const std::uint8_t* rgba = nullptr;  // pixelCount pixels, R G B A
    float opacity = 1.0f;
};

// The alpha a texel of alpha `alpha` blends with at `opacity`.
std::uint8_t blendAlpha(std::uint8_t alpha, float opacity);

// One channel: `source` over `destination` at blend alpha `alpha`.
std::uint8_t blendChannel(std::uint8_t source, std::uint8_t destination, std::uint8_t alpha);

// Instructions composeLayers may use; each gives the same bytes. Tests
// narrow the choice to prove every path.
enum class BlendPath { scalar, sse2, avx2 };

// out = the layers blended in order over transparent black (the window's
// clear colour), pixelCount RGBA pixels. `out` may not overlap a layer.
// Uses the widest path the processor has, up to `widest`.
void composeLayers(std::uint8_t* out, std::span<const LayerView> layers, std::size_t pixelCount,
                   BlendPath widest = BlendPath::avx2);

}  // namespace qelo
