#pragma once
// The coverage of a quad at once, for spans of one colour without depth or
// texture (attribute planes would differ between its two triangles). The
// renderer draws a quad as the fan 0-1-2, 0-2-3 (rasteriser.h); when the
// quad stays strictly convex after snapping, the two triangles cover each
// pixel of it once (a centre on the diagonal belongs to exactly one of
// them, by the tie rule) and nothing else: the pixels whose centres lie
// inside the quad's four edges, with those edges' tie rules. That holds at
// corners 0 and 2 too: the diagonal leaves a corner between its two edges
// (less than a half turn apart), so a centre on such a corner belongs to a
// triangle exactly when it belongs to both outer edges. Walking the four
// edges row by row finds the pixels with one span a row instead of two.
// A quad that is not strictly convex after snapping is not `usable()`: the
// caller draws the fan.
#include <array>
#include <cstdint>

#include "render/software/rasteriser.h"

namespace qelo::software {

class QuadCoverage {
public:
    QuadCoverage(const WindowVertex* quad, std::int32_t width, std::int32_t height);

    bool usable() const { return usable_; }
    // Counter-clockwise in window coordinates (y up), as both triangles are then.
    bool frontFacing() const { return frontFacing_; }
    // Calls span(row, from, to) for every row with covered columns (from..to
    // inclusive, within the picture), bottom to top. Only when usable().
    template <class SpanFunction>
    void forEachSpan(SpanFunction&& span) const;

private:
    static std::int64_t floorQuotient(std::int64_t a, std::int64_t b)
    {
        const std::int64_t q = a / b;
        return (a % b != 0 && a < 0) ? q - 1 : q;
    }
    struct Edge {
        std::int64_t atFirst = 0;  // biased edge function at (firstColumn, firstRow)'s centre
        std::int64_t stepX = 0, stepY = 0;
    };
    std::array<Edge, 4> edges_;
    std::int32_t firstColumn_ = 0, lastColumn_ = -1, firstRow_ = 0, lastRow_ = -1;
    bool usable_ = false, frontFacing_ = false;
};

template <class SpanFunction>
void QuadCoverage::forEachSpan(SpanFunction&& span) const
{
    // As TriangleSetup::forEachSpan, with four edges: per edge floor(atRow / d),
    // d = |stepX| (1 for a horizontal edge), stepped by stepY each row; a
    // rising edge bounds the columns from below, a falling one from above,
    // and a negative quotient of a horizontal or falling edge empties the row.
    struct Walk {
        std::int64_t quotient, remainder, divisor, quotientStep, remainderStep;
        bool rising, falling;
        explicit Walk(const Edge& edge)
            : divisor(edge.stepX > 0 ? edge.stepX : edge.stepX < 0 ? -edge.stepX : 1),
              rising(edge.stepX > 0),
              falling(edge.stepX < 0)
        {
            quotient = floorQuotient(edge.atFirst, divisor);
            remainder = edge.atFirst - quotient * divisor;
            quotientStep = floorQuotient(edge.stepY, divisor);
            remainderStep = edge.stepY - quotientStep * divisor;
        }
        [[gnu::always_inline]] bool bound(std::int64_t& low, std::int64_t& high) const
        {
            if (rising) {
                low = std::max(low, -quotient);
                return true;
            }
            if (falling) high = std::min(high, quotient);
            return quotient >= 0;
        }
        [[gnu::always_inline]] void next()
        {
            remainder += remainderStep;
            const std::int64_t carry = remainder >= divisor;
            quotient += quotientStep + carry;
            remainder -= divisor & -carry;
        }
    };
    if (!usable_) return;
    Walk a(edges_[0]), b(edges_[1]), c(edges_[2]), d(edges_[3]);
    const std::int64_t lastOffset = lastColumn_ - firstColumn_;
    for (std::int32_t row = firstRow_; row <= lastRow_; ++row) {
        std::int64_t low = 0, high = lastOffset;
        const bool covered = a.bound(low, high) & b.bound(low, high) & c.bound(low, high) & d.bound(low, high);
        a.next();
        b.next();
        c.next();
        d.next();
        if (covered && low <= high)
            span(row, firstColumn_ + static_cast<std::int32_t>(low), firstColumn_ + static_cast<std::int32_t>(high));
    }
}

}  // namespace qelo::software
