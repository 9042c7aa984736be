#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "geometry/cone.h"

namespace {

using qelo::Mesh;
using qelo::MeshTriangle;
using qelo::Vec3;

void expectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

std::vector<MeshTriangle> trianglesOf(const Mesh& mesh)
{
    return {mesh.triangles().begin(), mesh.triangles().end()};
}

// The angle is j / c x 6.2831855 held in double: with seven sides six of
// the seven corners differ in their last bits from an angle kept as a float.
TEST(Cone, CornerAnglesAreNotRoundedToFloat)
{
    const float radius = 1.0f;
    const Mesh cone = qelo::makeCone(radius, 2.0f, 7, 1);
    const auto v = cone.vertices();
    for (int j = 0; j < 7; ++j) {
        const double theta = j / 7.0 * 6.2831854820251465;
        EXPECT_EQ(v[j].position.x, float(radius * std::sin(theta))) << j;
        EXPECT_EQ(v[j].position.z, float(radius * std::cos(theta))) << j;
    }
}

// A ring's height g - length / 2 is rounded once. With the length three
// times the smallest subnormal, halving it as a float first would put the
// last ring one step below the base centre instead of in its plane.
TEST(Cone, LastRingLiesInTheBasePlaneForSubnormalLengths)
{
    const float length = 3 * std::numeric_limits<float>::denorm_min();
    const Mesh cone = qelo::makeCone(1.0f, length, 3, 1);
    const auto v = cone.vertices();
    EXPECT_EQ(v[4].position.y, float(double(length) / 2));
    for (int j = 0; j < 3; ++j) EXPECT_EQ(v[j].position.y, v[4].position.y) << j;
}

TEST(Cone, RingsGrowLinearlyFromTheApexAndBandsJoinThem)
{
    const Mesh cone = qelo::makeCone(2.0f, 4.0f, 4, 2);
    ASSERT_EQ(cone.vertexCount(), 10);
    ASSERT_EQ(cone.triangleCount(), 16);
    const auto v = cone.vertices();
    // First ring: half radius at mid height; second: full radius in the base plane.
    expectNear(v[0].position, {0, 0, 1});
    expectNear(v[1].position, {1, 0, 0});
    expectNear(v[2].position, {0, 0, -1});
    expectNear(v[3].position, {-1, 0, 0});
    expectNear(v[4].position, {0, 2, 2});
    expectNear(v[5].position, {2, 2, 0});
    EXPECT_EQ(v[8].position, Vec3(0, -2, 0));
    EXPECT_EQ(v[9].position, Vec3(0, 2, 0));
    const std::vector<MeshTriangle> expected = {
        {0, 1, 5}, {5, 4, 0}, {1, 2, 6}, {6, 5, 1}, {2, 3, 7}, {7, 6, 2}, {3, 0, 4}, {4, 7, 3},  // band
        {0, 8, 1}, {9, 4, 5}, {1, 8, 2}, {9, 5, 6}, {2, 8, 3}, {9, 6, 7}, {3, 8, 0}, {9, 7, 4},  // apex, base
    };
    EXPECT_EQ(trianglesOf(cone), expected);
    for (const auto& vertex : v) {
        EXPECT_EQ(vertex.normal, Vec3());
        EXPECT_EQ(vertex.texCoord.x, 0.0f);
        EXPECT_EQ(vertex.colour, (qelo::VertexColour{1, 1, 1, 1}));
    }
}

TEST(Cone, TrianglesFaceOutwards)
{
    const Mesh cone = qelo::makeCone(1.0f, 3.0f, 5, 3);
    const auto v = cone.vertices();
    for (const MeshTriangle& t : cone.triangles()) {
        const Vec3 a = v[t.a].position, b = v[t.b].position, c = v[t.c].position;
        const Vec3 normal = b.minus(a).cross(c.minus(a));
        const Vec3 centre((a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3);
        // The cone's centroid lies on the axis a quarter up from the apex: y = -0.75.
        const Vec3 outwards = centre.minus(Vec3(0, -0.75f, 0));
        EXPECT_GT(normal.x * outwards.x + normal.y * outwards.y + normal.z * outwards.z, 0.0f)
            << t.a << " " << t.b << " " << t.c;
    }
}

TEST(Cone, DegenerateRequestsGiveAnEmptyMesh)
{
    for (const auto& [length, sides, rings] :
         {std::tuple{1.0f, 0, 1}, std::tuple{1.0f, 3, 0}, std::tuple{1.0f, -2, 4}, std::tuple{0.0f, 3, 1},
          std::tuple{std::numeric_limits<float>::quiet_NaN(), 3, 1}, std::tuple{1.0f, 100000, 100000},
          std::tuple{1.0f, 32768, 32767}, std::tuple{1.0f, (1 << 20) - 1, 1}}) {
        const Mesh cone = qelo::makeCone(1.0f, length, sides, rings);
        EXPECT_EQ(cone.vertexCount(), 0) << sides << " " << rings;
        EXPECT_EQ(cone.triangleCount(), 0);
        EXPECT_TRUE(cone.ownsArrays());
    }
    // The largest cone built has 2^20 vertices.
    EXPECT_EQ(qelo::makeCone(1.0f, 2.0f, (1 << 20) - 2, 1).vertexCount(), 1 << 20);
    // One side: a needle, but a well-formed one.
    const Mesh needle = qelo::makeCone(1.0f, 2.0f, 1, 1);
    EXPECT_EQ(needle.vertexCount(), 3);
    EXPECT_EQ(trianglesOf(needle), (std::vector<MeshTriangle>{{0, 1, 0}, {2, 0, 0}}));
}

}  // namespace
