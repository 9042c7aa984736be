#pragma once
// The edges of a counter-clockwise convex polygon in window space (1/256
// pixel), stepped row by row: what TriangleSetup and QuadCoverage share.
// An edge's function is positive on its interior side; a pixel centre
// exactly on the edge counts as inside when the edge goes down (y up) or,
// horizontal, to the left: the tie rule of rasteriser.h.
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qelo::software {

constexpr std::int64_t subpixels = 256;

// floor(a / b) for b > 0. Below 2^52 in magnitude both are exact doubles;
// their rounded quotient is within 1 / (2b) of a / b, which, unless a whole
// number, is at least 1 / b from one: its floor is exact. No integer
// division then, which costs several times as much (and two in
// WebAssembly, the quotient and the remainder).
inline std::int64_t floorQuotient(std::int64_t a, std::int64_t b)
{
    constexpr std::int64_t exact = std::int64_t{1} << 52;
    if (a > -exact && a < exact && b < exact)
        return static_cast<std::int64_t>(std::floor(static_cast<double>(a) / static_cast<double>(b)));
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// floor(a / 256): an arithmetic shift (C++20 defines it for negative a).
constexpr std::int64_t floorPixels(std::int64_t a) { return a >> 8; }
static_assert(subpixels == 256 && floorPixels(-1) == -1 && floorPixels(-256) == -1 && floorPixels(-257) == -2);

// The pixels whose centres (i * 256 + 128) lie within [minX, maxX] x
// [minY, maxY], clamped to a width x height picture; empty when first > last.
struct PixelBox {
    std::int32_t firstColumn = 0, lastColumn = -1, firstRow = 0, lastRow = -1;
    PixelBox() = default;
    PixelBox(std::int64_t minX, std::int64_t maxX, std::int64_t minY, std::int64_t maxY, std::int32_t width,
             std::int32_t height)
        : firstColumn(static_cast<std::int32_t>(std::max<std::int64_t>(0, floorPixels(minX - 128)))),
          lastColumn(static_cast<std::int32_t>(std::min<std::int64_t>(width - 1, floorPixels(maxX - 128)))),
          firstRow(static_cast<std::int32_t>(std::max<std::int64_t>(0, floorPixels(minY - 128)))),
          lastRow(static_cast<std::int32_t>(std::min<std::int64_t>(height - 1, floorPixels(maxY - 128))))
    {
    }
    bool empty() const { return firstColumn > lastColumn || firstRow > lastRow; }
};

struct Edge {
    std::int64_t atFirst = 0;  // biased edge function at the box's first pixel's centre
    std::int64_t stepX = 0, stepY = 0;
};

// The edge from (x0, y0) to (x1, y1), counted from the centre of `box`'s first pixel.
inline Edge edgeFrom(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, const PixelBox& box)
{
    const std::int64_t centreX = box.firstColumn * subpixels + 128, centreY = box.firstRow * subpixels + 128;
    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const bool ownsTies = dy < 0 || (dy == 0 && dx < 0);
    return {dx * (centreY - y0) - dy * (centreX - x0) - (ownsTies ? 0 : 1), -dy * subpixels, dx * subpixels};
}

// Per edge, floor(atRow / d) with d = |stepX| (1 for a horizontal edge) as
// quotient and remainder, both stepped by stepY each row. A rising edge
// (stepX > 0) bounds the columns from below by -quotient, a falling one from
// above by quotient; a negative quotient of either of the others empties the
// row. Kept as separate locals by the callers: they stay in registers.
struct EdgeWalk {
    std::int64_t quotient, remainder, divisor, quotientStep, remainderStep;
    bool rising, falling;
    explicit EdgeWalk(const Edge& edge)
        : divisor(edge.stepX > 0 ? edge.stepX : edge.stepX < 0 ? -edge.stepX : 1),
          rising(edge.stepX > 0),
          falling(edge.stepX < 0)
    {
        quotient = floorQuotient(edge.atFirst, divisor);
        remainder = edge.atFirst - quotient * divisor;
        quotientStep = floorQuotient(edge.stepY, divisor);
        remainderStep = edge.stepY - quotientStep * divisor;
    }
    // Narrows [low, high] by this row's bound; false when the row is empty.
    [[gnu::always_inline]] bool bound(std::int64_t& low, std::int64_t& high) const
    {
        if (rising) {
            low = std::max(low, -quotient);
            return true;
        }
        if (falling) high = std::min(high, quotient);
        return quotient >= 0;
    }
    // Without a branch: the carry is as likely as not, row to row.
    [[gnu::always_inline]] void next()
    {
        remainder += remainderStep;
        const std::int64_t carry = remainder >= divisor;
        quotient += quotientStep + carry;
        remainder -= divisor & -carry;
    }
};

}  // namespace qelo::software
