#include "render/software/interleaved_fans.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "render/software/edge_walk.h"
#include "render/software/fragment_stage.h"

namespace qelo::software {

namespace {

// Corners a fan may have here: the dot grid's have 50.
constexpr std::int32_t maxCorners = 256;

struct Point {
    std::int64_t x = 0, y = 0;  // 1/256 pixel
    bool operator==(const Point&) const = default;
};

Point snapped(const WindowVertex& v)
{
    Point p;
    snappedPoint(v, p.x, p.y);
    return p;
}

// (a - o) x (b - o): positive when b lies counter-clockwise of a seen from o.
// Positions are within +-2^28, so every product fits.
std::int64_t cross(Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

int signOf(std::int64_t v) { return (v > 0) - (v < 0); }

// The triangle's colour as drawn (one colour over the triangle), or false.
bool triangleColour(const WindowVertex* corner, std::uint32_t& colour)
{
    if (!sameColour(corner[0], corner[1]) || !sameColour(corner[0], corner[2])) return false;
    std::uint8_t bytes[4];
    for (int c = 0; c < 4; ++c) bytes[c] = colourByte(corner[0].attributes[c]);
    std::memcpy(&colour, bytes, 4);
    return true;
}

struct Picture {
    std::uint8_t* rgba;
    std::int32_t width, height;
    void fill(std::int32_t row, std::int32_t from, std::int32_t to, std::uint32_t colour) const
    {
        std::uint8_t* pixel = rgba + (static_cast<std::size_t>(row) * width + from) * 4;
        for (std::int32_t k = from; k <= to; ++k, pixel += 4) std::memcpy(pixel, &colour, 4);
    }
};

// ceil(a / 256).
std::int64_t ceilPixels(std::int64_t a) { return -floorPixels(-a); }

// The pixels whose centres pass every edge of the strictly convex polygon
// `corner` (counter-clockwise, y up), each edge with edgeFrom's tie rule.
// Only the edges whose heights span a row can bound it; a convex polygon
// has its right side from the lowest corner forwards to the highest, its
// left side on from there.
void fillConvex(const std::array<Point, maxCorners>& corner, std::int32_t n, std::uint32_t colour,
                const Picture& picture)
{
    std::int32_t lowest = 0, highest = 0;
    for (std::int32_t k = 1; k < n; ++k) {
        if (corner[k].y < corner[lowest].y) lowest = k;
        if (corner[k].y > corner[highest].y) highest = k;
    }
    const std::int64_t firstRow = std::max<std::int64_t>(0, ceilPixels(corner[lowest].y - 128));
    const std::int64_t lastRow = std::min<std::int64_t>(picture.height - 1, floorPixels(corner[highest].y - 128));
    const auto next = [n](std::int32_t k) { return k + 1 == n ? 0 : k + 1; };
    // Narrows [low, high] by edge k's test on row centre yc; false when it empties the row.
    const auto bound = [&](std::int32_t k, std::int64_t yc, std::int64_t& low, std::int64_t& high) {
        const Point a = corner[k], b = corner[next(k)];
        const std::int64_t dx = b.x - a.x, dy = b.y - a.y;
        const bool ownsTies = dy < 0 || (dy == 0 && dx < 0);
        const std::int64_t along = dx * (yc - a.y) - (ownsTies ? 0 : 1);
        if (dy == 0) return along >= 0;
        if (dy > 0) {  // right side: dy * (xc - a.x) <= along
            high = std::min(high, floorPixels(floorQuotient(along, dy) + a.x - 128));
        } else {  // left side: -dy * (xc - a.x) >= -along
            low = std::max(low, ceilPixels(a.x - 128 - floorQuotient(along, -dy)));
        }
        return true;
    };
    const auto previous = [n](std::int32_t k) { return k == 0 ? n - 1 : k - 1; };
    // The edge of each side spanning the row, rows going up: the right side
    // is walked forwards from its start, the left backwards from its end.
    std::int32_t right = lowest, left = previous(lowest);
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        const std::int64_t yc = row * subpixels + 128;
        while (right != highest && corner[next(right)].y < yc) right = next(right);
        while (left != highest && corner[left].y < yc) left = previous(left);
        std::int64_t low = 0, high = picture.width - 1;
        bool covered = true;
        // The edge spanning the row, and those meeting it at a corner at the
        // row's height (horizontal ones too).
        for (std::int32_t k = right; covered; k = next(k)) {
            covered = bound(k, yc, low, high);
            if (next(k) == highest || corner[next(k)].y > yc) break;
        }
        for (std::int32_t k = left; covered; k = previous(k)) {
            covered = bound(k, yc, low, high);
            if (k == highest || corner[k].y > yc) break;
        }
        if (covered && low <= high)
            picture.fill(static_cast<std::int32_t>(row), static_cast<std::int32_t>(low),
                         static_cast<std::int32_t>(high), colour);
    }
}

// The pixels both of `later` and of `earlier` (window corners of two
// triangles meeting at m, later drawn after earlier), which lie between
// their nearly equal spokes from m towards p (later's) and q (earlier's):
// searched along the spoke, a pixel or so either side of both, each
// candidate tested exactly.
void restoreOverlap(const WindowVertex* later, const WindowVertex* earlier, std::array<Point, 3> laterCorners,
                    std::array<Point, 3> earlierCorners, Point m, Point p, Point q, std::uint32_t colour,
                    const Picture& picture)
{
    // Columns and rows whose centres lie in both triangles' boxes.
    std::int64_t box[2][2];  // [axis][first, last]
    for (int axis = 0; axis < 2; ++axis) {
        using Limits = std::numeric_limits<std::int64_t>;
        std::int64_t low = Limits::min(), high = Limits::max();
        for (const auto* corners : {&laterCorners, &earlierCorners}) {
            std::int64_t lo = Limits::max(), hi = Limits::min();
            for (const Point& c : *corners) {
                const std::int64_t v = axis == 0 ? c.x : c.y;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            low = std::max(low, lo);
            high = std::min(high, hi);
        }
        box[axis][0] = std::max<std::int64_t>(0, ceilPixels(low - 128));
        const std::int32_t size = axis == 0 ? picture.width : picture.height;
        box[axis][1] = std::min<std::int64_t>(size - 1, floorPixels(high - 128));
    }
    const Point d{q.x - m.x, q.y - m.y}, e{p.x - m.x, p.y - m.y};
    // Step along the spoke's longer extent; across it, the two spokes' crossings.
    const int along = std::abs(d.y) >= std::abs(d.x) ? 1 : 0, across = 1 - along;
    const auto component = [](Point v, int axis) { return axis == 0 ? v.x : v.y; };
    const double slopeQ = static_cast<double>(component(d, across)) / static_cast<double>(component(d, along));
    const double slopeP = static_cast<double>(component(e, across)) / static_cast<double>(component(e, along));
    std::optional<TriangleSetup> laterSetup, earlierSetup;  // made for the first candidate
    for (std::int64_t k = box[along][0]; k <= box[along][1]; ++k) {
        const double t = static_cast<double>(k * subpixels + 128 - component(m, along));
        const double origin = static_cast<double>(component(m, across));
        const double crossingP = origin + t * slopeP, crossingQ = origin + t * slopeQ;
        const double first = std::min(crossingP, crossingQ) - 1.0, last = std::max(crossingP, crossingQ) + 1.0;
        // Centres within [first, last], both a whole 1/256 pixel wide of the
        // exact crossings; mostly none (the band is a few 1/256 pixel wide).
        const double fromCentre = std::ceil((first - 128) / 256), toCentre = std::floor((last - 128) / 256);
        if (fromCentre > toCentre) continue;
        const std::int64_t from = std::max(box[across][0], static_cast<std::int64_t>(fromCentre));
        const std::int64_t to = std::min(box[across][1], static_cast<std::int64_t>(toCentre));
        for (std::int64_t j = from; j <= to; ++j) {
            if (!laterSetup) {
                laterSetup.emplace(later[0], later[1], later[2], picture.width, picture.height, 4, 4, false, false);
                earlierSetup.emplace(earlier[0], earlier[1], earlier[2], picture.width, picture.height, 4, 4, false,
                                     false);
            }
            const auto column = static_cast<std::int32_t>(along == 1 ? j : k);
            const auto row = static_cast<std::int32_t>(along == 1 ? k : j);
            std::int32_t a0 = 0, a1 = -1, b0 = 0, b1 = -1;
            if (!laterSetup->empty() && !earlierSetup->empty() && laterSetup->rowSpan(row, a0, a1) &&
                earlierSetup->rowSpan(row, b0, b1) && column >= std::max(a0, b0) && column <= std::min(a1, b1))
                picture.fill(row, column, column, colour);
        }
    }
}

}  // namespace

bool drawInterleavedFans(const WindowVertex* vertices, std::int32_t count, std::uint8_t* rgba, std::int32_t width,
                         std::int32_t height)
{
    if (count % 6 != 0 || count / 6 < 4 || count / 6 > maxCorners) return false;
    const std::int32_t n = count / 6;
    const WindowVertex* const f = vertices;      // Fi: f + 6 i
    const WindowVertex* const g = vertices + 3;  // Gi: g + 6 i
    const Point m = snapped(vertices[2]);
    std::array<Point, maxCorners> a, b;
    std::uint32_t fColour = 0, gColour = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const WindowVertex* fi = f + 6 * i;
        const WindowVertex* gi = g + 6 * i;
        std::uint32_t fc = 0, gc = 0;
        if (!triangleColour(fi, fc) || !triangleColour(gi, gc)) return false;
        if (i == 0) fColour = fc, gColour = gc;
        if (fc != fColour || gc != gColour) return false;
        if (!(snapped(fi[2]) == m) || !(snapped(gi[2]) == m)) return false;
        a[i] = snapped(fi[0]);
        b[i] = snapped(gi[0]);
    }
    const auto at = [n](std::int32_t i) { return ((i % n) + n) % n; };
    for (std::int32_t i = 0; i < n; ++i)
        if (!(snapped(f[6 * i + 1]) == a[at(i + 1)]) || !(snapped(g[6 * i + 1]) == b[at(i + 1)])) return false;

    // One turning direction s for every wedge of both fans.
    const int s = signOf(cross(m, a[0], a[1]));
    if (s == 0) return false;
    for (const auto* corner : {&a, &b}) {
        const auto& c = *corner;
        std::int32_t crossings = 0;  // of the ray from m along +x: once around, no more
        for (std::int32_t i = 0; i < n; ++i) {
            const Point p = c[i], q = c[at(i + 1)];
            if (signOf(cross(m, p, q)) != s || signOf(cross(p, q, c[at(i + 2)])) != s) return false;
            if ((p.y > m.y) != (q.y > m.y) && (cross(p, q, m) > 0) == (q.y > p.y)) ++crossings;
        }
        if (crossings != 1) return false;
    }
    // Each fan's spokes between the other's neighbouring ones, and nearly
    // along its own partner (within about a degree).
    for (std::int32_t i = 0; i < n; ++i) {
        const Point ai = a[i], bi = b[i];
        if (signOf(cross(m, a[at(i - 1)], bi)) != s || signOf(cross(m, bi, a[at(i + 1)])) != s ||
            signOf(cross(m, b[at(i - 1)], ai)) != s || signOf(cross(m, ai, b[at(i + 1)])) != s)
            return false;
        const double along = static_cast<double>((ai.x - m.x) * (bi.x - m.x) + (ai.y - m.y) * (bi.y - m.y));
        if (!(64.0 * std::fabs(static_cast<double>(cross(m, ai, bi))) <= along)) return false;
    }

    const Picture picture{rgba, width, height};
    std::array<Point, maxCorners> ordered;  // counter-clockwise
    for (const auto& [corner, colour] : {std::pair{&a, fColour}, std::pair{&b, gColour}}) {
        for (std::int32_t i = 0; i < n; ++i) ordered[i] = (*corner)[s > 0 ? i : n - 1 - i];
        fillConvex(ordered, n, colour, picture);
    }
    // F(i) drawn after G(i - 1) along spoke i, F(n - 1) after G(0) along spoke 0.
    const auto corners = [](Point u, Point v, Point w) { return std::array<Point, 3>{u, v, w}; };
    for (std::int32_t i = 1; i < n; ++i)
        restoreOverlap(f + 6 * i, g + 6 * (i - 1), corners(a[i], a[at(i + 1)], m), corners(b[i - 1], b[i], m), m, a[i],
                       b[i], fColour, picture);
    restoreOverlap(f + 6 * (n - 1), g, corners(a[n - 1], a[0], m), corners(b[0], b[1], m), m, a[0], b[0], fColour,
                   picture);
    return true;
}

}  // namespace qelo::software
