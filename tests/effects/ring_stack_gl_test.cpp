// The ring primitive seen from above, and the state the ring stack leaves.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>
#include <limits>

#include "effects/effects.h"
#include "effects/ring_stack.h"
#include "gl/gl_fixture.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

// Target 2 cleared, looking straight down the y axis at the x-z plane: one
// unit of x or z is 100 pixels, the origin at pixel (512, 384).
class RingFromAbove : public ShowGlTest {
protected:
    void SetUp() override
    {
        ShowGlTest::SetUp();
        renderTargets.target(2).makeCurrent();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-5.12, 5.12, -3.84, 3.84, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);  // +z of the ring plane points up the picture
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
};

bool lit(float x, float z)
{
    const Rgba p = targetPixel(2, 512 + static_cast<int>(std::lround(x * 100.0f)), 384 + static_cast<int>(std::lround(z * 100.0f)));
    return p[3] > 128;
}

// Width equal to, well beyond (a band from -2 to 1 would reach 2 on the far
// side) or NaN against the radius: a filled disc stopping at the radius.
TEST_F(RingFromAbove, WidthAtLeastTheRadiusGivesAFilledDisc)
{
    drawRing(Vec3(0.0f, 0.0f, 0.0f), 3.0f, 1.0f, 100, 0.0f);
    drawRing(Vec3(3.0f, 0.0f, 0.0f), 1.0f, 1.0f, 100, 0.0f);
    drawRing(Vec3(-3.0f, 0.0f, 1.0f), std::numeric_limits<float>::quiet_NaN(), 1.0f, 50, 0.0f);
    // Reading hands the thread back to the window: draw everything first.
    EXPECT_TRUE(lit(0.0f, 0.0f));
    for (int k = 0; k < 8; ++k) {
        const float a = static_cast<float>(k) * 0.785f;
        EXPECT_TRUE(lit(0.9f * std::sin(a), 0.9f * std::cos(a))) << k;
        EXPECT_FALSE(lit(1.6f * std::sin(a), 1.6f * std::cos(a))) << k;
    }
    EXPECT_TRUE(lit(3.0f, 0.0f));
    EXPECT_TRUE(lit(3.0f, 0.7f));
    EXPECT_TRUE(lit(-3.0f, 1.0f));
}

TEST_F(RingFromAbove, WidthBelowTheRadiusGivesABand)
{
    drawRing(Vec3(0.0f, 0.0f, 0.0f), 1.5f, 2.0f, 100, 0.0f);
    EXPECT_FALSE(lit(0.0f, 0.0f));
    EXPECT_FALSE(lit(0.4f, 0.0f));
    EXPECT_TRUE(lit(1.25f, 0.0f));
    EXPECT_TRUE(lit(0.0f, 1.9f));
    EXPECT_TRUE(lit(-0.6f, 0.0f));
    EXPECT_FALSE(lit(2.1f, 0.0f));
}

TEST_F(RingFromAbove, FlareMovesEachTrailingEdgeOutward)
{
    // Four segments of a band 0.5 wide at radius 2, trailing edges 1 further out:
    // the first segment runs from angle 0 (+z) to 90 degrees (+x).
    drawRing(Vec3(0.0f, 0.0f, 0.0f), 0.5f, 2.0f, 4, 1.0f);
    EXPECT_TRUE(lit(0.0f, 1.9f));   // leading edge at +z, radius 1.5 to 2
    EXPECT_FALSE(lit(0.0f, 2.3f));
    EXPECT_TRUE(lit(2.7f, 0.05f));  // trailing edge near +x, radius 2.5 to 3
}

TEST_F(RingFromAbove, NoSegmentsDrawNothingButStillDisableCulling)
{
    glEnable(GL_CULL_FACE);
    drawRing(Vec3(0.0f, 0.0f, 0.0f), 0.5f, 2.0f, 0, 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(lit(0.0f, 1.9f));
}

TEST_F(RingFromAbove, RingStackLeavesAdditiveBlendingAndItsColour)
{
    ringStackEffect(0.0f, 0.0f, true, 0);
    expectAdditiveBlendingOnly();
    const std::array<float, 4> colour = currentColour();
    EXPECT_FLOAT_EQ(colour[0], 0.5f);
    EXPECT_NEAR(colour[2], 0.7f, 1e-6f);
    EXPECT_FLOAT_EQ(colour[3], 0.2f);
    // Something of the stack is on the target.
    int drawn = 0;
    const auto pixels = targetPixels(2);
    for (std::size_t i = 3; i < pixels.size(); i += 4) drawn += pixels[i] != 0;
    EXPECT_GT(drawn, 1000);
}

TEST_F(RingFromAbove, UnscheduledModesLeaveTheTargetAlone)
{
    ringStackEffect(1.0f, 0.0f, true, 9);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    const auto pixels = targetPixels(2);
    int drawn = 0;
    for (std::size_t i = 3; i < pixels.size(); i += 4) drawn += pixels[i] != 0;
    EXPECT_EQ(drawn, 0);
}

// The driver's picture of a stack against the one drawn in memory.
int differencesFromMemory(const RingStackView& view, std::vector<std::uint8_t>& picture)
{
    renderTargets.target(2).makeCurrent();
    drawRingStack(view);
    const std::vector<std::uint8_t> driver = targetPixels(2);
    drawRingStackInMemory(view, {picture.data(), 1024, 768});
    int differing = 0;
    for (std::size_t p = 0; p < picture.size(); p += 4)
        if (std::memcmp(&picture[p], &driver[p], 4) != 0) ++differing;
    return differing;
}

TEST_F(RingFromAbove, InMemoryTheStackHasTheDriversPixels)
{
    // Every mode over times that put the eye inside the stack, rings beyond
    // the near plane and pieces seen edge on; a second stack over the first
    // in the same picture, as at a change of mode.
    std::vector<std::uint8_t> picture(1024u * 768u * 4u, 0);
    for (const auto& [time, mode] : {std::pair{0.0f, 0}, {3.7f, 0}, {11.2f, 0}, {15.0f, 2}, {21.9f, 2}, {42.4f, 2}, {5.5f, 1}}) {
        renderTargets.target(2).makeCurrent();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        std::fill(picture.begin(), picture.end(), 0);
        const RingStackView view = ringStackView(time, mode);
        EXPECT_EQ(differencesFromMemory(view, picture), 0) << time << " mode " << mode;
        EXPECT_EQ(differencesFromMemory(ringStackView(time + 0.3f, mode == 0 ? 2 : 0), picture), 0) << time << " over";
        EXPECT_NE(picture, std::vector<std::uint8_t>(picture.size(), 0)) << time;
    }
}

TEST_F(RingFromAbove, AddedPiecesBlendAsTheDriverBlends)
{
    // Colours blended over themselves as often as the stack's layers
    // overlap, with alphas and channels over the blend's rounding cases,
    // negative ones (clamped) included.
    std::vector<std::uint8_t> picture(1024u * 768u * 4u, 0);
    for (const float alpha : {0.2f, 0.07f, 0.5f, 0.93f, 0.0f, -0.1f}) {
        RingStackView view = ringStackView(1.0f, 0);
        view.alpha = alpha;
        view.red = 0.81f;
        view.blue = alpha < 0.3f ? -0.2f : 0.33f;
        renderTargets.target(2).makeCurrent();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        std::fill(picture.begin(), picture.end(), 0);
        EXPECT_EQ(differencesFromMemory(view, picture), 0) << alpha;
    }
}

}  // namespace
}  // namespace qelo::test
