// Render targets: isolated contexts whose state persists, the viewport and
// orientation of the picture, and the bind/release/read-back bookkeeping.
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "gl/gl_fixture.h"
#include "render/image_texture.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

using RenderTextureTest = ShowGlTest;

void quad(float x0, float y0, float x1, float y1, float z = 0)
{
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, z);
    glVertex3f(x1, y0, z);
    glVertex3f(x1, y1, z);
    glVertex3f(x0, y1, z);
    glEnd();
}

TEST_F(RenderTextureTest, TexturesExistOnlyInTheContextThatUploadedThem)
{
    ImageTexture portrait;  // named in the window's context, like start-up's
    const std::vector<std::uint8_t> picture(16 * 16 * 4, 200);
    renderTargets.target(3).makeCurrent();
    portrait.writePixels(picture.data(), 16, 16);
    EXPECT_EQ(textureWidthIn(portrait.textureName), 16);

    renderTargets.target(2).makeCurrent();
    EXPECT_EQ(textureWidthIn(portrait.textureName), 0);
    mainWindow.makeCurrent();
    EXPECT_EQ(textureWidthIn(portrait.textureName), 0);
    renderTargets.target(3).makeCurrent();
    EXPECT_EQ(textureWidthIn(portrait.textureName), 16);
    mainWindow.makeCurrent();
}

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

TEST_F(RenderTextureTest, ReadPixelsGivesTheDrawnPictureWithRowZeroAtTheBottom)
{
    RenderTexture& target = renderTargets.target(2);
    EXPECT_EQ(target.storageHeight, 1024);  // 768 drawn rows in a 1024-row storage
    EXPECT_EQ(target.vScale, 0.75f);
    renderTargets.clearAll();
    target.makeCurrent();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);  // the lower left of the storage
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    orthoPixels();
    glColor4f(1, 0, 0, 1);
    quad(0, 0, 1024, 1);      // the bottom row
    glColor4f(0, 0, 1, 1);
    quad(0, 767, 1024, 768);  // the top row of the drawn area
    EXPECT_EQ(targetPixel(2, 500, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(targetPixel(2, 500, 767), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(targetPixel(2, 500, 1), (Rgba{0, 0, 0, 0}));
}

TEST_F(RenderTextureTest, DepthTestHidesFartherGeometry)
{
    renderTargets.clearAll();
    renderTargets.target(3).makeCurrent();
    orthoPixels();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glColor4f(1, 0, 0, 1);
    quad(100, 100, 300, 300, 0.5f);  // near (ortho z is negated depth)
    glColor4f(0, 1, 0, 1);
    quad(0, 0, 400, 400, -0.5f);     // far, drawn second
    glDisable(GL_DEPTH_TEST);
    EXPECT_EQ(targetPixel(3, 200, 200), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(targetPixel(3, 50, 50), (Rgba{0, 255, 0, 255}));
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
    quad(0, 0, 4, 4);
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
