#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/spline_path.h"

namespace {

using qelo::SplinePath;
using qelo::Vec3;

// Distinct, non-collinear control points so that every index mix-up shows.
SplinePath makePath(int count, bool closed)
{
    SplinePath path(count, closed);
    for (int i = 0; i < count; ++i) {
        const float f = static_cast<float>(i);
        path.points()[static_cast<std::size_t>(i)] = {f, f * f * 0.25f, 10.0f - 3.0f * f + (i % 3)};
    }
    return path;
}

Vec3 blend(const SplinePath& path, int i0, int i1, int i2, int i3, float t)
{
    const auto w = qelo::splineWeights(t);
    const auto p = path.points();
    const auto one = [&](auto component) {
        return static_cast<float>(w[0] * component(p[i0]) + w[1] * component(p[i1]) + w[2] * component(p[i2]) +
                                  w[3] * component(p[i3]));
    };
    return {one([](const Vec3& v) { return v.x; }), one([](const Vec3& v) { return v.y; }),
            one([](const Vec3& v) { return v.z; })};
}

// The segment split done literally, one step at a time, in float.
Vec3 stepwisePointAt(const SplinePath& path, float u)
{
    const int count = path.count();
    const int c = path.closed() ? count : count - 2;
    float d = static_cast<float>(c) * u;
    int n = 0;
    while (d > 1) {
        d -= 1;
        ++n;
    }
    while (d < 0) {
        d += 1;
        --n;
    }
    if (path.closed()) {
        while (n < 0) {
            n += c;
        }
        n %= c;
    } else {
        if (n >= c) n = c - 1;
        if (n < 0) n = 0;
    }
    const int a = n + 1;
    if (path.closed()) {
        return blend(path, (a - 1) % count, a % count, (a + 1) % count, (a + 2) % count, d);
    }
    return blend(path, a - 1, a, std::min(a + 1, count - 1), std::min(a + 2, count - 1), d);
}

void expectNear(const Vec3& actual, const Vec3& expected, float tolerance = 2e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(SplineWeights, AreTheUniformCubicBSplineWeights)
{
    const auto at0 = qelo::splineWeights(0.0f);
    const auto at1 = qelo::splineWeights(1.0f);
    const auto atHalf = qelo::splineWeights(0.5f);
    const double expected0[4] = {1 / 6.0, 4 / 6.0, 1 / 6.0, 0};
    const double expected1[4] = {0, 1 / 6.0, 4 / 6.0, 1 / 6.0};
    const double expectedHalf[4] = {1 / 48.0, 23 / 48.0, 23 / 48.0, 1 / 48.0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(at0[i], expected0[i], 1e-7) << i;
        EXPECT_NEAR(at1[i], expected1[i], 1e-7) << i;
        EXPECT_NEAR(atHalf[i], expectedHalf[i], 1e-7) << i;
    }
    // Multiplied by the float 1/6, not divided by 6.
    EXPECT_EQ(at0[0], static_cast<double>(0.16666667f));
    EXPECT_NE(at0[0], 1.0 / 6.0);
}

TEST(SplinePath, SplitMatchesStepwiseSubtractionForEveryParameter)
{
    for (const auto& [count, closed] : {std::pair{10, true}, std::pair{30, false}, std::pair{3, false},
                                        std::pair{1, true}, std::pair{7, true}}) {
        const SplinePath path = makePath(count, closed);
        for (int k = -4000; k <= 4000; ++k) {
            const float u = static_cast<float>(k) * 0.00073f;
            const Vec3 expected = stepwisePointAt(path, u);
            ASSERT_EQ(path.pointAt(u), expected) << count << (closed ? " closed, u = " : " open, u = ") << u;
        }
        // Whole-number d: segment k - 1 at t = 1; and values just either side.
        for (int k = -40; k <= 40; ++k) {
            const float u = static_cast<float>(k) / static_cast<float>(path.segments());
            for (const float v : {u, std::nextafter(u, -1e9f), std::nextafter(u, 1e9f)}) {
                ASSERT_EQ(path.pointAt(v), stepwisePointAt(path, v)) << count << " u = " << v;
            }
        }
    }
}

TEST(SplinePath, HugeAndNonFiniteParametersTakeConstantTime)
{
    const SplinePath closed = makePath(10, true);
    // d = 3e8 is whole: segment (3e8 - 1) mod 10 = 9 at t = 1, as at u = 1.
    EXPECT_EQ(closed.pointAt(3e7f), closed.pointAt(1.0f));
    EXPECT_EQ(closed.pointAt(-3e7f), closed.pointAt(0.0f));
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float u : {nan, inf, -inf}) {
        EXPECT_EQ(closed.pointAt(u), closed.pointAt(0.0f));
    }
    const SplinePath open = makePath(30, false);
    EXPECT_EQ(open.pointAt(1e30f), blend(open, 27, 28, 29, 29, 1.0f));
    EXPECT_EQ(open.pointAt(-1e30f), blend(open, 0, 1, 2, 3, 0.0f));
    EXPECT_EQ(open.pointAt(nan), open.pointAt(0.0f));
}

TEST(SplinePath, PathsWithoutSegmentsStandStill)
{
    EXPECT_EQ(SplinePath(0, true).pointAt(0.3f), Vec3());
    EXPECT_EQ(SplinePath(0, false).pointAt(0.3f), Vec3());
    EXPECT_EQ(SplinePath(-5, false).pointAt(0.3f), Vec3());
    EXPECT_EQ(SplinePath(-5, false).count(), 0);
    for (int count : {1, 2}) {
        const SplinePath path = makePath(count, false);
        EXPECT_EQ(path.pointAt(0.7f), path.points()[0]);
    }
    // One closed point is a (degenerate) loop through itself.
    const SplinePath single = makePath(1, true);
    expectNear(single.pointAt(0.4f), single.points()[0]);
}

}  // namespace
