// The swarm where the golden frames cannot tell: the reshape test's exact
// threshold, and its 50 ms tilt test catching up one period a call (at the
// goldens' 5 fps it is due every frame either way). No GL context is current
// here, so drawing only changes the generator and the record.
#include "effects/square_swarm.h"

#include <gtest/gtest.h>

#include "effects/scratch_drawing.h"

#include "effects/generator_steps.h"
#include "shell/fake_counter.h"
#include "shell/random.h"

namespace qelo {
namespace {

using testing::drawsBetween;
using testing::nextValue;
using testing::seedWithNextRemainder;
using testing::stateAfter;

class SquareSwarm : public ::testing::Test {
protected:
    void SetUp() override { testing::useFakeCounter(5000); }

    // Lets `ms` milliseconds of fake time pass.
    static void wait(std::uint32_t ms) { testing::fakeMilliseconds += ms; }

    // Draws one frame from a known generator state; returns the draws it made.
    std::int64_t frameDraws(std::uint32_t seed, bool firstFrame, float localTime = 1.0f)
    {
        srand(seed);
        drawSquareSwarm(testing::scratchDrawing(), state, localTime, firstFrame);
        return drawsBetween(seed, randState());
    }

    testing::FakeCounterScope restoreCounter;
    SquareSwarmState state;
};

TEST_F(SquareSwarm, ReshapeTestAboveSeventyReseedsWithTheNextSeed)
{
    drawSquareSwarm(testing::scratchDrawing(), state, 0.0f, true);
    ASSERT_EQ(state.swarmSeed, 38384);

    // 401 ms: both tests are due (400 ms is still short of the single-precision 0.4).
    wait(401);
    const std::uint32_t no = seedWithNextRemainder(70);
    // The reshape draw, then the tilt test's one or two.
    const std::int64_t tiltDraws = nextValue(stateAfter(no, 1)) % 100 > 50 ? 2 : 1;
    EXPECT_EQ(frameDraws(no, false), 1 + tiltDraws);
    EXPECT_EQ(state.swarmSeed, 38384);

    wait(401);
    const std::uint32_t yes = seedWithNextRemainder(71);
    srand(yes);
    drawSquareSwarm(testing::scratchDrawing(), state, 1.0f, false);
    EXPECT_EQ(state.swarmSeed, 38385);
    // The generator continues from the reseed: 90 draws, then the tilt test.
    const std::uint32_t afterReshape = stateAfter(38384, 90);
    const std::int64_t drawn = drawsBetween(afterReshape, randState(), 10);
    EXPECT_EQ(drawn, nextValue(afterReshape) % 100 > 50 ? 2 : 1);
}

TEST_F(SquareSwarm, ClocksBehindAfterAnInactiveStretchCatchUpOnePeriodPerCall)
{
    drawSquareSwarm(testing::scratchDrawing(), state, 0.0f, true);
    wait(1010);  // the tilt test is due 20 times, the reshape test twice
    for (int call = 0; call < 3; ++call) {
        const float tilt = state.tiltClock->lastSample;
        const float reshape = state.reshapeClock->lastSample;
        drawSquareSwarm(testing::scratchDrawing(), state, 1.0f, false);
        EXPECT_NEAR(state.tiltClock->lastSample - tilt, 0.05f, 1e-5f) << call;
        EXPECT_NEAR(state.reshapeClock->lastSample - reshape, call < 2 ? 0.4f : 0.0f, 1e-4f) << call;
    }
}

}  // namespace
}  // namespace qelo
