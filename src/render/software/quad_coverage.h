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

#include "render/software/edge_walk.h"
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
    std::array<Edge, 4> edges_;
    PixelBox box_;
    bool usable_ = false, frontFacing_ = false;
};

template <class SpanFunction>
void QuadCoverage::forEachSpan(SpanFunction&& span) const
{
    if (!usable_) return;
    EdgeWalk a(edges_[0]), b(edges_[1]), c(edges_[2]), d(edges_[3]);
    const std::int64_t lastOffset = box_.lastColumn - box_.firstColumn;
    for (std::int32_t row = box_.firstRow; row <= box_.lastRow; ++row) {
        std::int64_t low = 0, high = lastOffset;
        const bool covered = a.bound(low, high) & b.bound(low, high) & c.bound(low, high) & d.bound(low, high);
        a.next();
        b.next();
        c.next();
        d.next();
        if (covered && low <= high)
            span(row, box_.firstColumn + static_cast<std::int32_t>(low),
                 box_.firstColumn + static_cast<std::int32_t>(high));
    }
}

}  // namespace qelo::software
