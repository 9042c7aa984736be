#pragma once
// Clipping of a polygon (a triangle or a quad) against the view volume
// -w <= x, y, z <= w, and against w >= minimumW so that no kept point is at
// or behind the eye. Attributes are interpolated linearly in clip space
// along each cut edge. A polygon with a NaN or infinite coordinate is
// dropped whole.
#include <array>
#include <cstdint>

namespace qelo::software {

// Colour r, g, b, a in [0, 1] and texture coordinates s, t.
constexpr int attributeCount = 6;

struct ClipVertex {
    double x = 0, y = 0, z = 0, w = 1;
    std::array<float, attributeCount> attributes{};
};

// Clip-space w below this is behind or at the eye (clip-space units).
constexpr double minimumW = 1e-7;

// Seven planes can add one vertex each to a quad.
constexpr int maxClippedVertices = 4 + 7;
using ClippedPolygon = std::array<ClipVertex, maxClippedVertices>;

// Clips `count` vertices (3 or 4) in order; returns the number of vertices
// of the clipped polygon written to `out` (0 when nothing remains), in the
// same winding, starting from the first input vertex when it is kept.
std::int32_t clipPolygon(const ClipVertex* in, std::int32_t count, ClippedPolygon& out);

}  // namespace qelo::software
