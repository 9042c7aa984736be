// The ripple camera's start, seen only on the first frames after 15 s, before
// its first jump (the jumps and their draws the golden frames pin).
#include "effects/ripple_planes.h"

#include <gtest/gtest.h>

#include "effects/generator_steps.h"
#include "shell/fake_counter.h"

namespace qelo {
namespace {

using testing::drawsMadeBy;

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

}  // namespace
}  // namespace qelo
