// Which pixels the software renderer covers: pixel centres, the tie rule
// between triangles sharing an edge, clipping, and primitives with
// coordinates far outside the picture or not numbers at all.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "render/software/edge_walk.h"
#include "render/software/quad_coverage.h"
#include "render/software/rasteriser.h"
#include "render/software/software_test_support.h"

namespace qelo::test {
namespace {

using software::SoftwareContext;

// The red channel of every pixel, row by row from the bottom.
std::vector<int> counts(const SoftwareContext& context)
{
    std::vector<int> out;
    for (int y = 0; y < context.height(); ++y)
        for (int x = 0; x < context.width(); ++x) out.push_back(pixelAt(context, x, y)[0]);
    return out;
}

TEST(SoftwareCoverage, APixelIsCoveredWhenItsCentreIsInside)
{
    SoftwareContext context(16, 16);
    pixelProjection(context);
    countDraws(context);
    // Centres (i + 0.5, j + 0.5) strictly inside x + y < 4: i + j <= 2; those
    // on the hypotenuse (i + j == 3) lie on a right-hand edge and stay out.
    triangle(context, {0, 0}, {4, 0}, {0, 4});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(pixelAt(context, x, y)[0], x + y <= 2 ? 1 : 0) << x << ", " << y;
}

TEST(SoftwareCoverage, AQuadCoversTheCentresWithinItsRectangle)
{
    SoftwareContext context(16, 16);
    pixelProjection(context);
    countDraws(context);
    // Centres on the left and top edges are in, on the right and bottom out.
    rectangle(context, 2.5f, 3.5f, 7.5f, 5.5f);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 2 && x <= 6 && (y == 4 || y == 5);
            EXPECT_EQ(pixelAt(context, x, y)[0], inside ? 1 : 0) << x << ", " << y;
        }
}

void expectSteppedSpansAreRowSpans(const software::WindowVertex& a, const software::WindowVertex& b,
                                   const software::WindowVertex& c, int k)
{
    const software::TriangleSetup setup(a, b, c, 1024, 768);
    std::vector<std::array<int, 3>> stepped, direct;
    setup.forEachSpan([&](int row, int from, int to) { stepped.push_back({row, from, to}); });
    int from = 0, to = 0;
    if (!setup.empty())
        for (int row = setup.firstRow(); row <= setup.lastRow(); ++row)
            if (setup.rowSpan(row, from, to)) direct.push_back({row, from, to});
    ASSERT_EQ(stepped, direct) << k << ": " << a.x << "," << a.y << " " << b.x << "," << b.y << " " << c.x << "," << c.y;
}

TEST(SoftwareCoverage, SteppedSpansAreTheRowByRowSpans)
{
    // Thin, tiny, huge and half-outside triangles at sub-pixel positions.
    std::mt19937 random(9);
    std::uniform_real_distribution<double> place(-300, 1300), nudge(-3, 3);
    for (int k = 0; k < 3000; ++k) {
        software::WindowVertex a, b, c;
        a.x = place(random), a.y = place(random);
        // Every 11th reaches 2^20 pixels away (the clamp), where the edge values pass 2^52.
        const double scale = k % 11 == 0 ? 1e6 : k % 3 == 0 ? 1 : k % 3 == 1 ? 40 : 400;
        b.x = a.x + nudge(random) * scale, b.y = a.y + nudge(random) * scale;
        c.x = a.x + nudge(random) * scale, c.y = k % 7 == 0 ? b.y : a.y + nudge(random) * scale;
        expectSteppedSpansAreRowSpans(a, b, c, k);
    }
    // Corners on a quarter-pixel grid: on pixel centres, sharing heights
    // (horizontal edges, the middle corner level with another), both windings.
    // Every other one within a few pixels: the boxes tested centre by centre.
    std::uniform_int_distribution<int> quarter(-8, 60), near(0, 12);
    for (int k = 0; k < 20000; ++k) {
        software::WindowVertex corner[3];
        const double x0 = quarter(random) * 0.25, y0 = quarter(random) * 0.25;
        for (auto& v : corner)
            if (k % 2) v.x = x0 + near(random) * 0.25, v.y = y0 + near(random) * 0.25;
            else v.x = quarter(random) * 0.25, v.y = quarter(random) * 0.25;
        if (k % 5 == 0) corner[2].y = corner[k % 2].y;
        expectSteppedSpansAreRowSpans(corner[0], corner[1], corner[2], k);
    }
}

TEST(SoftwareCoverage, TrianglesSharingEdgesCoverEachPixelOnce)
{
    SoftwareContext context(64, 64);
    pixelProjection(context);
    countDraws(context);
    // Two triangles along a diagonal through pixel centres.
    triangle(context, {2.5f, 2.5f}, {30.5f, 2.5f}, {30.5f, 30.5f});
    triangle(context, {2.5f, 2.5f}, {30.5f, 30.5f}, {2.5f, 30.5f});
    // A fan of 12 triangles around a pixel centre, corners at odd sub-pixel places.
    const float cx = 46.5f, cy = 46.5f;
    for (int k = 0; k < 12; ++k) {
        const double a0 = k * 6.283185307179586 / 12 + 0.1, a1 = (k + 1) * 6.283185307179586 / 12 + 0.1;
        triangle(context, {cx, cy}, {cx + 15 * float(std::cos(a0)), cy + 15 * float(std::sin(a0))},
                 {cx + 15 * float(std::cos(a1)), cy + 15 * float(std::sin(a1))});
    }
    const std::vector<int> seen = counts(context);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int n = seen[y * 64 + x];
            EXPECT_LE(n, 1) << x << ", " << y;
            const bool inSquare = x >= 3 && x <= 29 && y >= 3 && y <= 29;
            const bool inFan = std::hypot(x + 0.5 - cx, y + 0.5 - cy) < 14.4;  // inside the 12-gon's incircle
            if (inSquare || inFan) {
                EXPECT_EQ(n, 1) << x << ", " << y;
            }
        }
}

// The edge walk's floor division: exact next to whole quotients (where a
// rounded quotient would show it first), for negative numerators, and past
// 2^52, where it divides in integers.
TEST(SoftwareCoverage, EdgeQuotientsAreExactFloors)
{
    const auto reference = [](std::int64_t a, std::int64_t b) {
        const std::int64_t q = a / b;
        return (a % b != 0 && a < 0) ? q - 1 : q;
    };
    std::mt19937_64 random(5);
    for (int k = 0; k < 200000; ++k) {
        const std::int64_t b = 1 + static_cast<std::int64_t>(random() >> (k % 2 ? 34 : 4));
        const int bits = 1 + k % 62;
        std::int64_t a = static_cast<std::int64_t>(random() >> (64 - bits));
        if (k % 3 == 0) a = (a / b) * b + static_cast<std::int64_t>(k % 5) - 2;  // beside a multiple of b
        if (k % 2 == 0) a = -a;
        ASSERT_EQ(software::floorQuotient(a, b), reference(a, b)) << a << " / " << b;
    }
}

// A quad walked at once covers what its two fan triangles cover, pixel for
// pixel: convex and not, either winding, corners on pixel centres (the
// diagonal's tie rule) and on sub-pixel places, tiny, huge and reaching out
// of the picture.
TEST(SoftwareCoverage, AQuadAtOnceCoversWhatItsTwoTrianglesCover)
{
    constexpr int width = 96, height = 64;
    std::mt19937 random(21);
    std::uniform_real_distribution<double> place(-40, 136), unit(0, 1);
    std::uniform_int_distribution<int> centre(-2, 98);
    int usable = 0, declined = 0;
    for (int k = 0; k < 4000; ++k) {
        std::array<software::WindowVertex, 4> quad;
        const double scale = k % 4 == 0 ? 2 : k % 4 == 1 ? 30 : 200;
        const double cx = place(random), cy = place(random), turn = unit(random) * 6.283185307179586;
        for (int c = 0; c < 4; ++c) {
            // Around an ellipse (convex), or anywhere near (any shape), or on pixel centres.
            const double a = turn + c * 1.5707963267948966 * (k % 5 == 0 ? -1 : 1) + (unit(random) - 0.5) * 1.2;
            quad[c].x = k % 7 == 3 ? place(random) : cx + scale * std::cos(a);
            quad[c].y = k % 7 == 3 ? place(random) : cy + 0.6 * scale * std::sin(a);
            if (k % 3 == 1) quad[c].x = centre(random) + 0.5, quad[c].y = centre(random) % 66 + 0.5;
        }
        std::vector<int> fan(width * height, 0), atOnce(width * height, 0);
        const auto into = [&](std::vector<int>& counts) {
            return [&counts](int row, int from, int to) {
                for (int x = from; x <= to; ++x) ++counts[static_cast<std::size_t>(row) * width + x];
            };
        };
        bool fanFront = false;  // the first triangle's winding (set even when it lies outside)
        for (int t = 1; t <= 2; ++t) {
            const software::TriangleSetup triangle(quad[0], quad[t], quad[t + 1], width, height, 4, 4, false, false);
            if (t == 1) fanFront = triangle.frontFacing();
            triangle.forEachSpan(into(fan));
        }
        const software::QuadCoverage coverage(quad.data(), width, height);
        if (!coverage.usable()) {
            ++declined;
            continue;
        }
        ++usable;
        coverage.forEachSpan(into(atOnce));
        ASSERT_EQ(atOnce, fan) << "quad " << k;
        ASSERT_EQ(coverage.frontFacing(), fanFront) << "quad " << k;
    }
    EXPECT_GT(usable, 1500);  // the convex ones, mostly
    EXPECT_GT(declined, 300);  // the others and those with a corner on a centre
}

// The exact coverage a triangle in pixels must have: centres strictly inside,
// and no claim on centres within 1e-3 pixel of an edge.
struct Reference {
    double x[3], y[3];
    // +1 inside, -1 outside, 0 too close to an edge to say.
    int at(double px, double py) const
    {
        const double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
        int sign = 1;
        for (int k = 0; k < 3; ++k) {
            const int n = (k + 1) % 3;
            const double e = ((x[n] - x[k]) * (py - y[k]) - (y[n] - y[k]) * (px - x[k])) * (area > 0 ? 1 : -1);
            const double length = std::hypot(x[n] - x[k], y[n] - y[k]);
            if (e < -1e-3 * length) return -1;
            if (e <= 1e-3 * length) sign = 0;
        }
        return sign;
    }
};

// Large triangles partly outside, then tiny ones of at most 2.5 pixels a side
// (mostly slivers between centres, tested centre by centre), their corners
// on the 1/256-pixel grid so that snapping leaves them where they are.
TEST(SoftwareCoverage, RandomTrianglesCoverTheirCentresAndStayInThePicture)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> place(-40, 80);  // partly outside a 40 x 30 picture
    std::uniform_int_distribution<int> tinyPlace(0, 40 * 256), tinyStep(0, 640);
    for (int round = 0; round < 1200; ++round) {
        SoftwareContext context(40, 30);
        pixelProjection(context);
        countDraws(context);
        Reference reference;
        float v[3][2];
        const int baseX = tinyPlace(random), baseY = tinyPlace(random) * 3 / 4;
        for (int k = 0; k < 3; ++k) {
            const bool tiny = round >= 200;
            v[k][0] = tiny ? static_cast<float>(baseX + tinyStep(random)) / 256 : place(random);
            v[k][1] = tiny ? static_cast<float>(baseY + tinyStep(random)) / 256 : place(random);
            reference.x[k] = v[k][0];
            reference.y[k] = v[k][1];
        }
        triangle(context, {v[0][0], v[0][1]}, {v[1][0], v[1][1]}, {v[2][0], v[2][1]});
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const int expected = reference.at(x + 0.5, y + 0.5);
                if (expected != 0) {
                    ASSERT_EQ(pixelAt(context, x, y)[0], expected > 0 ? 1 : 0) << round;
                }
            }
    }
}

TEST(SoftwareCoverage, ClippingKeepsWhatIsInsideTheViewVolume)
{
    SoftwareContext context(32, 32);
    pixelProjection(context);
    countDraws(context);
    // Crosses all four side planes: every pixel once.
    rectangle(context, -1000, -500, 900, 2000);
    for (int count : counts(context)) ASSERT_EQ(count, 1);

    // Crossing the far and near planes (z = +-1 here): only the middle third stays.
    context.clear(ClearMask::colour);
    context.begin(Primitive::quads);
    context.vertex(0, 0, -3);
    context.vertex(30, 0, 3);
    context.vertex(30, 32, 3);
    context.vertex(0, 32, -3);
    context.end();
    for (int x = 0; x < 32; ++x) EXPECT_EQ(pixelAt(context, x, 16)[0], x >= 10 && x < 20 ? 1 : 0) << x;

    // Polygons found wholly inside skip the clipper: exactly those it keeps as they are.
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    for (const double w : {1.0, 1e-7, 0.9e-7, -1.0, inf, nan})
        for (const double p : {0.0, 0.5, 1.0, -1.0, 1.0000001, -1e-7, 1e-7, inf, -inf, nan})
            for (int axis = 0; axis < 3; ++axis) {
                software::ClipVertex triangle[3];
                triangle[0].w = w;
                (axis == 0 ? triangle[0].x : axis == 1 ? triangle[0].y : triangle[0].z) = p * w;
                triangle[1].x = triangle[2].y = 0.5;
                software::ClippedPolygon out;
                const bool kept = software::clipPolygon(triangle, 3, out) == 3 && out[0].x == triangle[0].x &&
                                  out[0].y == triangle[0].y && out[0].z == triangle[0].z && out[0].w == w;
                EXPECT_EQ(software::insideViewVolume(triangle[0]), kept) << w << " " << p << " " << axis;
            }

    // Each plane's bit is that plane's own test, for signed zeros, NaN and infinities too.
    for (const double w : {1.0, 1e-7, 0.9e-7, -0.0, -1.0, inf, nan})
        for (const double p : {0.0, -0.0, 0.5, 1.0, -1.0, 1.0000001, -1e-7, inf, -inf, nan}) {
            software::ClipVertex v;
            v.w = w;
            v.x = p * w;
            v.y = -p;
            v.z = p;
            const double distance[7] = {w + v.x, w - v.x, w + v.y, w - v.y, w + v.z, w - v.z, w - software::minimumW};
            unsigned expected = 0;
            for (int k = 0; k < 7; ++k) expected |= static_cast<unsigned>(!(distance[k] >= 0)) << k;
            EXPECT_EQ(software::outsidePlanes(v), expected) << w << " " << p;
        }
}

// A corner's x and y snapped together as each alone: halves of a 1/256 pixel
// away from zero, the clamp at 2^20 pixels, NaN and infinities.
TEST(SoftwareCoverage, ACornerSnapsAsEachCoordinateAlone)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const double values[] = {0.0, -0.0, 1.0 / 512, -1.0 / 512, 3.0 / 512, -3.0 / 512, 0.99 / 512, 123.456, -123.456,
                             1023.9999, 1 << 20, -(1 << 20), (1 << 20) + 0.5, -(1 << 20) - 7.0, 1e30, -1e30, inf, -inf,
                             nan};
    for (const double x : values)
        for (const double y : values) {
            software::WindowVertex v;
            v.x = x;
            v.y = y;
            std::int64_t sx = 0, sy = 0;
            software::snappedPoint(v, sx, sy);
            EXPECT_EQ(sx, software::snappedPosition(x)) << x;
            EXPECT_EQ(sy, software::snappedPosition(y)) << y;
        }
}

TEST(SoftwareCoverage, AFloorReachingBehindTheEyeFillsTheViewBelowTheHorizon)
{
    SoftwareContext context(32, 32);
    context.matrixMode(MatrixMode::projection);
    context.perspective(90, 1, 0.1, 1000);
    context.matrixMode(MatrixMode::modelView);
    countDraws(context);
    context.begin(Primitive::quads);  // the plane y = -1 from 50 behind the eye to 900 ahead
    context.vertex(-2000, -1, 50);
    context.vertex(2000, -1, 50);
    context.vertex(2000, -1, -900);
    context.vertex(-2000, -1, -900);
    context.end();
    // The floor at distance 900 is 1/900 below the horizon: row 15 only just.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(pixelAt(context, x, y)[0], y < 16 ? 1 : 0) << x << ", " << y;
}

TEST(SoftwareCoverage, HugeAndNonNumericVerticesNeitherCrashNorWriteStrayPixels)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    SoftwareContext context(24, 24);
    pixelProjection(context);
    countDraws(context);
    for (float bad : {inf, -inf, nan}) {
        triangle(context, {1, 1}, {bad, 5}, {20, 20});
        rectangle(context, 0, 0, 10, bad);
    }
    for (int count : counts(context)) ASSERT_EQ(count, 0);

    // w near zero and far beyond any picture: a matrix whose w is x.
    std::mt19937 random(3);
    std::uniform_real_distribution<float> spread(-1e30f, 1e30f), unit(-1e-6f, 1e-6f);
    const float wIsX[16] = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
    context.matrixMode(MatrixMode::projection);
    context.loadIdentity();
    context.multMatrix(wIsX);
    for (int round = 0; round < 300; ++round) {
        auto pick = [&] { return round % 2 ? spread(random) : unit(random); };
        context.begin(Primitive::triangles);
        for (int k = 0; k < 3; ++k) context.vertex(pick(), pick(), pick());
        context.end();
    }
    for (int count : counts(context)) ASSERT_LE(count, 255);  // reached every pixel safely
}

}  // namespace
}  // namespace qelo::test
