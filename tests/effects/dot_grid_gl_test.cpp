// The dot grid's picture in target 1: grey discs in red rims on transparency.
#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "effects/dot_grid.h"
#include "gl/gl_fixture.h"
#include "render/current_drawing.h"
#include "shell/fake_counter.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "timeline/scene_list.h"
#include "shell/random.h"

namespace qelo::test {
namespace {

class DotGridPicture : public ShowGlTest {
protected:
    void SetUp() override
    {
        ShowGlTest::SetUp();
        testing::useFakeCounter(1000);
        renderTargets.target(1).makeCurrent();
    }
    testing::FakeCounterScope restoreCounter;
};

// A point of target 1 in its own frame (y from 0 at the top), 1024 pixels a unit.
Rgba at(double x, double y)
{
    return targetPixel(1, static_cast<int>(x * 1024.0), static_cast<int>(767.0 - y * 1024.0));
}

TEST_F(DotGridPicture, GreyDiscsInRedRimsOnTheLattice)
{
    // Zero offsets at t = 0: dots centred on multiples of 0.1.
    DotGridState state;
    // Left over from someone else: the routine clears and sets what it needs.
    glEnable(GL_DEPTH_TEST);
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    drawDotGrid(windowDrawing(), state, 0.0f, 0.0);

    const double size = 0.4 * dotGridPulse(0.0f) + 0.9;
    const double inner = 0.05 * 0.5 * size;
    const double outer = 0.05 * 0.7 * size;
    for (const double cx : {0.1, 0.5, 0.9}) {
        for (const double cy : {0.1, 0.3, 0.6}) {
            const Rgba centre = at(cx + 0.3 * inner, cy);
            EXPECT_EQ(centre[3], 255) << cx << ", " << cy;  // grey is opaque
            EXPECT_NEAR(centre[0], centre[1], 1);
            EXPECT_NEAR(centre[1], centre[2], 1);
            const Rgba rim = at(cx, cy + 0.5 * (inner + outer));
            EXPECT_EQ(rim[1], 0);
            EXPECT_EQ(rim[2], 0);
            EXPECT_EQ(rim[0], 255);  // unblended: pure red, its strength in alpha
            // Between the dots: transparent.
            EXPECT_EQ(at(cx + 0.05, cy + 0.05), (Rgba{0, 0, 0, 0}));
            EXPECT_EQ(at(cx, cy + outer + 0.004), (Rgba{0, 0, 0, 0}));
        }
    }
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(DotGridPicture, ScrollAndJitterShiftTheGrid)
{
    DotGridState state;
    state.scroll = 0.03f;  // reduced to an offset of -0.07: columns at 0.03, 0.13, ...
    state.jitter = 0.05f;  // reduced to -0.05: rows at 0.05, 0.15, ...
    drawDotGrid(windowDrawing(), state, 0.0f, 0.0);
    EXPECT_EQ(at(0.14, 0.15)[3], 255);
    EXPECT_EQ(at(0.13, 0.15 + 0.05)[3], 0);
    EXPECT_EQ(at(0.1, 0.1)[3], 0);
}

}  // namespace
}  // namespace qelo::test
