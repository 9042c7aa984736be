#pragma once
// Helpers of the software renderer's tests: pictures read back by pixel,
// a projection of one unit a pixel, and blending that counts the draws
// covering a pixel (each adds 1 to red).
#include <array>
#include <cstdint>

#include "render/software/software_context.h"

namespace qelo::test {

using Pixel = std::array<int, 4>;

inline Pixel pixelAt(const software::SoftwareContext& context, int x, int y)
{
    const std::uint8_t* p = context.picture() + (static_cast<std::size_t>(y) * context.width() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// Origin at the picture's bottom-left corner, one unit a pixel, z in [-1, 1].
inline void pixelProjection(software::SoftwareContext& context)
{
    context.matrixMode(MatrixMode::projection);
    context.loadIdentity();
    context.ortho(0, context.width(), 0, context.height(), -1, 1);
    context.matrixMode(MatrixMode::modelView);
    context.loadIdentity();
}

// Every later draw adds 1 to the red channel of each pixel it covers.
inline void countDraws(software::SoftwareContext& context)
{
    context.enable(Capability::blend);
    context.blendFunction(BlendFactor::one, BlendFactor::one);
    context.colour(1.0f / 255, 0, 0, 0);
}

inline void triangle(software::SoftwareContext& context, std::array<float, 2> a, std::array<float, 2> b,
                     std::array<float, 2> c)
{
    context.begin(Primitive::triangles);
    context.vertex(a[0], a[1]);
    context.vertex(b[0], b[1]);
    context.vertex(c[0], c[1]);
    context.end();
}

inline void rectangle(software::SoftwareContext& context, float left, float bottom, float right, float top)
{
    context.begin(Primitive::quads);
    context.vertex(left, bottom);
    context.vertex(right, bottom);
    context.vertex(right, top);
    context.vertex(left, top);
    context.end();
}

}  // namespace qelo::test
