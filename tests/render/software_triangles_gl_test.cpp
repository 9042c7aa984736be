// Triangles drawn in memory against the same triangles drawn by the GL
// driver in a render target: every pixel must agree.
#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "gl/gl_fixture.h"
#include "render/software_triangles.h"
#include "render/test_projection.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

constexpr int width = 1024;
constexpr int height = 768;

struct Triangle {
    std::array<float, 4> colour;
    std::array<std::array<float, 4>, 3> corners;  // x, y, z, w as given to glVertex4f
};

class SoftwareTriangles : public ShowGlTest {
protected:
    void SetUp() override
    {
        ShowGlTest::SetUp();
        renderTargets.target(1).makeCurrent();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
    }

    // Draws the triangles with projection `m` (column-major) both ways and
    // returns how many pixels differ.
    int differences(const std::array<float, 16>& m, const std::vector<Triangle>& triangles)
    {
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(m.data());
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBegin(GL_TRIANGLES);
        for (const Triangle& t : triangles) {
            glColor4f(t.colour[0], t.colour[1], t.colour[2], t.colour[3]);
            for (const auto& c : t.corners) glVertex4f(c[0], c[1], c[2], c[3]);
        }
        glEnd();
        const std::vector<std::uint8_t> driver = targetPixels(1);

        std::vector<std::uint8_t> memory(static_cast<std::size_t>(width) * height * 4, 0);
        const PictureView picture{memory.data(), width, height};
        const ViewportTransform viewport = viewportTransform(0, 0, width, height);
        for (const Triangle& t : triangles) {
            ClipVertex v[3];
            for (int i = 0; i < 3; ++i) {
                const auto& c = t.corners[i];
                v[i] = transformVertex(m, c[0], c[1], c[2], c[3]);
            }
            drawTriangle(picture, viewport, v[0], v[1], v[2], packColour(t.colour[0], t.colour[1], t.colour[2], t.colour[3]));
        }
        int differing = 0;
        for (std::size_t p = 0; p < memory.size(); p += 4)
            if (std::memcmp(&memory[p], &driver[p], 4) != 0) ++differing;
        return differing;
    }
};

// Pixels one unit each, origin at the bottom left (as glOrtho(0, 1024, 0, 768, -1, 1)).
std::array<float, 16> pixelProjection()
{
    std::array<float, 16> m{};
    m[0] = 2.0f / width;
    m[5] = 2.0f / height;
    m[10] = -1.0f;
    m[12] = -1.0f;
    m[13] = -1.0f;
    m[15] = 1.0f;
    return m;
}

TEST_F(SoftwareTriangles, PixelTrianglesOfEveryShapeCoverWhatTheDriverCovers)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<Triangle> triangles;
    for (int i = 0; i < 3000; ++i) {
        Triangle t;
        t.colour = {unit(random), unit(random), unit(random), unit(random)};
        const float cx = unit(random) * 1200.0f - 88.0f;  // some beyond every edge
        const float cy = unit(random) * 950.0f - 91.0f;
        const float size = i % 3 == 0 ? 3.0f : (i % 3 == 1 ? 40.0f : 400.0f);
        for (auto& c : t.corners) {
            float x = cx + (unit(random) - 0.5f) * size;
            float y = cy + (unit(random) - 0.5f) * size;
            if (i % 5 == 0) {
                // On pixel centres and corners: the fill rule decides.
                x = std::round(x * 2.0f) * 0.5f;
                y = std::round(y * 2.0f) * 0.5f;
            }
            c = {x, y, 0.0f, 1.0f};
        }
        if (i % 7 == 0) t.corners[2] = {t.corners[0][0] + 0.01f, t.corners[0][1] + 300.0f, 0.0f, 1.0f};  // a sliver
        triangles.push_back(t);
    }
    EXPECT_EQ(differences(pixelProjection(), triangles), 0);
}

TEST_F(SoftwareTriangles, PerspectiveTrianglesClippedByEveryPlaneCoverWhatTheDriverCovers)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<Triangle> triangles;
    for (int i = 0; i < 2000; ++i) {
        Triangle t;
        t.colour = {0.5f + 0.5f * unit(random), 0.25f, 0.5f + 0.5f * unit(random), 1.0f};
        // Eye space: in front, beside, behind the eye and past the far plane.
        const float cz = -0.2f - 60.0f * (0.5f + 0.5f * unit(random));
        const float cx = unit(random) * 0.8f * -cz;
        const float cy = unit(random) * 0.8f * -cz;
        const float size = (i % 2 == 0 ? 0.05f : 0.6f) * -cz;
        for (auto& c : t.corners)
            c = {cx + unit(random) * size, cy + unit(random) * size, cz + unit(random) * size, 1.0f};
        triangles.push_back(t);
    }
    EXPECT_EQ(differences(perspectiveProjection(width, height), triangles), 0);
}

TEST_F(SoftwareTriangles, EveryGreyTheDotGridDrawsIsStoredAsTheDriverStoresIt)
{
    // The grid's greys and rim strengths are k / 10000 in float; cells of
    // 10 x 7 pixels hold one value each, in all four channels.
    std::vector<Triangle> cells;
    for (int k = 0; k < 10000; ++k) {
        const float v = static_cast<float>(k) * 0.0001f;
        const float x = static_cast<float>(k % 100) * 10.0f;
        const float y = static_cast<float>(k / 100) * 7.0f;
        const std::array<float, 4> colour = {v, 1.0f - v, v, v};
        cells.push_back({colour, {{{x, y, 0, 1}, {x + 10, y, 0, 1}, {x + 10, y + 7, 0, 1}}}});
        cells.push_back({colour, {{{x, y, 0, 1}, {x + 10, y + 7, 0, 1}, {x, y + 7, 0, 1}}}});
    }
    EXPECT_EQ(differences(pixelProjection(), cells), 0);
}

}  // namespace
}  // namespace qelo::test
