// A software render target as the capture's video writer sees it: the
// picture read for one frame stays as it was while the next frame is drawn
// (the writer blends frame N while N + 1 draws), and a target the bank
// cleared reads as cleared. Without such a reader one picture serves every
// frame.
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

    target.clearOnNextUse(true);  // the bank's clear at the next frame's start
    fill(target.makeCurrent(), 0.5f);
    EXPECT_EQ(std::vector<std::uint8_t>(frameOne, frameOne + seen.size()), seen);
    EXPECT_EQ(target.readPixels()[0], 128);

    // Undrawn after the next clear: cleared, not the picture of two frames ago.
    target.clearOnNextUse(true);
    target.clearOnNextUse(true);
    const std::uint8_t* cleared = target.readPixels();
    EXPECT_EQ(cleared[0], 0);
    EXPECT_EQ(cleared[3], 0);
}

TEST_F(SoftwareTarget, WithoutAReaderOfTheLastFrameOnePictureIsDrawnAgain)
{
    RenderTexture target(64, 48);
    fill(target.makeCurrent(), 1.0f);
    const std::uint8_t* frameOne = target.readPixels();
    target.clearOnNextUse();
    EXPECT_EQ(target.readPixels(), frameOne);
    EXPECT_EQ(frameOne[0], 0);  // cleared in place
    fill(target.makeCurrent(), 0.5f);
    EXPECT_EQ(target.readPixels(), frameOne);
    EXPECT_EQ(frameOne[0], 128);
}

// A clear may be skipped only where nothing was drawn or written since
// the last one, on whichever of the two pictures is drawn this frame.
TEST_F(SoftwareTarget, EveryClearLeavesNothingOfEarlierFrames)
{
    for (const bool keep : {true, false}) {
        RenderTexture target(64, 48);
        fill(target.makeCurrent(), 1.0f);
        target.clearOnNextUse(keep);
        target.makeCurrent().clear(ClearMask::colour);  // a scene's own clear after the bank's
        EXPECT_EQ(target.readPixels()[0], 0) << keep;
        target.clearOnNextUse(keep);  // with two pictures, back on the one drawn two frames ago
        target.makeCurrent();
        EXPECT_EQ(target.readPixels()[0], 0) << keep;

        target.readPixels()[0] = 9;  // written through the picture, not drawn
        target.clearOnNextUse(keep);
        target.makeCurrent();
        target.clearOnNextUse(keep);
        target.makeCurrent();
        EXPECT_EQ(target.readPixels()[0], 0) << keep;
    }
}

}  // namespace
}  // namespace qelo
