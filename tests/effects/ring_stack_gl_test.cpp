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
#include "render/current_drawing.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "timeline/scene_list.h"

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
    drawRing(windowDrawing(), Vec3(0.0f, 0.0f, 0.0f), 3.0f, 1.0f, 100, 0.0f);
    drawRing(windowDrawing(), Vec3(3.0f, 0.0f, 0.0f), 1.0f, 1.0f, 100, 0.0f);
    drawRing(windowDrawing(), Vec3(-3.0f, 0.0f, 1.0f), std::numeric_limits<float>::quiet_NaN(), 1.0f, 50, 0.0f);
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
    drawRing(windowDrawing(), Vec3(0.0f, 0.0f, 0.0f), 1.5f, 2.0f, 100, 0.0f);
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
    drawRing(windowDrawing(), Vec3(0.0f, 0.0f, 0.0f), 0.5f, 2.0f, 4, 1.0f);
    EXPECT_TRUE(lit(0.0f, 1.9f));   // leading edge at +z, radius 1.5 to 2
    EXPECT_FALSE(lit(0.0f, 2.3f));
    EXPECT_TRUE(lit(2.7f, 0.05f));  // trailing edge near +x, radius 2.5 to 3
}

TEST_F(RingFromAbove, NoSegmentsDrawNothingButStillDisableCulling)
{
    glEnable(GL_CULL_FACE);
    drawRing(windowDrawing(), Vec3(0.0f, 0.0f, 0.0f), 0.5f, 2.0f, 0, 0.0f);
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

}  // namespace
}  // namespace qelo::test
