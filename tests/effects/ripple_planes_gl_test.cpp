// What the ripples leave in target 3 for the routines that draw there next.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cstdint>
#include <vector>

#include "effects/effects.h"
#include "effects/ripple_planes.h"
#include "gl/gl_fixture.h"
#include "shell/fake_counter.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "timeline/scene_list.h"

namespace qelo::test {
namespace {

class RipplePicture : public ShowGlTest {
protected:
    void SetUp() override
    {
        ShowGlTest::SetUp();
        testing::useFakeCounter(1000);
        renderTargets.target(3).makeCurrent();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    testing::FakeCounterScope restoreCounter;
};

TEST_F(RipplePicture, LeavesAdditiveWhiteAndTheTiltedView)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    ripplePlanesEffect(1.8f, 0.18f, true, 0);

    expectAdditiveBlendingOnly();
    const std::array<float, 4> colour = currentColour();
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 0.5f);

    // The view left behind carries the third family's tilt: 90 degrees about
    // x at t = 1.8 s, after the depth scale 5 and the look-at from (-14, -20, -14).
    GLfloat left[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, left);
    glPushMatrix();
    glLoadIdentity();
    glScalef(1.0f, 1.0f, 5.0f);
    gluLookAt(-14.0, -20.0, -14.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    GLfloat expected[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, expected);
    glPopMatrix();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(left[i], expected[i], 1e-4f) << i;

    // Overlapping half-white rings: some pixels brighter than one ring alone.
    const auto pixels = targetPixels(3);
    int single = 0;
    int crossed = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        if (pixels[i + 3] == 128 || pixels[i + 3] == 127) ++single;
        if (pixels[i + 3] >= 190) ++crossed;
    }
    EXPECT_GT(single, 1000);
    EXPECT_GT(crossed, 100);
}

// One frame of the ripples from a given camera, through GL or in memory:
// the picture and the model-view left in target 3.
struct RippleFrame {
    std::vector<std::uint8_t> pixels;
    std::array<float, 16> view;
};

RippleFrame rippleFrame(bool inMemory, Vec3 camera, float depthScale, float localTime)
{
    RipplePlanesState& state = ripplePlanesState();
    state.camera = camera;
    state.depthScale = depthScale;
    state.jumpClock.reset();
    testing::useFakeCounter(1000);
    renderTargets.composeInMemory = inMemory;
    renderTargets.clearAll();
    ripplePlanesEffect(localTime, 0.0f, false, 0);
    renderTargets.composeInMemory = false;
    RippleFrame frame{targetPixels(3), {}};
    renderTargets.target(3).makeCurrent();
    glGetFloatv(GL_MODELVIEW_MATRIX, frame.view.data());
    return frame;
}

}  // namespace
}  // namespace qelo::test
