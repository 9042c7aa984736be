#pragma once
// Flat-coloured, unblended triangles drawn into a picture in memory with the
// arithmetic of llvmpipe, the software GL driver captures are made with, so
// that a layer drawn here has the driver's pixels to the bit:
// - vertex transform: clip = M x v as one product and three sums, column by
//   column, each rounded to float (the fixed-function MUL/MAD program);
// - clipping against the view volume (x > w, x < -w, y > w, y < -w, then z)
//   one plane after another, new vertices interpolated in clip space, the
//   polygon handed on as a fan whose last vertex is the first of the list;
// - window coordinates from 1/w and x/w * scale + translate, fused into one
//   rounding where the processor has FMA (as the driver's generated code is);
//   clipped-in vertices in plain float, as the driver's clipper computes them;
// - coverage: positions snapped to 1/256 pixel from (x - 0.5, y - 0.5), edge
//   functions in 64-bit integers with the driver's fill rule; a pixel is
//   covered when every edge function is positive at its centre.
// The GL tests draw the same triangles both ways and compare every pixel.
#include <array>
#include <cstdint>
#include <vector>

namespace qelo {

struct ClipVertex {
    float x = 0, y = 0, z = 0, w = 1;
};

// glViewport(x, y, width, height) as the driver keeps it; depth range 0 to 1.
struct ViewportTransform {
    float scaleX = 0, scaleY = 0, translateX = 0, translateY = 0;
    float scaleZ = 0.5f, translateZ = 0.5f;
};
ViewportTransform viewportTransform(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

// An RGBA picture, row 0 at the bottom (GL's order), rows `width` pixels apart.
struct PictureView {
    std::uint8_t* rgba = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Whether the driver's generated code fuses a multiply and an add into one
// rounding on this processor (it does where the processor has FMA).
bool processorFusesMultiplyAdd();

// A colour channel in [0, 1] as the driver writes it to an 8-bit target.
std::uint8_t unormByte(float value);

// `modelViewProjection` column-major (element 4 * column + row) times the vertex.
ClipVertex transformVertex(const std::array<float, 16>& modelViewProjection, float x, float y, float z, float w);

// The driver's window position of an unclipped vertex: x, y in pixels, z in
// the depth range and 1/w.
struct WindowPoint {
    float x = 0, y = 0, z = 0, oneOverW = 1;
};
WindowPoint windowPoint(const ClipVertex& v, const ViewportTransform& viewport);

// Receives a triangle's covered pixels row by row: columns from..to
// inclusive, always within the sink's width x height. Before a triangle's
// first span, `triangle` gets its corners in the order the driver sets up
// its interpolation (the first two swapped when it turns clockwise).
class SpanSink {
public:
    SpanSink(std::int32_t width, std::int32_t height) : width(width), height(height) {}
    virtual void triangle(const WindowPoint&, const WindowPoint&, const WindowPoint&) {}
    virtual void span(std::int32_t row, std::int32_t from, std::int32_t to) = 0;
    const std::int32_t width;
    const std::int32_t height;

protected:
    ~SpanSink() = default;
};

// Counts, for every pixel, how many triangles cover it, as one increment
// where a row's span starts and one decrement past its end: a running sum
// along a row gives each pixel's count.
class CoverageCount final : public SpanSink {
public:
    CoverageCount(std::int32_t width, std::int32_t height);
    void span(std::int32_t row, std::int32_t from, std::int32_t to) override;
    // width + 1 steps of one row.
    const std::int32_t* row(std::int32_t y) const;

private:
    std::vector<std::int32_t> steps;
};

// Calls visit(pixel, count) for every pixel of `picture` (its RGBA bytes)
// that `coverage`, of the same size, counts as covered (count > 0).
template <typename Visit>
void forEachCoveredPixel(const CoverageCount& coverage, PictureView picture, Visit&& visit)
{
    for (std::int32_t row = 0; row < picture.height; ++row) {
        const std::int32_t* steps = coverage.row(row);
        std::uint8_t* pixel = picture.rgba + static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width) * 4;
        std::int32_t count = 0;
        for (std::int32_t x = 0; x < picture.width; ++x, pixel += 4) {
            count += steps[x];
            if (count > 0) visit(pixel, count);
        }
    }
}

// The pixels a triangle in window coordinates covers.
void rasterise(SpanSink& sink, WindowPoint a, WindowPoint b, WindowPoint c);

// One triangle of GL_TRIANGLES: clipped, mapped and rasterised. Triangles with
// a non-finite coordinate cover nothing.
void drawTriangle(SpanSink& sink, const ViewportTransform& viewport, const ClipVertex& a, const ClipVertex& b,
                  const ClipVertex& c);

// A vertex ready to draw: its clip position, the driver's window position
// and which view-volume planes it lies outside of. Preparing a vertex shared
// by several triangles once gives the same triangles as passing its clip
// position to each.
struct PreparedVertex {
    ClipVertex clip;
    WindowPoint window;
    unsigned outside = 0;  // bit k: outside plane k
    bool finite = true;    // every coordinate finite
};
PreparedVertex prepareVertex(const ClipVertex& v, const ViewportTransform& viewport);
void drawTriangle(SpanSink& sink, const ViewportTransform& viewport, const PreparedVertex& a, const PreparedVertex& b,
                  const PreparedVertex& c);
void drawTriangle(PictureView picture, const ViewportTransform& viewport, const PreparedVertex& a,
                  const PreparedVertex& b, const PreparedVertex& c, std::uint32_t rgba);

// Whether a vertex lies outside the view volume (the driver then clips the
// whole batch it belongs to, which changes how quads are split).
bool outsideViewVolume(const ClipVertex& v);

// One quad of GL_QUADS as the driver splits it: along 0-2 when no vertex of
// its glBegin/glEnd batch lies outside the view volume, else along 1-3.
void drawQuad(SpanSink& sink, const ViewportTransform& viewport, const ClipVertex (&corners)[4], bool batchClipped);

// Fills the pixels a triangle in window coordinates covers with `rgba`
// (R in the lowest byte), limited to the picture.
void fillTriangle(PictureView picture, WindowPoint a, WindowPoint b, WindowPoint c, std::uint32_t rgba);
void drawTriangle(PictureView picture, const ViewportTransform& viewport, const ClipVertex& a, const ClipVertex& b,
                  const ClipVertex& c, std::uint32_t rgba);

// Packs a GL colour (each channel in [0, 1]) the way the driver stores it.
std::uint32_t packColour(float red, float green, float blue, float alpha);

}  // namespace qelo
