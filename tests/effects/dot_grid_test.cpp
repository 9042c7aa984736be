// The dot grid: the wrapping of its offsets, and its paced tests catching up
// one period per frame after the pause between its two activations. What it
// draws, and what it draws from the generator, the golden frames pin.
#include "effects/dot_grid.h"

#include <gtest/gtest.h>

#include "effects/scratch_drawing.h"
#include "shell/fake_counter.h"

namespace qelo {
namespace {

using testing::fakeMilliseconds;

TEST(DotGridOffset, WrapsIntoMinusAPitchToZero)
{
    const DotGridOffset zero = dotGridOffset(0.0f, 0.0f);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    const DotGridOffset small = dotGridOffset(0.03f, 0.25f);
    EXPECT_NEAR(small.x, -0.07f, 1e-6f);
    EXPECT_NEAR(small.y, -0.05f, 1e-6f);

    // Far into the show the reduction still lands within a pitch, without drift.
    const DotGridOffset far = dotGridOffset(250.037f, 9.99f);
    EXPECT_GT(far.x, -0.1f);
    EXPECT_LE(far.x, 0.0f);
    EXPECT_NEAR(far.x, -0.063f, 2e-5f);
    EXPECT_NEAR(far.y, -0.01f, 2e-5f);

    const DotGridOffset negative = dotGridOffset(-0.25f, -1.0f);
    EXPECT_NEAR(negative.x, -0.05f, 1e-6f);
    EXPECT_GT(negative.y, -0.1f);
    EXPECT_LE(negative.y, 0.0f);
}

class DotGridDrawing : public ::testing::Test {
protected:
    void SetUp() override { testing::useFakeCounter(1000); }
    testing::FakeCounterScope restoreCounter;
    DotGridState state;
};

// Catching up is the paced test's; here only that both clocks use it.
TEST_F(DotGridDrawing, IdleClocksFireOnEveryFrameAfterAPause)
{
    drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0);
    fakeMilliseconds += 5000;  // the pause from 50 s to 55 s
    for (int frame = 0; frame < 3; ++frame) {
        const float jitter = state.jitterClock->lastSample;
        const float second = state.secondClock->lastSample;
        drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0);
        EXPECT_NEAR(state.jitterClock->lastSample - jitter, 0.1f, 1e-5f) << frame;
        EXPECT_NEAR(state.secondClock->lastSample - second, 0.1f, 1e-5f) << frame;
    }
}

}  // namespace
}  // namespace qelo
