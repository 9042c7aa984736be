#pragma once
// Triangles of one colour, depth-tested and optionally blended, drawn in
// memory with llvmpipe's per-pixel arithmetic so that the picture is the
// driver's to the bit (coverage is the in-memory rasteriser's):
// - set-up: planes a0 + x dadx + y dady for z, 1/w and colour x 1/w, from
//   the corners in the driver's order, in its float operations;
// - per pixel (x, y its column and row): each plane as two fused
//   multiply-adds where the processor has FMA, a colour given with each
//   vertex divided by the interpolated 1/w (smooth shading is
//   perspective-correct, so a colour that is the same at every corner can
//   still come out an ulp away); a colour set before glBegin and not inside
//   reaches the driver's fragment program as a constant, exactly;
// - depth: z clamped to [0, 1], times 2^24 - 1 and rounded to nearest even,
//   passing when less than the stored value (GL_LESS), then stored;
// - colour: clamped to [0, 1] (not-a-number as 0), made 8-bit as the driver
//   makes it, and written, or blended with GL_SRC_ALPHA,
//   GL_ONE_MINUS_SRC_ALPHA in its 8-bit arithmetic.
#include <cstdint>

#include "render/software_triangles.h"

namespace qelo {

// A 24-bit depth value per pixel, rows as the colour picture's.
struct DepthView {
    std::uint32_t* depth = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The depth a cleared buffer holds (glClearDepth(1)).
constexpr std::uint32_t farthestDepth = 0xFFFFFF;

enum class Blending { none, sourceAlphaOver };

class DepthTestedColour final : public SpanSink {
public:
    // `picture` and `depth` must be the same size. `wide`: eight pixels at a
    // time where the processor can (the same pixels either way).
    DepthTestedColour(PictureView picture, DepthView depth, Blending blending, bool wide = true);
    // The colour of the triangles that follow, given with every vertex
    // (glColor inside glBegin/glEnd): clamped to [0, 1] as GL clamps vertex
    // colours, then interpolated.
    void setVertexColour(float red, float green, float blue, float alpha);
    // The colour of the triangles that follow, current before glBegin and not
    // given inside: the same at every pixel.
    void setConstantColour(float red, float green, float blue, float alpha);

    void triangle(const WindowPoint& a, const WindowPoint& b, const WindowPoint& c) override;
    void span(std::int32_t row, std::int32_t from, std::int32_t to) override;

private:
    struct Plane {
        float a0 = 0, dadx = 0, dady = 0;
        float at(float x, float y) const;
    };

    // The same pixels eight at a time where the processor has AVX2 and FMA;
    // returns the first column left to do.
    std::int32_t spanEightAtATime(std::int32_t row, std::int32_t from, std::int32_t to);

    PictureView picture;
    DepthView depth;
    Blending blending;
    bool wide;
    float colour[4] = {};
    bool constant = false;
    std::uint8_t constantBytes[4] = {};
    Plane z, oneOverW, channel[4];
};

}  // namespace qelo
