// The EGL backend's ways of delivering a target's picture to the window:
// zero copy where the driver offers it, and the read-back fallbacks (from a
// framebuffer object, with or without a surfaceless context, or from a
// pbuffer) giving the same picture.
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "gl/gl_fixture.h"
#include "platform/sdl/offscreen_entry_points.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

using sdl::offscreen;

class OffscreenPathTest : public ShowGlTest {
protected:
    void SetUp() override
    {
        ShowGlTest::SetUp();
        saved = offscreen;
    }
    void TearDown() override { offscreen = saved; }

    sdl::OffscreenEntryPoints saved;
};

// Red along the target's bottom row band, blue in a block above it, drawn
// with whatever projection; then composited alone over a black window.
void drawAndComposite(RenderTexture& target, float shade)
{
    target.makeCurrent();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    orthoPixels();
    glColor4f(shade, 0, 0, 1);
    glRectf(0, 0, 1024, 10);
    glColor4f(0, 0, shade, 1);
    glRectf(100, 300, 200, 400);
    clearWindow();
    target.composite();
}

void expectPictureArrived(RenderTexture& target, int level)
{
    // Shown mirrored: target row r is window row r from the top.
    EXPECT_EQ(windowPixelFromTop(500, 5), (Rgba{level, 0, 0, 255}));
    EXPECT_EQ(windowPixelFromTop(150, 350), (Rgba{0, 0, level, 255}));
    EXPECT_EQ(windowPixelFromTop(500, 700), (Rgba{0, 0, 0, 255}));
    const std::uint8_t* p = target.readPixels();
    EXPECT_EQ(p[(5 * 1024 + 500) * 4 + 0], level);
    EXPECT_EQ(p[(350 * 1024 + 150) * 4 + 2], level);
    mainWindow.makeCurrent();
}

void expectEveryFrameArrives(RenderTexture& target)
{
    drawAndComposite(target, 1.0f);
    expectPictureArrived(target, 255);
    drawAndComposite(target, 0.0f);
    drawAndComposite(target, 128.0f / 255.0f);  // a later frame replaces the earlier
    expectPictureArrived(target, 128);
}

TEST_F(OffscreenPathTest, ZeroCopyTargetDeliversEveryFrame)
{
    RenderTexture target(1024, 768);
    EXPECT_TRUE(sdl::sharesWithoutCopy(target.surface));
    expectEveryFrameArrives(target);
}

TEST_F(OffscreenPathTest, ReadBackFromAFramebufferObjectDeliversEveryFrame)
{
    offscreen.preferReadBack = true;
    RenderTexture target(1024, 768);
    EXPECT_FALSE(sdl::sharesWithoutCopy(target.surface));
    EXPECT_EQ(target.storageHeight, 1024);
    expectEveryFrameArrives(target);
}

TEST_F(OffscreenPathTest, ReadBackWithoutSurfacelessContextsDeliversEveryFrame)
{
    if (!offscreen.pbuffers) GTEST_SKIP() << "no pbuffer configs on this display";
    offscreen.preferReadBack = true;
    offscreen.surfaceless = false;
    RenderTexture target(1024, 768);
    expectEveryFrameArrives(target);
}

TEST_F(OffscreenPathTest, ReadBackFromAPbufferDeliversEveryFrame)
{
    if (!offscreen.pbuffers) GTEST_SKIP() << "no pbuffer configs on this display";
    offscreen.framebufferObjects = false;
    RenderTexture target(1024, 768);
    EXPECT_EQ(target.storageWidth, 1024);
    EXPECT_EQ(target.storageHeight, 1024);
    expectEveryFrameArrives(target);
}

TEST_F(OffscreenPathTest, NoEglDisplayMeansNoRenderTargets)
{
    EXPECT_FALSE(sdl::initOffscreenEntryPoints(EGL_NO_DISPLAY));
    offscreen = saved;
    // A target made without a backend draws nothing but keeps its bookkeeping.
    offscreen.display = EGL_NO_DISPLAY;
    RenderTexture target(1024, 768);
    EXPECT_EQ(target.surface, nullptr);
    target.makeCurrent();
    EXPECT_EQ(target.bind(), target.textureName);
    mainWindow.makeCurrent();
}

}  // namespace
}  // namespace qelo::test
