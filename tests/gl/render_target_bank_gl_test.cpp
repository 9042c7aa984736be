// The bank: clamped selection, clearing, and compositing onto the window.
// (Opacity and order are checked to the bit against the frame composed in
// memory and by the goldens, the orientation on the window by the off-screen
// paths and the frame step.)
#include <GL/gl.h>

#include "gl/gl_fixture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

using RenderTargetBankTest = ShowGlTest;

// Fills the lower `rows` rows of the target's 1024 x 768 picture with a colour.
void fillBottomRows(RenderTexture& target, int rows, float r, float g, float b, float a)
{
    target.makeCurrent();
    orthoPixels();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor4f(r, g, b, a);
    glRectf(0, 0, 1024, static_cast<float>(rows));
}

TEST_F(RenderTargetBankTest, SelectionClampsIntoTheBank)
{
    ASSERT_EQ(renderTargets.count, 5);
    EXPECT_EQ(&renderTargets.target(7), &renderTargets.target(4));
    EXPECT_EQ(&renderTargets.target(5), &renderTargets.target(4));
    EXPECT_EQ(&renderTargets.target(-1), &renderTargets.target(0));
    EXPECT_NE(&renderTargets.target(1), &renderTargets.target(0));
}

TEST(RenderTargetBankDeathTest, SelectingFromAnEmptyBankStopsWithAReason)
{
    RenderTargetBank empty;
    EXPECT_DEATH(empty.target(0), "before the targets were created");
}

TEST_F(RenderTargetBankTest, ClearAllEmptiesEveryTargetAndHandsBackTheWindow)
{
    for (int k = 0; k < 5; ++k) fillBottomRows(renderTargets.target(k), 768, 1, 1, 1, 1);
    renderTargets.clearAll();
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(targetPixel(k, 10, 10), (Rgba{0, 0, 0, 0})) << "target " << k;
        EXPECT_EQ(targetPixel(k, 1000, 700), (Rgba{0, 0, 0, 0})) << "target " << k;
    }
    // The window is current: what is drawn now lands in the window.
    renderTargets.clearAll();
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    EXPECT_EQ(windowPixelFromTop(5, 5), (Rgba{0, 0, 255, 255}));
}

// Clearing skips a target nobody drew into since its last clear, and
// compositing skips its quad: neither may show in any picture.
TEST_F(RenderTargetBankTest, TargetsLeftUndrawnStayClearAndCompositeToNothing)
{
    fillBottomRows(renderTargets.target(2), 768, 1, 0, 0, 1);
    renderTargets.clearAll();
    renderTargets.clearAll();  // target 2 is still clear: not cleared again
    EXPECT_EQ(targetPixel(2, 500, 500), (Rgba{0, 0, 0, 0}));

    fillBottomRows(renderTargets.target(2), 100, 0, 1, 0, 1);  // drawn after a skipped clear
    renderTargets.clearAll();
    EXPECT_EQ(targetPixel(2, 500, 50), (Rgba{0, 0, 0, 0}));

    fillBottomRows(renderTargets.target(3), 768, 1, 1, 1, 1);
    renderTargets.clearAll();
    fillBottomRows(renderTargets.target(4), 384, 0, 0, 1, 1);  // the top half on screen
    mainWindow.makeCurrent();
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    renderTargets.compositeAll();
    EXPECT_EQ(windowPixelFromTop(300, 100), (Rgba{0, 0, 255, 255}));
    EXPECT_TRUE(near(windowPixelFromTop(300, 600), Rgba{51, 102, 153, 255}));
}

// The bank's clear is issued when the target is next used: the depth buffer
// too must be clear by the time the next frame draws, with the context's own
// state (here a colour mask the scene left) applying as it would have then.
TEST_F(RenderTargetBankTest, TheNextFrameDrawsOverAClearedDepthBuffer)
{
    RenderTexture& target = renderTargets.target(2);
    auto quadAtDepth = [&target](float z, float red) {
        target.makeCurrent();
        orthoPixels();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glColor4f(red, 0, 1, 1);
        glTranslatef(0, 0, z);
        glRectf(0, 0, 1024, 768);
    };
    quadAtDepth(0.9f, 0);  // near (z towards the viewer): depth 0.05
    renderTargets.clearAll();
    quadAtDepth(-0.9f, 1);  // far, depth 0.95: drawn only over a cleared depth buffer
    EXPECT_EQ(targetPixel(2, 512, 384), (Rgba{255, 0, 255, 255}));

    // A mask the scene left on holds for the bank's clear as well: red stays.
    target.makeCurrent();
    glColorMask(GL_FALSE, GL_TRUE, GL_TRUE, GL_TRUE);
    renderTargets.clearAll();
    EXPECT_EQ(targetPixel(2, 512, 384), (Rgba{255, 0, 0, 0}));
    target.makeCurrent();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_DEPTH_TEST);
    mainWindow.makeCurrent();
}

}  // namespace
}  // namespace qelo::test
