// A software render target as the capture's video writer sees it: the
// picture read for one frame stays as it was while the next frame is drawn
// (the writer blends frame N while N + 1 draws), and a target the bank
// cleared reads as cleared.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/render_texture.h"
#include "shell/renderer_kind.h"

namespace qelo {
namespace {

class SoftwareTarget : public ::testing::Test {
protected:
    void SetUp() override { activeRenderer = RendererKind::software; }
    void TearDown() override { activeRenderer = RendererKind::gl; }

    // A flat 2-D square of one colour over the whole target.
    static void fill(DrawingContext& gl, float red)
    {
        gl.matrixMode(MatrixMode::projection);
        gl.loadIdentity();
        gl.ortho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
        gl.matrixMode(MatrixMode::modelView);
        gl.loadIdentity();
        gl.colour(red, 0.0f, 0.0f, 1.0f);
        gl.begin(Primitive::quads);
        gl.vertex(0.0f, 0.0f);
        gl.vertex(1.0f, 0.0f);
        gl.vertex(1.0f, 1.0f);
        gl.vertex(0.0f, 1.0f);
        gl.end();
    }
};

TEST_F(SoftwareTarget, LastFramesPictureOutlivesTheNextFramesDrawing)
{
    RenderTexture target(64, 48);
    fill(target.makeCurrent(), 1.0f);
    const std::uint8_t* frameOne = target.readPixels();
    const std::vector<std::uint8_t> seen(frameOne, frameOne + 64 * 48 * 4);
    EXPECT_EQ(seen[0], 255);

    target.clearOnNextUse();  // the bank's clear at the next frame's start
    fill(target.makeCurrent(), 0.5f);
    EXPECT_EQ(std::vector<std::uint8_t>(frameOne, frameOne + seen.size()), seen);
    EXPECT_EQ(target.readPixels()[0], 128);

    // Undrawn after the next clear: cleared, not the picture of two frames ago.
    target.clearOnNextUse();
    target.clearOnNextUse();
    const std::uint8_t* cleared = target.readPixels();
    EXPECT_EQ(cleared[0], 0);
    EXPECT_EQ(cleared[3], 0);
}

// A clear may be skipped only where nothing was drawn or written since
// the last one, on whichever of the two pictures is drawn this frame.
TEST_F(SoftwareTarget, EveryClearLeavesNothingOfEarlierFrames)
{
    RenderTexture target(64, 48);
    fill(target.makeCurrent(), 1.0f);
    target.clearOnNextUse();
    target.makeCurrent().clear(ClearMask::colour);  // a scene's own clear after the bank's
    EXPECT_EQ(target.readPixels()[0], 0);
    target.clearOnNextUse();  // back on the picture drawn two frames ago
    target.makeCurrent();
    EXPECT_EQ(target.readPixels()[0], 0);

    target.readPixels()[0] = 9;  // written through the picture, not drawn
    target.clearOnNextUse();
    target.makeCurrent();
    target.clearOnNextUse();
    target.makeCurrent();
    EXPECT_EQ(target.readPixels()[0], 0);
}

}  // namespace
}  // namespace qelo
