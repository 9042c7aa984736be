// The dot grid: its pulse, the wrapping of its offsets, how many dots it
// draws and what it draws from the generator for them.
#include "effects/dot_grid.h"

#include <gtest/gtest.h>

#include "effects/scratch_drawing.h"

#include <algorithm>
#include <cmath>

#include "draw_count.h"
#include "shell/fake_counter.h"
#include "shell/random.h"

namespace qelo {
namespace {

using testing::drawsMadeBy;
using testing::fakeMilliseconds;
using testing::seedWhere;

TEST(DotGridPulse, StaysWithinItsRange)
{
    float lowest = 10.0f;
    float highest = -10.0f;
    for (int ms = 0; ms < 100000; ms += 7) {
        const float pulse = dotGridPulse(static_cast<float>(ms) * 0.001f);
        lowest = std::min(lowest, pulse);
        highest = std::max(highest, pulse);
    }
    EXPECT_GE(lowest, -0.35f - 1e-6f);
    EXPECT_LE(highest, 1.05f + 1e-6f);
    EXPECT_LT(lowest, -0.34f);
    EXPECT_GT(highest, 1.04f);
}

TEST(DotGridOffset, WrapsIntoMinusAPitchToZero)
{
    const DotGridOffset zero = dotGridOffset(0.0f, 0.0f);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);

    const DotGridOffset small = dotGridOffset(0.03f, 0.25f);
    EXPECT_NEAR(small.x, -0.07f, 1e-6f);
    EXPECT_NEAR(small.y, -0.05f, 1e-6f);

    // As the scroll grows the grid moves right: x rises towards 0, then
    // wraps back to just above -0.1.
    EXPECT_LT(dotGridOffset(0.04f, 0.0f).x, dotGridOffset(0.09f, 0.0f).x);
    EXPECT_GT(dotGridOffset(0.101f, 0.0f).x, -0.1f);
    EXPECT_LT(dotGridOffset(0.101f, 0.0f).x, -0.09f);

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

// Without a GL context the drawing calls do nothing, but every dot still
// takes its three values.
TEST_F(DotGridDrawing, ZeroOffsetsGiveElevenDotsAndNegativeOnesTwelve)
{
    EXPECT_EQ(drawsMadeBy([&] { drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0); }), 3 * 11 * 11);
    state.scroll = 0.05f;
    state.jitter = 3.33f;
    EXPECT_EQ(drawsMadeBy([&] { drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0); }), 3 * 12 * 12);
    state.scroll = 0.0f;
    EXPECT_EQ(drawsMadeBy([&] { drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0); }), 3 * 12 * 11);
}

TEST_F(DotGridDrawing, PacedTestsDrawBeforeTheDots)
{
    drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0);
    fakeMilliseconds += 100;

    // Jitter test keeps the jitter (one draw), second test fires (two draws),
    // then 121 dots.
    seedWhere([] { return rand() % 100 <= 50 && rand() % 100 > 75; });
    EXPECT_EQ(drawsMadeBy([&] { drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0); }), 1 + 2 + 3 * 121);
    EXPECT_EQ(state.jitter, 0.0f);

    // Not due again within the period: only the dots.
    EXPECT_EQ(drawsMadeBy([&] { drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0); }), 3 * 121);

    // Jitter fires with a value that moves the grid off zero (12 rows), second
    // test keeps quiet (one draw).
    fakeMilliseconds += 100;
    seedWhere([] { return rand() % 100 > 50 && rand() % 10000 == 1234 && rand() % 100 <= 75; });
    EXPECT_EQ(drawsMadeBy([&] { drawDotGrid(testing::scratchDrawing(), state, 0.0f, 0.0); }), 2 + 1 + 3 * 12 * 11);
    EXPECT_FLOAT_EQ(state.jitter, 1.234f);
}

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
