#include "render/software/clipper.h"

#include <cmath>

namespace qelo::software {

namespace {

// Signed distance of v from plane k; >= 0 is inside.
double planeDistance(const ClipVertex& v, int plane)
{
    switch (plane) {
    case 0: return v.w + v.x;
    case 1: return v.w - v.x;
    case 2: return v.w + v.y;
    case 3: return v.w - v.y;
    case 4: return v.w + v.z;
    case 5: return v.w - v.z;
    default: return v.w - minimumW;
    }
}

ClipVertex between(const ClipVertex& a, const ClipVertex& b, double t)
{
    ClipVertex v;
    v.x = a.x + (b.x - a.x) * t;
    v.y = a.y + (b.y - a.y) * t;
    v.z = a.z + (b.z - a.z) * t;
    v.w = a.w + (b.w - a.w) * t;
    const float tf = static_cast<float>(t);
    for (int k = 0; k < attributeCount; ++k)
        v.attributes[k] = a.attributes[k] + (b.attributes[k] - a.attributes[k]) * tf;
    return v;
}

bool finite(const ClipVertex& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

}  // namespace

std::int32_t clipPolygon(const ClipVertex* in, std::int32_t count, ClippedPolygon& out)
{
    unsigned any = 0, all = ~0u;
    for (std::int32_t i = 0; i < count; ++i) {
        if (!finite(in[i])) return 0;
        const unsigned code = outsidePlanes(in[i]);
        any |= code;
        all &= code;
    }
    if (all != 0) return 0;  // wholly outside one plane
    for (std::int32_t i = 0; i < count; ++i) out[i] = in[i];
    if (any == 0) return count;

    ClippedPolygon scratch;
    ClippedPolygon* from = &out;
    ClippedPolygon* to = &scratch;
    std::int32_t n = count;
    for (int plane = 0; plane < 7 && n > 0; ++plane) {
        if ((any & (1u << plane)) == 0) continue;
        std::int32_t m = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            const ClipVertex& a = (*from)[i];
            const ClipVertex& b = (*from)[(i + 1) % n];
            const double da = planeDistance(a, plane);
            const double db = planeDistance(b, plane);
            if (da >= 0) (*to)[m++] = a;
            // The cut point is computed from the inside vertex so that both
            // polygons sharing the edge get the same point.
            if ((da >= 0) != (db >= 0) && m < maxClippedVertices)
                (*to)[m++] = da >= 0 ? between(a, b, da / (da - db)) : between(b, a, db / (db - da));
            if (m >= maxClippedVertices) break;
        }
        n = m;
        std::swap(from, to);
    }
    if (from != &out)
        for (std::int32_t i = 0; i < n; ++i) out[i] = (*from)[i];
    return n < 3 ? 0 : n;
}

}  // namespace qelo::software
