// The swarm's random draws and kept state. No GL context is current here, so
// the drawing calls do nothing and only the generator and the record change.
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

TEST_F(SquareSwarm, ReshapingWithTheFirstSeedGivesTheKnownControlPoints)
{
    SplinePath path(30, false);
    std::int32_t seed = 38383;
    reshapeSwarm(path, seed);
    EXPECT_EQ(seed, 38384);
    EXPECT_EQ(randState(), stateAfter(38383, 90));

    EXPECT_EQ(path.points()[0].x, 0.0f);
    EXPECT_EQ(path.points()[0].y, 0.0f);
    EXPECT_EQ(path.points()[0].z, 0.0f);
    // Point 1 from draws 4, 5, 6 (z, y, x), point 2 from draws 7, 8, 9; the
    // values as printed to four or five digits.
    EXPECT_NEAR(path.points()[1].x, -1.4248f, 5e-5f);
    EXPECT_NEAR(path.points()[1].y, 0.2038f, 5e-5f);
    EXPECT_NEAR(path.points()[1].z, 0.304f, 5e-5f);
    EXPECT_NEAR(path.points()[2].x, 3.1456f, 5e-5f);
    EXPECT_NEAR(path.points()[2].y, 0.4718f, 5e-5f);
    EXPECT_NEAR(path.points()[2].z, -2.8448f, 5e-5f);
}

TEST_F(SquareSwarm, FirstCallReshapesFromTheSeedWithoutTestDraws)
{
    srand(777);
    drawSquareSwarm(testing::scratchDrawing(), state, 0.0f, true);
    // Both clocks were just made: no test draws, only the 90 after the reseed.
    EXPECT_EQ(randState(), stateAfter(38383, 90));
    EXPECT_EQ(state.swarmSeed, 38384);
    ASSERT_TRUE(state.swarmPath);
    EXPECT_EQ(state.swarmPath->count(), 30);
    EXPECT_FALSE(state.swarmPath->closed());
    EXPECT_TRUE(state.reshapeClock);
    EXPECT_TRUE(state.tiltClock);
    EXPECT_EQ(state.tilt, 1.0f);

    // Same instant, later frame: nothing due, nothing drawn.
    EXPECT_EQ(frameDraws(4242, false), 0);
}

TEST_F(SquareSwarm, TiltTestDrawsOnceOrTwiceEveryFiftyMilliseconds)
{
    drawSquareSwarm(testing::scratchDrawing(), state, 0.0f, true);

    wait(51);
    const std::uint32_t keep = seedWithNextRemainder(50);
    EXPECT_EQ(frameDraws(keep, false), 1);
    EXPECT_EQ(state.tilt, 1.0f);

    wait(51);
    const std::uint32_t change = seedWithNextRemainder(51);
    EXPECT_EQ(frameDraws(change, false), 2);
    const float newTilt = static_cast<float>(nextValue(stateAfter(change, 1)) % 10000) * 0.0001f;
    EXPECT_EQ(state.tilt, newTilt);

    // Not yet due again.
    wait(20);
    EXPECT_EQ(frameDraws(change, false), 0);
}

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

TEST_F(SquareSwarm, EveryFirstFrameReshapesAfterItsTestDraw)
{
    drawSquareSwarm(testing::scratchDrawing(), state, 0.0f, true);
    wait(401);
    // A test that says no is overridden by the first frame, but its draw stays.
    const std::uint32_t no = seedWithNextRemainder(3);
    srand(no);
    drawSquareSwarm(testing::scratchDrawing(), state, 0.0f, true);
    EXPECT_EQ(state.swarmSeed, 38385);
    const std::uint32_t afterReshape = stateAfter(38384, 90);
    EXPECT_EQ(drawsBetween(afterReshape, randState(), 10), nextValue(afterReshape) % 100 > 50 ? 2 : 1);
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
