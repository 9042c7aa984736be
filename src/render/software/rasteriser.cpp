#include "render/software/rasteriser.h"

#include <algorithm>
#include <cmath>

namespace qelo::software {

TriangleSetup::TriangleSetup(const WindowVertex& a, const WindowVertex& b, const WindowVertex& c,
                             std::int32_t width, std::int32_t height, int firstAttribute, int lastAttribute,
                             bool withDepth, bool withOneOverW)
{
    const WindowVertex* v[3] = {&a, &b, &c};
    std::int64_t x[3], y[3];
    for (int k = 0; k < 3; ++k) {
        snappedPoint(*v[k], x[k], y[k]);
    }
    const std::int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0) return;
    frontFacing_ = area > 0;
    if (!frontFacing_) {  // edges counter-clockwise from here on
        std::swap(v[1], v[2]);
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
    }

    // Pixels whose centres can be inside.
    const PixelBox box(std::min({x[0], x[1], x[2]}), std::max({x[0], x[1], x[2]}), std::min({y[0], y[1], y[2]}),
                       std::max({y[0], y[1], y[2]}), width, height);
    firstColumn_ = box.firstColumn;
    lastColumn_ = box.lastColumn;
    firstRow_ = box.firstRow;
    lastRow_ = box.lastRow;
    if (box.empty()) return;
    for (int k = 0; k < 3; ++k) edges_[k] = edgeFrom(x[k], y[k], x[(k + 1) % 3], y[(k + 1) % 3], box);
    // A sliver between the centres of a few pixels (4 in 10 of the tree's
    // triangles) is found here, before its planes.
    if (fewCentres() && !coversAnyCentre()) return;
    empty_ = false;
    // Corners by height (ties in any order) and the edges between them:
    // edge k joins corners k and k + 1.
    int lowest = 0, middle = 1, highest = 2;
    if (y[middle] < y[lowest]) std::swap(lowest, middle);
    if (y[highest] < y[middle]) std::swap(middle, highest);
    if (y[middle] < y[lowest]) std::swap(lowest, middle);
    const auto joining = [](int i, int j) { return (i + 1) % 3 == j ? i : j; };
    longEdge_ = joining(lowest, highest);
    lowerEdge_ = joining(lowest, middle);
    upperEdge_ = joining(middle, highest);
    middleY_ = y[middle];

    // Planes from the snapped positions, in pixels.
    const double x0 = static_cast<double>(x[0]) / subpixels, y0 = static_cast<double>(y[0]) / subpixels;
    const double dx1 = static_cast<double>(x[1] - x[0]) / subpixels, dy1 = static_cast<double>(y[1] - y[0]) / subpixels;
    const double dx2 = static_cast<double>(x[2] - x[0]) / subpixels, dy2 = static_cast<double>(y[2] - y[0]) / subpixels;
    const double determinant = dx1 * dy2 - dx2 * dy1;
    auto plane = [&](double v0, double v1, double v2) {
        Plane p;
        p.dx = ((v1 - v0) * dy2 - (v2 - v0) * dy1) / determinant;
        p.dy = ((v2 - v0) * dx1 - (v1 - v0) * dx2) / determinant;
        p.atOrigin = v0 + p.dx * (0.5 - x0) + p.dy * (0.5 - y0);
        return p;
    };
    if (withDepth) depth_ = plane(v[0]->z, v[1]->z, v[2]->z);
    if (withOneOverW) oneOverW_ = plane(v[0]->q, v[1]->q, v[2]->q);
    perspective_ = !(v[0]->q == v[1]->q && v[1]->q == v[2]->q);
    for (int k = std::max(0, firstAttribute); k < std::min(lastAttribute, attributeCount); ++k) {
        const double w0 = perspective_ ? v[0]->q : 1, w1 = perspective_ ? v[1]->q : 1, w2 = perspective_ ? v[2]->q : 1;
        attributes_[k] = plane(v[0]->attributes[k] * w0, v[1]->attributes[k] * w1, v[2]->attributes[k] * w2);
    }
}

bool TriangleSetup::coversAnyCentre() const
{
    std::int64_t atRow[3] = {edges_[0].atFirst, edges_[1].atFirst, edges_[2].atFirst};
    for (std::int32_t row = firstRow_; row <= lastRow_; ++row) {
        std::int32_t from, to;
        coveredInRow(atRow, from, to);
        if (from <= to) return true;
        for (int e = 0; e < 3; ++e) atRow[e] += edges_[e].stepY;
    }
    return false;
}

bool TriangleSetup::rowSpan(std::int32_t row, std::int32_t& from, std::int32_t& to) const
{
    // Columns k = i - firstColumn with atRow + k * stepX >= 0 on every edge.
    std::int64_t low = 0, high = lastColumn_ - firstColumn_;
    for (const Edge& edge : edges_) {
        const std::int64_t atRow = edge.atFirst + (row - firstRow_) * edge.stepY;
        if (edge.stepX > 0) {
            if (atRow < 0) low = std::max(low, (-atRow + edge.stepX - 1) / edge.stepX);
        } else if (edge.stepX < 0) {
            if (atRow < 0) return false;
            high = std::min(high, atRow / -edge.stepX);
        } else if (atRow < 0) {
            return false;
        }
    }
    if (low > high) return false;
    from = firstColumn_ + static_cast<std::int32_t>(low);
    to = firstColumn_ + static_cast<std::int32_t>(high);
    return true;
}

}  // namespace qelo::software
