#include "geometry/spline_path.h"

#include <algorithm>
#include <cmath>

namespace qelo {

namespace {

constexpr float oneSixth = 0.16666667f;

// Above this every float is a whole number and d - 1 is no longer exact.
constexpr float exactWholeLimit = 16777216.0f;  // 2^24

struct Split {
    double whole;  // n, or for d > 0 the value n + 1 (see below)
    bool above;    // d > 0: the segment is whole - 1
    float t;
};

// The segment split of d, equal to subtracting (or adding) 1 until d lies in
// (0, 1] (or [0, 1)), counting the steps, but in constant time. Below 2^24 each
// of those steps is exact in float, so the closed form gives the same n and
// t; above it d is whole and the count is reduced modulo the segments by the
// caller without ever forming n.
Split split(float d)
{
    if (d > 0.0f) {
        const double whole = std::ceil(static_cast<double>(d));
        const float t = d >= exactWholeLimit ? 1.0f : static_cast<float>(d - whole + 1.0);
        return {whole, true, t};
    }
    const double whole = std::floor(static_cast<double>(d));
    return {whole, false, static_cast<float>(d - whole)};
}

}  // namespace

SplinePath::SplinePath(int count, bool closed)
    : pointArray(std::make_unique<Vec3[]>(static_cast<std::size_t>(std::max(count, 0)))),
      pointCount(std::max(count, 0)),
      isClosed(closed)
{
}

std::array<double, 4> splineWeights(float t)
{
    const double s = oneSixth;
    const double t1 = t;
    const double t2 = t1 * t1;
    const double t3 = t2 * t1;
    return {((t2 - t1) * 3.0 + 1.0 - t3) * s, (4.0 - 6.0 * t2 + 3.0 * t3) * s,
            ((t1 + t2 - t3) * 3.0 + 1.0) * s, t3 * s};
}

Vec3 SplinePath::pointAt(float u) const
{
    const int c = segments();
    if (c < 1) {
        return pointCount > 0 ? pointArray[0] : Vec3{};
    }
    float d = static_cast<float>(c) * u;
    if (!std::isfinite(d)) {
        d = 0.0f;
    }
    const Split parts = split(d);

    // Segment index in range: wrapped for a closed path, clamped for an open one.
    int n;
    if (isClosed) {
        double wrapped = std::fmod(parts.whole, c);  // exact
        if (parts.above) {
            wrapped -= 1.0;
        }
        if (wrapped < 0.0) {
            wrapped += c;
        }
        n = static_cast<int>(wrapped);
    } else if (parts.above) {
        n = parts.whole > c ? c - 1 : static_cast<int>(parts.whole) - 1;
    } else {
        n = 0;  // d <= 0 gives n <= 0, clamped to the first segment
    }

    const int a = n + 1;
    const Vec3* p = pointArray.get();
    Vec3 q0, q1, q2, q3;
    if (isClosed) {
        const int last = pointCount;
        q0 = p[(a - 1) % last];
        q1 = p[a % last];
        q2 = p[(a + 1) % last];
        q3 = p[(a + 2) % last];
    } else {
        const int last = pointCount - 1;
        q0 = p[a - 1];
        q1 = p[a];
        q2 = p[std::min(a + 1, last)];
        q3 = p[std::min(a + 2, last)];
    }

    const auto w = splineWeights(parts.t);
    return {static_cast<float>(w[0] * q0.x + w[1] * q1.x + w[2] * q2.x + w[3] * q3.x),
            static_cast<float>(w[0] * q0.y + w[1] * q1.y + w[2] * q2.y + w[3] * q3.y),
            static_cast<float>(w[0] * q0.z + w[1] * q1.z + w[2] * q2.z + w[3] * q3.z)};
}

}  // namespace qelo
