#include "render/software/quad_coverage.h"

#include <algorithm>

namespace qelo::software {

QuadCoverage::QuadCoverage(const WindowVertex* quad, std::int32_t width, std::int32_t height)
{
    std::int64_t x[4], y[4];
    for (int k = 0; k < 4; ++k) {
        snappedPoint(quad[k], x[k], y[k]);
    }
    // Strictly convex: the four turns one way and none straight. (Four
    // turns of one sign add up to one full turn: the quad is simple, and
    // both fan triangles turn that way too.)
    int positive = 0, negative = 0;
    for (int k = 0; k < 4; ++k) {
        const int previous = (k + 3) % 4, next = (k + 1) % 4;
        const std::int64_t turn =
            (x[k] - x[previous]) * (y[next] - y[k]) - (y[k] - y[previous]) * (x[next] - x[k]);
        positive += turn > 0;
        negative += turn < 0;
    }
    if (positive != 4 && negative != 4) return;
    frontFacing_ = positive == 4;
    if (!frontFacing_) {  // edges counter-clockwise from here on, as the triangles' are
        std::swap(x[1], x[3]);
        std::swap(y[1], y[3]);
    }

    box_ = PixelBox(std::min({x[0], x[1], x[2], x[3]}), std::max({x[0], x[1], x[2], x[3]}),
                    std::min({y[0], y[1], y[2], y[3]}), std::max({y[0], y[1], y[2], y[3]}), width, height);
    for (int k = 0; k < 4; ++k) edges_[k] = edgeFrom(x[k], y[k], x[(k + 1) % 4], y[(k + 1) % 4], box_);
    usable_ = true;  // an empty box walks no rows
}

}  // namespace qelo::software
