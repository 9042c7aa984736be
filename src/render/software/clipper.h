#pragma once
// Clipping of a polygon (a triangle or a quad) against the view volume
// -w <= x, y, z <= w, and against w >= minimumW so that no kept point is at
// or behind the eye. Attributes are interpolated linearly in clip space
// along each cut edge. A polygon with a NaN or infinite coordinate is
// dropped whole.
#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Bit k set when v is not inside plane k of the view volume (-w <= x, y,
// z <= w, w >= minimumW), NaN outside every one; no branch. A polygon
// whose vertices share a bit lies wholly outside that plane: clipPolygon
// leaves nothing of it.
inline unsigned outsidePlanes(const ClipVertex& v)
{
#if defined(__SSE2__)
    // Two planes a compare: w + c and w + (-c), which is w - c exactly.
    const __m128d w = _mm_set1_pd(v.w), negateSecond = _mm_set_pd(-0.0, 0.0);
    const auto pair = [&](double c) {
        const __m128d sums = _mm_add_pd(w, _mm_xor_pd(_mm_set1_pd(c), negateSecond));
        return static_cast<unsigned>(_mm_movemask_pd(_mm_cmpnge_pd(sums, _mm_setzero_pd())));
    };
    return pair(v.x) | pair(v.y) << 2 | pair(v.z) << 4 | static_cast<unsigned>(!(v.w - minimumW >= 0)) << 6;
#else
    return static_cast<unsigned>(!(v.w + v.x >= 0)) | static_cast<unsigned>(!(v.w - v.x >= 0)) << 1 |
           static_cast<unsigned>(!(v.w + v.y >= 0)) << 2 | static_cast<unsigned>(!(v.w - v.y >= 0)) << 3 |
           static_cast<unsigned>(!(v.w + v.z >= 0)) << 4 | static_cast<unsigned>(!(v.w - v.z >= 0)) << 5 |
           static_cast<unsigned>(!(v.w - minimumW >= 0)) << 6;
#endif
}

// Whether v is finite and inside every plane: a polygon of such vertices
// comes out of clipPolygon as it went in. A finite w bounds x, y and z.
inline bool insideViewVolume(const ClipVertex& v)
{
    return (outsidePlanes(v) == 0) & (v.w <= 1.7976931348623157e308);
}

// Clips `count` vertices (3 or 4) in order; returns the number of vertices
// of the clipped polygon written to `out` (0 when nothing remains), in the
// same winding, starting from the first input vertex when it is kept.
std::int32_t clipPolygon(const ClipVertex* in, std::int32_t count, ClippedPolygon& out);

}  // namespace qelo::software
