// Render targets: isolated contexts whose state persists, and the
// bind/release/read-back bookkeeping. (Which context holds which picture the
// start-up test checks; the picture's orientation the off-screen paths test.)
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "gl/gl_fixture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

using RenderTextureTest = ShowGlTest;

TEST_F(RenderTextureTest, EachTargetKeepsItsOwnStateFromOneMakeCurrentToTheNext)
{
    renderTargets.target(2).makeCurrent();
    glColor4f(1, 0, 0, 1);
    glEnable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    renderTargets.target(3).makeCurrent();
    glColor4f(0, 1, 0, 1);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_TEXTURE);
    renderTargets.clearAll();

    renderTargets.target(2).makeCurrent();
    GLfloat colour[4] = {};
    GLint mode = 0;
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(mode, GL_PROJECTION);

    renderTargets.target(3).makeCurrent();
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(mode, GL_TEXTURE);
    glMatrixMode(GL_MODELVIEW);
    mainWindow.makeCurrent();
}

TEST_F(RenderTextureTest, BindingTwiceBindsOnce)
{
    RenderTexture& target = renderTargets.target(1);
    renderTargets.clearAll();
    target.bind();
    EXPECT_TRUE(target.boundAsTexture);
    EXPECT_FALSE(target.isCurrent);
    // A picture put straight into the texture object survives a second bind:
    // the surface's picture is not bound over it again.
    const std::vector<std::uint8_t> storage(static_cast<std::size_t>(1024) * 1024 * 4, 255);
    target.writePixels(storage.data(), 0, 0);
    EXPECT_EQ(target.bind(), target.textureName);
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(1024) * 1024 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels[4 * 5000], 255);

    // After makeCurrent the next bind brings the surface's (empty) picture back.
    target.makeCurrent();
    target.bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels[4 * 5000], 0);
}

TEST_F(RenderTextureTest, ReadPixelsTwiceReadsOnce)
{
    RenderTexture& target = renderTargets.target(1);
    renderTargets.clearAll();
    const std::uint8_t* first = target.readPixels();
    EXPECT_TRUE(target.pixelsCurrent);
    EXPECT_EQ(first[0], 0);
    // Changing the texture object behind the cache's back is not seen...
    const std::vector<std::uint8_t> storage(static_cast<std::size_t>(1024) * 1024 * 4, 255);
    target.writePixels(storage.data(), 0, 0);
    EXPECT_EQ(target.readPixels()[0], 0);
    // ...until makeCurrent says drawing may have changed the picture.
    target.makeCurrent();
    EXPECT_FALSE(target.pixelsCurrent);
    orthoPixels();
    glColor4f(0, 1, 0, 1);
    glRectf(0, 0, 4, 4);
    EXPECT_EQ(target.readPixels()[1], 255);
    mainWindow.makeCurrent();
}

TEST_F(RenderTextureTest, MakeCurrentReleasesTheBindingInTheContextCurrentThen)
{
    RenderTexture& target = renderTargets.target(4);
    renderTargets.clearAll();
    target.bind();
    renderTargets.target(0).makeCurrent();  // another context current at release time
    target.makeCurrent();
    EXPECT_FALSE(target.boundAsTexture);
    EXPECT_TRUE(target.isCurrent);
    renderTargets.target(0).makeCurrent();
    EXPECT_EQ(boundTexture(), target.textureName);

    // A target that is not bound releases nothing: the binding stays put.
    glBindTexture(GL_TEXTURE_2D, 0);
    target.makeCurrent();
    renderTargets.target(0).makeCurrent();
    EXPECT_EQ(boundTexture(), 0u);
    mainWindow.makeCurrent();
}

TEST_F(RenderTextureTest, BindingTheTargetBeingDrawnHandsTheThreadBackToTheWindow)
{
    RenderTexture& target = renderTargets.target(2);
    target.makeCurrent();
    target.bind();
    EXPECT_FALSE(target.isCurrent);
    // The window's context is current: its back buffer takes this clear.
    glClearColor(1, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    EXPECT_EQ(windowPixelFromTop(1, 1), (Rgba{255, 255, 0, 255}));
}

}  // namespace
}  // namespace qelo::test
