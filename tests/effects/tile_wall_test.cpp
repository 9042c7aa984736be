// The tile wall's paced tests catching up after the 50 s between its two
// activations, one period a call: at the golden frames' 5 fps its 0.1 and
// 0.2 s tests are due every frame either way. What they draw the goldens pin.
#include "effects/tile_wall.h"

#include <gtest/gtest.h>

#include "effects/generator_steps.h"
#include "shell/fake_counter.h"

namespace qelo {
namespace {

using testing::drawsMadeBy;
using testing::fakeMilliseconds;

class TileWallPacing : public ::testing::Test {
protected:
    void SetUp() override { testing::useFakeCounter(1000); }
    testing::FakeCounterScope restoreCounter;
    TileWallState state;
};

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

}  // namespace
}  // namespace qelo
