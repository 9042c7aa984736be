// The tile wall's paced tests: what they draw from the generator and how
// their clocks catch up after the routine has been idle.
#include "effects/tile_wall.h"

#include <gtest/gtest.h>

#include "effects/scratch_drawing.h"

#include "draw_count.h"
#include "shell/fake_counter.h"
#include "shell/random.h"

namespace qelo {
namespace {

using testing::drawsMadeBy;
using testing::fakeMilliseconds;
using testing::seedWhere;

class TileWallPacing : public ::testing::Test {
protected:
    void SetUp() override { testing::useFakeCounter(1000); }
    testing::FakeCounterScope restoreCounter;
    TileWallState state;
};

TEST_F(TileWallPacing, ClocksAreMadeOnFirstUseAndNothingIsDrawnBeforeAPeriod)
{
    EXPECT_FALSE(state.tileClock);
    EXPECT_EQ(drawsMadeBy([&] { updateTileChoice(state); }), 0);
    EXPECT_TRUE(state.tileClock);
    EXPECT_FALSE(state.spreadClock);
    fakeMilliseconds += 99;
    EXPECT_EQ(drawsMadeBy([&] { updateTileChoice(state); }), 0);
    EXPECT_EQ(drawsMadeBy([&] { updateSpread(state); }), 0);
    EXPECT_EQ(state.tileChoice, 0);
    EXPECT_EQ(state.spread, 0.0f);
}

TEST_F(TileWallPacing, TileTestDrawsOnceWhenItKeepsTheTileAndTwiceWhenItChangesIt)
{
    updateTileChoice(state);
    fakeMilliseconds += 100;

    seedWhere([] { return rand() % 100 <= 50; });
    EXPECT_EQ(drawsMadeBy([&] { updateTileChoice(state); }), 1);
    EXPECT_EQ(state.tileChoice, 0);

    fakeMilliseconds += 100;
    // A seed whose test fires and whose second value picks tile 2.
    seedWhere([] { return rand() % 100 > 50 && rand() % 3 == 2; });
    EXPECT_EQ(drawsMadeBy([&] { updateTileChoice(state); }), 2);
    EXPECT_EQ(state.tileChoice, 2);
}

TEST_F(TileWallPacing, SpreadTestDrawsOnceOrTwiceAndKeepsTheSpreadBelowPointThree)
{
    updateSpread(state);
    fakeMilliseconds += 199;
    EXPECT_EQ(drawsMadeBy([&] { updateSpread(state); }), 0);
    fakeMilliseconds += 1;

    seedWhere([] { return rand() % 100 <= 50; });
    EXPECT_EQ(drawsMadeBy([&] { updateSpread(state); }), 1);
    EXPECT_EQ(state.spread, 0.0f);

    fakeMilliseconds += 200;
    seedWhere([] { return rand() % 100 > 50 && rand() % 10000 == 9999; });
    EXPECT_EQ(drawsMadeBy([&] { updateSpread(state); }), 2);
    EXPECT_FLOAT_EQ(state.spread, 0.29997f);
    EXPECT_LT(state.spread, 0.3f);
}

// Catching up is the paced test's; here only that both tests use it.
TEST_F(TileWallPacing, IdleClocksFireOnEveryCallAfterAPause)
{
    updateTileChoice(state);
    updateSpread(state);
    fakeMilliseconds += 50000;  // the 50 s between the two activations
    for (int call = 0; call < 3; ++call) {
        EXPECT_GT(drawsMadeBy([&] { updateTileChoice(state); }), 0) << call;
        EXPECT_GT(drawsMadeBy([&] { updateSpread(state); }), 0) << call;
    }
}

TEST_F(TileWallPacing, DrawingMakesTheSamePacedDrawsWithoutAContext)
{
    // With no GL context current the GL calls do nothing; the generator
    // still sees the tile test first, then the spread test.
    drawTileWall(testing::scratchDrawing(), state, 0.0f, nullptr);
    fakeMilliseconds += 200;
    seedWhere([] { return rand() % 100 > 50 && (rand(), rand() % 100 > 50); });
    EXPECT_EQ(drawsMadeBy([&] { drawTileWall(testing::scratchDrawing(), state, 1.0f, nullptr); }), 4);
}

}  // namespace
}  // namespace qelo
