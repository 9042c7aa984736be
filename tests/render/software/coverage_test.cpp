// Which pixels the software renderer covers: pixel centres, the tie rule
// between triangles sharing an edge, clipping, and primitives with
// coordinates far outside the picture or not numbers at all.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

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

TEST(SoftwareCoverage, SteppedSpansAreTheRowByRowSpans)
{
    // Thin, tiny, huge and half-outside triangles at sub-pixel positions.
    std::mt19937 random(9);
    std::uniform_real_distribution<double> place(-300, 1300), nudge(-3, 3);
    for (int k = 0; k < 3000; ++k) {
        software::WindowVertex a, b, c;
        a.x = place(random), a.y = place(random);
        const double scale = k % 3 == 0 ? 1 : k % 3 == 1 ? 40 : 400;
        b.x = a.x + nudge(random) * scale, b.y = a.y + nudge(random) * scale;
        c.x = a.x + nudge(random) * scale, c.y = k % 7 == 0 ? b.y : a.y + nudge(random) * scale;
        const software::TriangleSetup setup(a, b, c, 1024, 768);
        std::vector<std::array<int, 3>> stepped, direct;
        setup.forEachSpan([&](int row, int from, int to) { stepped.push_back({row, from, to}); });
        int from = 0, to = 0;
        if (!setup.empty())
            for (int row = setup.firstRow(); row <= setup.lastRow(); ++row)
                if (setup.rowSpan(row, from, to)) direct.push_back({row, from, to});
        ASSERT_EQ(stepped, direct) << k;
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

TEST(SoftwareCoverage, RandomTrianglesCoverTheirCentresAndStayInThePicture)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> place(-40, 80);  // partly outside a 40 x 30 picture
    for (int round = 0; round < 200; ++round) {
        SoftwareContext context(40, 30);
        pixelProjection(context);
        countDraws(context);
        Reference reference;
        float v[3][2];
        for (int k = 0; k < 3; ++k) {
            v[k][0] = place(random);
            v[k][1] = place(random);
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
