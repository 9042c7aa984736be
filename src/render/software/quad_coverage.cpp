#include "render/software/quad_coverage.h"

#include <algorithm>

namespace qelo::software {

namespace {

constexpr std::int64_t subpixels = 256;

std::int64_t floorDivide(std::int64_t a, std::int64_t b)  // b > 0
{
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

QuadCoverage::QuadCoverage(const WindowVertex* quad, std::int32_t width, std::int32_t height)
{
    std::int64_t x[4], y[4];
    for (int k = 0; k < 4; ++k) {
        x[k] = snappedPosition(quad[k].x);
        y[k] = snappedPosition(quad[k].y);
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

    const std::int64_t minX = std::min({x[0], x[1], x[2], x[3]}), maxX = std::max({x[0], x[1], x[2], x[3]});
    const std::int64_t minY = std::min({y[0], y[1], y[2], y[3]}), maxY = std::max({y[0], y[1], y[2], y[3]});
    firstColumn_ = static_cast<std::int32_t>(std::max<std::int64_t>(0, floorDivide(minX - 128, subpixels)));
    lastColumn_ = static_cast<std::int32_t>(std::min<std::int64_t>(width - 1, floorDivide(maxX - 128, subpixels)));
    firstRow_ = static_cast<std::int32_t>(std::max<std::int64_t>(0, floorDivide(minY - 128, subpixels)));
    lastRow_ = static_cast<std::int32_t>(std::min<std::int64_t>(height - 1, floorDivide(maxY - 128, subpixels)));
    usable_ = true;  // an empty box walks no rows
    const std::int64_t centreX = firstColumn_ * subpixels + 128, centreY = firstRow_ * subpixels + 128;
    for (int k = 0; k < 4; ++k) {
        const int next = (k + 1) % 4;
        const std::int64_t dx = x[next] - x[k], dy = y[next] - y[k];
        const bool ownsTies = dy < 0 || (dy == 0 && dx < 0);
        edges_[k].atFirst = dx * (centreY - y[k]) - dy * (centreX - x[k]) - (ownsTies ? 0 : 1);
        edges_[k].stepX = -dy * subpixels;
        edges_[k].stepY = dx * subpixels;
    }
}

}  // namespace qelo::software
