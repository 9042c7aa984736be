#pragma once
// What happens to each covered pixel of a triangle, in this order:
// - depth test (when on): the depth z in [0, 1] becomes round(z * (2^24 - 1))
//   and passes when less than the stored value, which it then replaces;
// - colour: the interpolated colour clamped to [0, 1]; with a texture,
//   times the texel per channel (GL_MODULATE, alpha too); to 8 bits as
//   round(c * 255);
// - blend (when on) in 8 bits (blend.h); without blending the fragment
//   replaces the pixel.
// The choice among the specialised span loops is made once a triangle.
#include <array>
#include <cstdint>

#include "render/drawing_context.h"
#include "render/software/quad_coverage.h"
#include "render/software/rasteriser.h"
#include "render/software/texture_store.h"

namespace qelo::software {

// The picture and depth buffer drawn into: width x height, row 0 at the bottom.
struct FragmentTarget {
    std::uint8_t* rgba = nullptr;
    std::uint32_t* depth = nullptr;
    std::int32_t width = 0, height = 0;
};

struct FragmentState {
    bool depthTest = false;
    bool blend = false;
    BlendFactor source = BlendFactor::one, destination = BlendFactor::zero;
    // The texture sampled and its filter for this triangle; nullptr: none.
    const TextureImage* texture = nullptr;
    TextureFilter filter = TextureFilter::linear;
    // Set when all three corners have one colour (then `colour` holds it,
    // clamped to [0, 1]), which allows the fast spans.
    bool constantColour = false;
    std::array<float, 4> colour{};
};

// A colour channel clamped to [0, 1] (NaN to 0) in 8 bits: round(c * 255).
[[gnu::always_inline]] inline std::uint8_t colourByte(float c)
{
    c = c > 0 ? (c < 1 ? c : 1) : 0;
    return static_cast<std::uint8_t>(c * 255.0f + 0.5f);
}

void drawTriangle(const TriangleSetup& triangle, const FragmentState& state, const FragmentTarget& target);

// A usable quad's pixels in one colour, without depth test or texture
// (state.constantColour set, state.depthTest off, state.texture null): what
// drawTriangle gives its two triangles.
void drawConstantQuad(const QuadCoverage& quad, const FragmentState& state, const FragmentTarget& target);

}  // namespace qelo::software
