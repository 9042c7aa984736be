#pragma once
// A smooth path through space: a uniform cubic B-spline over owned control
// points, open (runs once, from near the first points to near the last) or
// closed (loops; the parameter is periodic). u from 0 to 1 covers the path
// once. The path does not pass through its control points.
#include <array>
#include <memory>
#include <span>

#include "geometry/vec3.h"

namespace qelo {

class SplinePath {
public:
    // count control points, all (0, 0, 0); a negative count holds none.
    SplinePath(int count, bool closed);

    // The owner writes the control points here; count and closed are fixed.
    std::span<Vec3> points() { return {pointArray.get(), static_cast<std::size_t>(pointCount)}; }
    std::span<const Vec3> points() const { return {pointArray.get(), static_cast<std::size_t>(pointCount)}; }
    int count() const { return pointCount; }
    bool closed() const { return isClosed; }

    // Segments: count for a closed path, count - 2 for an open one.
    int segments() const { return isClosed ? pointCount : pointCount - 2; }

    // The position at parameter u. d = segments * u is split into a segment n
    // and a fraction t in (0, 1] for d > 0 (a whole d = k gives segment k - 1
    // at t = 1) and t in [0, 1) for d <= 0. A closed path wraps n; an open
    // path clamps n to its segments but not t, so it extends a little past
    // both ends. Constant time for any u.
    // Degenerate input: a non-finite d (u NaN or infinite) counts as d = 0,
    // the start of the path. A path with no segment (closed with 0 points,
    // open with fewer than 3) stands still at its first control point, or at
    // the origin when it has none.
    Vec3 pointAt(float u) const;

private:
    std::unique_ptr<Vec3[]> pointArray;
    int pointCount = 0;
    bool isClosed = false;
};

// The four uniform cubic B-spline weights at t, each multiplied by the float
// 1/6 (0.16666667f) rather than divided by 6.
std::array<double, 4> splineWeights(float t);

}  // namespace qelo
