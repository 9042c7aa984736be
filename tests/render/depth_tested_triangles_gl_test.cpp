// Depth-tested, blended triangles drawn in memory against the same triangles
// drawn by the GL driver in a render target: every pixel must agree.
#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "gl/gl_fixture.h"
#include "render/depth_tested_triangles.h"
#include "render/test_projection.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

constexpr int width = 1024;
constexpr int height = 768;

struct Triangle {
    std::array<float, 4> colour;
    std::array<std::array<float, 3>, 3> corners;  // eye space
};

class DepthTestedTriangles : public ShowGlTest {
protected:
    void SetUp() override
    {
        ShowGlTest::SetUp();
        renderTargets.target(1).makeCurrent();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
    }

    // Draws the triangles both ways, over a picture both sides start from,
    // and returns how many pixels differ.
    int differences(const std::vector<Triangle>& triangles, Blending blending, bool wide = true)
    {
        const std::array<float, 16> projection = perspectiveProjection(width, height);
        renderTargets.target(1).makeCurrent();
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(projection.data());
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (blending == Blending::none) {
            glDisable(GL_BLEND);
        } else {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        // A backdrop to blend over, drawn by the driver and copied.
        glClear(GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glBegin(GL_QUADS);
        glColor4f(0.2f, 0.6f, 0.9f, 0.4f);
        glVertex3f(-100.0f, -100.0f, -49.0f);
        glColor4f(0.9f, 0.1f, 0.3f, 0.8f);
        glVertex3f(100.0f, -100.0f, -49.0f);
        glVertex3f(100.0f, 100.0f, -49.0f);
        glVertex3f(-100.0f, 100.0f, -49.0f);
        glEnd();
        std::vector<std::uint8_t> memory = targetPixels(1);
        renderTargets.target(1).makeCurrent();
        glEnable(GL_DEPTH_TEST);
        if (blending == Blending::sourceAlphaOver) glEnable(GL_BLEND);

        glBegin(GL_TRIANGLES);
        for (const Triangle& t : triangles) {
            glColor4f(t.colour[0], t.colour[1], t.colour[2], t.colour[3]);
            for (const auto& c : t.corners) glVertex3f(c[0], c[1], c[2]);
        }
        glEnd();
        const std::vector<std::uint8_t> driver = targetPixels(1);

        std::vector<std::uint32_t> depth(static_cast<std::size_t>(width) * height, farthestDepth);
        DepthTestedColour sink({memory.data(), width, height}, {depth.data(), width, height}, blending, wide);
        const ViewportTransform viewport = viewportTransform(0, 0, width, height);
        for (const Triangle& t : triangles) {
            sink.setVertexColour(t.colour[0], t.colour[1], t.colour[2], t.colour[3]);
            ClipVertex v[3];
            for (int i = 0; i < 3; ++i) v[i] = transformVertex(projection, t.corners[i][0], t.corners[i][1], t.corners[i][2], 1.0f);
            drawTriangle(sink, viewport, v[0], v[1], v[2]);
        }
        int differing = 0;
        for (std::size_t p = 0; p < memory.size(); p += 4)
            if (std::memcmp(&memory[p], &driver[p], 4) != 0) ++differing;
        return differing;
    }
};

// Overlapping and interpenetrating triangles at every depth, some through
// the near plane or beside the view, tilted steeply (the colour's 1/w
// varies most), in colours on and beside the 8-bit rounding points and
// outside [0, 1].
std::vector<Triangle> crowd(unsigned seed, int count)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const auto channel = [&](int i) {
        switch (i % 4) {
        case 0: return 0.5f + 0.5f * unit(random);
        case 1: return (std::round((0.5f + 0.5f * unit(random)) * 255.0f) + 0.5f) / 255.0f;  // a rounding point
        case 2: return std::nextafter((std::round((0.5f + 0.5f * unit(random)) * 255.0f) + 0.5f) / 255.0f, 2.0f);
        default: return 1.4f * unit(random);
        }
    };
    std::vector<Triangle> triangles;
    for (int i = 0; i < count; ++i) {
        Triangle t;
        t.colour = {channel(i), channel(i + 1), channel(i + 2), channel(i + 3)};
        const float cz = -0.3f - 45.0f * (0.5f + 0.5f * unit(random));
        const float cx = unit(random) * 0.8f * -cz;
        const float cy = unit(random) * 0.8f * -cz;
        const float size = (i % 3 == 0 ? 0.05f : 0.5f) * -cz;
        for (auto& c : t.corners) c = {cx + unit(random) * size, cy + unit(random) * size, cz + unit(random) * size * 2.0f};
        triangles.push_back(t);
    }
    return triangles;
}

TEST_F(DepthTestedTriangles, OpaqueTrianglesHideWhatTheDriverHides)
{
    EXPECT_EQ(differences(crowd(3, 1500), Blending::none), 0);
}

TEST_F(DepthTestedTriangles, BlendedTrianglesMixAsTheDriverMixes)
{
    EXPECT_EQ(differences(crowd(5, 1500), Blending::sourceAlphaOver), 0);
}

TEST_F(DepthTestedTriangles, PixelByPixelTheSameAsEightAtATime)
{
    // The path of processors without AVX2 and FMA, and every span's tail.
    EXPECT_EQ(differences(crowd(13, 600), Blending::sourceAlphaOver, false), 0);
    EXPECT_EQ(differences(crowd(17, 600), Blending::none, false), 0);
}

TEST_F(DepthTestedTriangles, AGroundPlaneToTheHorizonKeepsItsColourAsTheDriverDoes)
{
    // Long thin pieces from under the eye to the far plane: 1/w across one
    // triangle spans two orders of magnitude.
    std::vector<Triangle> ground;
    std::mt19937 random(9);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < 400; ++i) {
        const float x = -20.0f + 0.1f * static_cast<float>(i);
        const float k = std::round(unit(random) * 255.0f);
        const std::array<float, 4> colour = {(k + 0.5f) / 255.0f, unit(random), k / 255.0f, (k + 0.5f) / 255.0f};
        ground.push_back({colour, {{{x, -1.0f, -0.6f}, {x + 0.1f, -1.0f, -0.6f}, {x + 3.0f, -1.0f, -49.0f}}}});
        ground.push_back({colour, {{{x + 0.1f, -1.0f, -0.6f}, {x + 3.1f, -1.0f, -49.0f}, {x + 3.0f, -1.0f, -49.0f}}}});
    }
    EXPECT_EQ(differences(ground, Blending::sourceAlphaOver), 0);
    EXPECT_EQ(differences(ground, Blending::none), 0);
}

}  // namespace
}  // namespace qelo::test
