#pragma once
// Triangle set-up and coverage. Window positions are snapped to 1/256 pixel
// (8 fractional bits); the three edge functions are exact 64-bit integers.
// A pixel (i, j) is covered when its centre (i + 0.5, j + 0.5) is inside the
// triangle; a centre exactly on an edge belongs to the triangle when the
// edge is a left edge (going down, y up, with the interior to its right) or
// a top edge (horizontal with the interior below): of two triangles sharing
// an edge exactly one covers such a pixel.
//
// Attributes are planes over window space evaluated at pixel centres:
// depth linearly, and colour and texture coordinates through 1/w
// (a/w and 1/w are linear in window space) unless all three corners have the
// same w, when a itself is linear.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/software/clipper.h"
#include "render/software/edge_walk.h"

namespace qelo::software {

struct WindowVertex {
    double x = 0, y = 0;  // pixels, origin at the picture's bottom-left corner
    double z = 0;         // depth range 0 (near) to 1 (far)
    double q = 1;         // 1 / clip w
    std::array<float, attributeCount> attributes{};
};

// Whether two corners carry the same colour (bit for bit): then the
// colour is one over the primitive.
inline bool sameColour(const WindowVertex& a, const WindowVertex& b)
{
    return std::equal(a.attributes.begin(), a.attributes.begin() + 4, b.attributes.begin());
}

// A window position in 1/256 pixel, rounded half away from zero, after
// clamping to +-2^20 pixels (so that edge products stay far inside 64 bits).
// Inline: every corner of every primitive comes through here.
inline std::int64_t snappedPosition(double pixels)
{
    constexpr double positionLimit = 1 << 20;
    // The clipper drops non-finite vertices, so NaN never arrives; the guard
    // keeps the conversion defined all the same.
    if (!(pixels == pixels)) pixels = positionLimit;
    // Halves away from zero, as llround: v and its truncation are below 2^29
    // in magnitude, so v - truncation is exact.
    const double v = std::clamp(pixels, -positionLimit, positionLimit) * subpixels;
    const auto whole = static_cast<std::int64_t>(v);
    const double fraction = v - static_cast<double>(whole);
    return whole + (fraction >= 0.5) - (fraction <= -0.5);
}

// snappedPosition of a vertex's x and y, both at once where there is SSE2:
// |x| <= 2^28 after clamping, so a 32-bit truncation is the whole part.
inline void snappedPoint(const WindowVertex& v, std::int64_t& x, std::int64_t& y)
{
#if defined(__SSE2__)
    constexpr double positionLimit = 1 << 20;
    __m128d p = _mm_set_pd(v.y, v.x);
    const __m128d number = _mm_cmpeq_pd(p, p);  // false for NaN, which becomes the limit
    p = _mm_or_pd(_mm_and_pd(number, p), _mm_andnot_pd(number, _mm_set1_pd(positionLimit)));
    // x86's max and min (a > b ? a : b) clamp as std::clamp does when no NaN is left.
    p = _mm_min_pd(_mm_max_pd(p, _mm_set1_pd(-positionLimit)), _mm_set1_pd(positionLimit));
    const __m128d scaled = _mm_mul_pd(p, _mm_set1_pd(static_cast<double>(subpixels)));
    const __m128i whole = _mm_cvttpd_epi32(scaled);
    const __m128d fraction = _mm_sub_pd(scaled, _mm_cvtepi32_pd(whole));  // exact
    const int up = _mm_movemask_pd(_mm_cmpge_pd(fraction, _mm_set1_pd(0.5)));
    const int down = _mm_movemask_pd(_mm_cmple_pd(fraction, _mm_set1_pd(-0.5)));
    x = std::int64_t{_mm_cvtsi128_si32(whole)} + (up & 1) - (down & 1);
    y = std::int64_t{_mm_cvtsi128_si32(_mm_shuffle_epi32(whole, 1))} + (up >> 1) - (down >> 1);
#else
    x = snappedPosition(v.x);
    y = snappedPosition(v.y);
#endif
}

// An attribute's value at pixel centre (i, j): atOrigin + dx * i + dy * j.
// Uninitialised unless given: a triangle's planes are set up only for the
// attributes it interpolates, without clearing the others first.
struct Plane {
    double atOrigin, dx, dy;
    double at(double i, double j) const { return atOrigin + dx * i + dy * j; }
};

class TriangleSetup {
public:
    // Sets up the triangle for a width x height picture; empty() when it has
    // no area after snapping, lies outside the picture or, within a box of a
    // few pixels, covers none of their centres. Only attributes
    // firstAttribute to lastAttribute - 1 get their planes (attribute(k) of
    // another is not to be read), depth only `withDepth` and 1 / w only
    // `withOneOverW` (else all zero).
    TriangleSetup(const WindowVertex& a, const WindowVertex& b, const WindowVertex& c, std::int32_t width,
                  std::int32_t height, int firstAttribute = 0, int lastAttribute = attributeCount,
                  bool withDepth = true, bool withOneOverW = true);

    bool empty() const { return empty_; }
    // Counter-clockwise in window coordinates (y up).
    bool frontFacing() const { return frontFacing_; }
    std::int32_t firstRow() const { return firstRow_; }
    std::int32_t lastRow() const { return lastRow_; }
    // The covered columns of `row` (firstRow..lastRow), from..to inclusive,
    // within the picture; false when the row has none.
    bool rowSpan(std::int32_t row, std::int32_t& from, std::int32_t& to) const;
    // Calls span(row, from, to) for every row with covered columns, bottom
    // to top: the spans of rowSpan, found by stepping each edge's column
    // bound from row to row with no division.
    template <class SpanFunction>
    void forEachSpan(SpanFunction&& span) const;

    // Whether attributes go through 1/w (the corners' w differ).
    bool perspective() const { return perspective_; }
    const Plane& depth() const { return depth_; }
    const Plane& oneOverW() const { return oneOverW_; }
    // Attribute k, or attribute k / w when perspective().
    const Plane& attribute(int k) const { return attributes_[k]; }

private:
    // Whether the pixel box is small enough to test each centre.
    bool fewCentres() const
    {
        const std::int32_t columns = lastColumn_ - firstColumn_ + 1, rows = lastRow_ - firstRow_ + 1;
        return columns <= 8 && columns * rows <= 32;
    }
    bool coversAnyCentre() const;
    void coveredInRow(const std::int64_t (&atRow)[3], std::int32_t& from, std::int32_t& to) const;
    template <class SpanFunction>
    void testEachCentre(SpanFunction& span) const;
    // Rows from..to bounded by one walk from the left and one from the right.
    template <class SpanFunction>
    void walkRows(EdgeWalk& left, EdgeWalk& right, std::int32_t from, std::int32_t to, SpanFunction& span) const;

    std::array<Edge, 3> edges_;
    // Edge from the lowest to the highest corner, and the edges below and
    // above the middle one; the middle corner's height (1/256 pixel).
    int longEdge_ = 0, lowerEdge_ = 0, upperEdge_ = 0;
    std::int64_t middleY_ = 0;
    std::int32_t firstColumn_ = 0, lastColumn_ = -1, firstRow_ = 0, lastRow_ = -1;
    bool empty_ = true, frontFacing_ = false, perspective_ = false;
    Plane depth_{}, oneOverW_{};
    std::array<Plane, attributeCount> attributes_;
};

template <class SpanFunction>
void TriangleSetup::walkRows(EdgeWalk& left, EdgeWalk& right, std::int32_t from, std::int32_t to,
                             SpanFunction& span) const
{
    const std::int64_t lastOffset = lastColumn_ - firstColumn_;
    for (std::int32_t row = from; row <= to; ++row) {
        const std::int64_t low = std::max<std::int64_t>(0, -left.quotient);
        const std::int64_t high = std::min(lastOffset, right.quotient);
        left.next();
        right.next();
        if (low <= high)
            span(row, firstColumn_ + static_cast<std::int32_t>(low), firstColumn_ + static_cast<std::int32_t>(high));
    }
}

// The covered columns of a row of the box, as offsets from its first
// column (from > to when none), from the edge values at the row's first
// centre: a row's covered centres are consecutive.
inline void TriangleSetup::coveredInRow(const std::int64_t (&atRow)[3], std::int32_t& from, std::int32_t& to) const
{
    const std::int32_t columns = lastColumn_ - firstColumn_ + 1;
    std::int64_t e0 = atRow[0], e1 = atRow[1], e2 = atRow[2];
    from = columns, to = -1;
    for (std::int32_t k = 0; k < columns; ++k) {
        if ((e0 | e1 | e2) >= 0) {  // no edge function negative
            from = std::min(from, k);
            to = k;
        }
        e0 += edges_[0].stepX;
        e1 += edges_[1].stepX;
        e2 += edges_[2].stepX;
    }
}

// A box of a few pixels: every centre tested, without the walks' set-up
// (two divisions an edge).
template <class SpanFunction>
void TriangleSetup::testEachCentre(SpanFunction& span) const
{
    std::int64_t atRow[3] = {edges_[0].atFirst, edges_[1].atFirst, edges_[2].atFirst};
    for (std::int32_t row = firstRow_; row <= lastRow_; ++row) {
        std::int32_t from, to;
        coveredInRow(atRow, from, to);
        if (from <= to) span(row, firstColumn_ + from, firstColumn_ + to);
        for (int e = 0; e < 3; ++e) atRow[e] += edges_[e].stepY;
    }
}

// Below the middle corner's height the edge above it cannot cut a row the
// other two leave (the triangle is convex and they meet at the lowest
// corner); above that height the edge below it cannot. So most rows take two
// walks, one bounding from the left and one from the right. A row whose
// centres lie at that height takes all three, and so does a row whose two
// walks are not one of each, which only a horizontal edge makes: at a
// corner's height.
template <class SpanFunction>
void TriangleSetup::forEachSpan(SpanFunction&& span) const
{
    if (empty_) return;
    if (fewCentres()) return testEachCentre(span);
    const auto walkAt = [this](int edge, std::int32_t row) {
        Edge e = edges_[edge];
        e.atFirst += (row - firstRow_) * e.stepY;
        return EdgeWalk(e);
    };
    const auto allThree = [&](EdgeWalk& a, EdgeWalk& b, EdgeWalk& c, std::int32_t row) {
        std::int64_t low = 0, high = lastColumn_ - firstColumn_;
        const bool covered = a.bound(low, high) & b.bound(low, high) & c.bound(low, high);
        a.next();
        b.next();
        c.next();
        if (covered && low <= high)
            span(row, firstColumn_ + static_cast<std::int32_t>(low), firstColumn_ + static_cast<std::int32_t>(high));
    };
    // Rows [from, to] by `along` and `other`, or by all three; the third
    // walk, two divisions, made only then.
    const auto section = [&](EdgeWalk& along, EdgeWalk& other, auto&& third, std::int32_t from, std::int32_t to) {
        if (along.rising && other.falling) return walkRows(along, other, from, to, span);
        if (along.falling && other.rising) return walkRows(other, along, from, to, span);
        EdgeWalk& walk = third();
        for (std::int32_t row = from; row <= to; ++row) allThree(along, other, walk, row);
    };
    EdgeWalk along = walkAt(longEdge_, firstRow_), lower = walkAt(lowerEdge_, firstRow_);
    // Rows with centres below the middle corner: row * 256 + 128 < middleY.
    const auto lastBelow = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(floorPixels(middleY_ - 129), firstRow_ - 1, lastRow_));
    if (lastBelow >= firstRow_) {
        std::optional<EdgeWalk> upper;
        section(along, lower, [&]() -> EdgeWalk& { return upper.emplace(walkAt(upperEdge_, firstRow_)); }, firstRow_,
                lastBelow);
    }
    std::int32_t row = lastBelow + 1;
    if (row > lastRow_) return;
    EdgeWalk upper = walkAt(upperEdge_, row);
    if (static_cast<std::int64_t>(row) * subpixels + 128 == middleY_) allThree(along, lower, upper, row++);
    if (row <= lastRow_) section(along, upper, [&]() -> EdgeWalk& { return lower; }, row, lastRow_);
}

}  // namespace qelo::software
