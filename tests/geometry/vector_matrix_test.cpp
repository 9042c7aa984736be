#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/matrix.h"
#include "geometry/vec3.h"

namespace {

using qelo::Matrix;
using qelo::Vec3;

void expectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-6f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(Vec3, WithLengthScalesAlongTheDirectionAndLeavesZeroVectorsAtZero)
{
    expectNear(Vec3(3, 0, 4).withLength(1.0f), {0.6f, 0.0f, 0.8f});
    EXPECT_EQ(Vec3(0, 0, -5).withLength(2.0f), Vec3(0, 0, -2));
    EXPECT_EQ(Vec3(0, 0, 0).withLength(1.0f), Vec3(0, 0, 0));
    // Nor has a vector with an infinite or NaN component: zero, not NaN.
    const float infinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Vec3(infinity, 1, 0).withLength(1.0f), Vec3(0, 0, 0));
    EXPECT_EQ(Vec3(0, -infinity, infinity).withLength(2.0f), Vec3(0, 0, 0));
    EXPECT_EQ(Vec3(std::nanf(""), 1, 0).withLength(1.0f), Vec3(0, 0, 0));
    // The largest finite floats still have a direction.
    const float big = std::numeric_limits<float>::max();
    expectNear(Vec3(big, big, 0).withLength(1.0f), {0.70710677f, 0.70710677f, 0.0f});
    // Float-tiny vectors still have a direction (their squares would underflow in float).
    expectNear(Vec3(1e-30f, 0, 0).withLength(1.0f), {1.0f, 0.0f, 0.0f});
}

TEST(Vec3, MinusAndCrossAreComponentwiseAndRightHanded)
{
    EXPECT_EQ(Vec3(1, 2, 3).minus(Vec3(0.5f, 2, 4)), Vec3(0.5f, 0, -1));
    EXPECT_EQ(Vec3(1, 0, 0).cross(Vec3(0, 1, 0)), Vec3(0, 0, 1));
    EXPECT_EQ(Vec3(0, 1, 0).cross(Vec3(1, 0, 0)), Vec3(0, 0, -1));
    EXPECT_EQ(Vec3(0, 0, 1).cross(Vec3(0, 1, 0)), Vec3(-1, 0, 0));
}

TEST(Matrix, LoadIdentityOverwritesEverythingAndTranslationsAccumulate)
{
    Matrix m;
    m.m.fill(7.0f);
    m.loadIdentity().translate(1, 2, 3);
    m.translate(1, 2, 3);
    const decltype(m.m) expected{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 4, 6, 1};  // column-major
    EXPECT_EQ(m.m, expected);
}

TEST(Matrix, TransformedAppliesTheAffinePartAndIgnoresTheFourthRow)
{
    Matrix m;
    m.loadIdentity();
    const Vec3 p(1.5f, -2.0f, 0.25f);
    EXPECT_EQ(p.transformed(m), p);
    m.m[12] = 1;
    m.m[13] = 2;
    m.m[14] = 3;
    m.m[3] = 5;  // fourth row: no division by w
    m.m[15] = 9;
    EXPECT_EQ(p.transformed(m), Vec3(2.5f, 0.0f, 3.25f));
    m.m[1] = 2;  // element 4 * column + row: column 0 feeds y' from x
    EXPECT_EQ(p.transformed(m), Vec3(2.5f, 3.0f, 3.25f));
}

TEST(Matrix, OrientFillsTheRotationAndKeepsTheRest)
{
    Matrix m;
    m.loadIdentity().orient(Vec3(0, 0, 1), Vec3(0, 1, 0));
    for (int i = 0; i < 16; ++i) {
        const float diagonal[4] = {-1, -1, 1, 1};
        EXPECT_EQ(m.m[i], i % 5 == 0 ? diagonal[i / 5] : 0.0f) << i;
    }
    // The branch placement: a half turn about z, then a shift down by half a length.
    m.translate(0, -7.5f, 0);
    EXPECT_EQ(Vec3(1, 2, 3).transformed(m), Vec3(-1, 5.5f, 3));

    Matrix kept;
    kept.m.fill(4.0f);
    kept.orient(Vec3(0, 0, 2), Vec3(0, 3, 0));
    for (int i : {3, 7, 11, 12, 13, 14, 15}) {
        EXPECT_EQ(kept.m[i], 4.0f) << i;
    }
    EXPECT_EQ(kept.m[10], 1.0f);
}

TEST(Matrix, OrientWithParallelVectorsGivesZeroAxesNotNaN)
{
    Matrix m;
    m.loadIdentity().orient(Vec3(0, 2, 0), Vec3(0, 1, 0));
    for (float value : m.m) {
        EXPECT_FALSE(std::isnan(value));
    }
    EXPECT_EQ(m.m[0], 0.0f);
    EXPECT_EQ(m.m[5], 0.0f);
    EXPECT_EQ(m.m[9], 1.0f);
}

}  // namespace
