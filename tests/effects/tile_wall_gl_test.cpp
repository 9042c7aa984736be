// The tile wall's picture in target 4 and the GL state it leaves there.
#include <GL/gl.h>

#include <cstdint>

#include "effects/effects.h"
#include "effects/tile_wall.h"
#include "gl/gl_fixture.h"
#include "render/current_drawing.h"
#include "render/image_texture.h"
#include "shell/fake_counter.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "timeline/scene_list.h"
#include "shell/random.h"

namespace qelo::test {
namespace {

class TileWallPicture : public ShowGlTest {
protected:
    void SetUp() override
    {
        ShowGlTest::SetUp();
        testing::useFakeCounter(1000);
        // Three opaque white tiles uploaded in target 4's context, as start-up does.
        renderTargets.target(4).makeCurrent();
        const std::uint32_t white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
        for (ImageTexture& tile : tiles) tile.writePixels(reinterpret_cast<const std::uint8_t*>(white), 2, 2);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    testing::FakeCounterScope restoreCounter;
    ImageTexture tiles[3];
};

// A point of the target in its own frame: x from 0 (left) to 1, y from 0
// (top) to 0.75; 1024 pixels a unit both ways.
Rgba at(float x, float y)
{
    return targetPixel(4, static_cast<int>(x * 1024.0f), static_cast<int>(767.0f - y * 1024.0f));
}

TEST_F(TileWallPicture, AtTimeZeroTwelveSquaresCoverTheStatedPlaces)
{
    TileWallState state;
    drawTileWall(windowDrawing(), state, 0.0f, tiles);
    const Rgba opaqueWhite{255, 255, 255, 255};
    const Rgba clear{0, 0, 0, 0};
    int covered = 0;
    for (const float left : {0.3f, 0.41f, 0.52f, 0.63f, 0.74f, 0.85f}) {
        for (const float top : {0.3f, 0.41f}) {
            // Inside each square near its corners and at its middle.
            for (const float dx : {0.005f, 0.05f, 0.095f}) {
                for (const float dy : {0.005f, 0.05f, 0.095f}) {
                    EXPECT_TRUE(near(at(left + dx, top + dy), opaqueWhite)) << left << ", " << top;
                }
            }
            ++covered;
            // The 0.01 gaps to the right and below stay transparent.
            EXPECT_TRUE(near(at(left + 0.105f, top + 0.05f), clear));
            EXPECT_TRUE(near(at(left + 0.05f, top + 0.105f), clear));
        }
        // Nothing above the first row or below the second.
        EXPECT_TRUE(near(at(left + 0.05f, 0.29f), clear));
        EXPECT_TRUE(near(at(left + 0.05f, 0.525f), clear));
    }
    EXPECT_EQ(covered, 12);
    EXPECT_TRUE(near(at(0.29f, 0.35f), clear));
    EXPECT_TRUE(near(at(0.97f, 0.35f), clear));
}

TEST_F(TileWallPicture, TheBlockWrapsBackToPointThreeAfterEachPitch)
{
    // Just before the wrap (x = 0.11 at t = 0.11 / 0.3): left edge at 0.41,
    // the sixth column up to 1.06.
    TileWallState state;
    drawTileWall(windowDrawing(), state, 0.11f / 0.3f - 1e-4f, tiles);
    EXPECT_TRUE(near(at(0.40f, 0.35f), {0, 0, 0, 0}));
    EXPECT_TRUE(near(at(0.42f, 0.35f), {255, 255, 255, 255}));
    EXPECT_TRUE(near(at(0.999f, 0.35f), {255, 255, 255, 255}));
    // Three pitches and a bit travelled: the phase is 0.005 again.
    renderTargets.target(4).makeCurrent();  // reading handed the thread to the window
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawTileWall(windowDrawing(), state, (3.0f * 0.11f + 0.005f) / 0.3f, tiles);
    EXPECT_TRUE(near(at(0.302f, 0.35f), {0, 0, 0, 0}));
    EXPECT_TRUE(near(at(0.308f, 0.35f), {255, 255, 255, 255}));
    EXPECT_TRUE(near(at(0.402f, 0.35f), {255, 255, 255, 255}));
    EXPECT_TRUE(near(at(0.410f, 0.35f), {0, 0, 0, 0}));
}

TEST_F(TileWallPicture, LeavesBlendingAndTexturingOffWithTheTileBound)
{
    TileWallState state;
    drawTileWall(windowDrawing(), state, 3.0f, tiles);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(boundTexture(), tiles[state.tileChoice].textureName);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(TileWallPicture, OtherModesOnlyMakeTheTargetCurrent)
{
    glEnable(GL_BLEND);
    const std::uint32_t before = randState();
    tileWallEffect(2.0f, 0.1f, true, 1);
    EXPECT_EQ(randState(), before);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));  // still the target's context, unchanged
    EXPECT_FALSE(tileWallState().tileClock);
    EXPECT_TRUE(near(at(0.35f, 0.35f), {0, 0, 0, 0}));
}

}  // namespace
}  // namespace qelo::test
