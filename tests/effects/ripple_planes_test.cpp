// The ripple camera: its start, its jumps and what they draw.
#include "effects/ripple_planes.h"

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

class RippleCamera : public ::testing::Test {
protected:
    void SetUp() override { testing::useFakeCounter(1000); }
    testing::FakeCounterScope restoreCounter;
    RipplePlanesState state;
};

TEST_F(RippleCamera, StartsFarAndSmall)
{
    EXPECT_FLOAT_EQ(state.depthScale, 5.0f);
    EXPECT_EQ(drawsMadeBy([&] { updateRippleCamera(state); }), 0);
    ASSERT_TRUE(state.camera);
    EXPECT_FLOAT_EQ(state.camera->x, -14.0f);
    EXPECT_FLOAT_EQ(state.camera->y, -20.0f);
    EXPECT_FLOAT_EQ(state.camera->z, -14.0f);
    EXPECT_TRUE(state.jumpClock);
}

TEST_F(RippleCamera, JumpTestDrawsOneOrFour)
{
    updateRippleCamera(state);
    fakeMilliseconds += 100;
    seedWhere([] { return rand() % 100 <= 60; });
    EXPECT_EQ(drawsMadeBy([&] { updateRippleCamera(state); }), 1);
    EXPECT_FLOAT_EQ(state.camera->x, -14.0f);
    EXPECT_FLOAT_EQ(state.depthScale, 5.0f);

    fakeMilliseconds += 100;
    // y from the first value (high), x from the second (low), the zoom from
    // the third (close in).
    seedWhere([] { return rand() % 100 > 60 && rand() % 10000 >= 9000 && rand() % 10000 < 1000 && rand() % 10000 < 500; });
    EXPECT_EQ(drawsMadeBy([&] { updateRippleCamera(state); }), 4);
    EXPECT_GE(state.camera->y, 16.0f);
    EXPECT_LT(state.camera->y, 20.0f);
    EXPECT_GE(state.camera->x, -10.0f);
    EXPECT_LT(state.camera->x, -8.0f);
    EXPECT_FLOAT_EQ(state.camera->z, -14.0f);
    EXPECT_GE(state.depthScale, 0.25f);
    EXPECT_LT(state.depthScale, 0.5f);

    // Within the period: nothing drawn.
    EXPECT_EQ(drawsMadeBy([&] { updateRippleCamera(state); }), 0);
}

TEST_F(RippleCamera, DrawingDrawsOnlyForTheJump)
{
    drawRipplePlanes(testing::scratchDrawing(), state, 0.0f);
    fakeMilliseconds += 100;
    seedWhere([] { return rand() % 100 > 60; });
    EXPECT_EQ(drawsMadeBy([&] { drawRipplePlanes(testing::scratchDrawing(), state, 3.0f); }), 4);
}

}  // namespace
}  // namespace qelo
