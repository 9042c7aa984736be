// The tree scene where the golden frames cannot tell (it runs once, from 55
// to 100 s, at a steady rate there): its pulse catching up after a stall, a
// second first frame, and colours finer than a picture shows. No GL context
// is current here, so drawing only changes the generator and the record.
#include "effects/tree_scene.h"

#include <gtest/gtest.h>

#include "effects/scratch_drawing.h"

#include "effects/generator_steps.h"
#include "shell/fake_counter.h"
#include "shell/random.h"

namespace qelo {
namespace {

using testing::drawsBetween;
using testing::stateAfter;

class TreeScene : public ::testing::Test {
protected:
    void SetUp() override { testing::useFakeCounter(100); }

    static void wait(std::uint32_t ms) { testing::fakeMilliseconds += ms; }

    std::int64_t frameDraws(std::uint32_t seed, bool firstFrame, float localTime)
    {
        srand(seed);
        drawTreeScene(testing::scratchDrawing(), state, localTime, firstFrame);
        return drawsBetween(seed, randState());
    }

    testing::FakeCounterScope restoreCounter;
    TreeSceneState state;
};

TEST_F(TreeScene, PulseBehindAfterAnInactiveStretchFiresOncePerCall)
{
    drawTreeScene(testing::scratchDrawing(), state, 0.0f, true);
    wait(1600);  // three periods and a bit
    EXPECT_EQ(frameDraws(1, false, 1.6f), 1 + 3003);
    EXPECT_EQ(frameDraws(2, false, 1.6f), 1 + 3003);
    EXPECT_EQ(frameDraws(3, false, 1.6f), 1 + 3003);
    EXPECT_EQ(frameDraws(4, false, 1.6f), 3003);
}

TEST_F(TreeScene, AnotherFirstFrameChoosesTheSameRouteAgain)
{
    drawTreeScene(testing::scratchDrawing(), state, 0.0f, true);
    const Vec3 first = state.cameraPath->points()[7];
    wait(600);
    srand(9);
    drawTreeScene(testing::scratchDrawing(), state, 0.0f, true);
    // Pulse draw first, then the reseed: the rest follows from 23332 alone.
    EXPECT_EQ(randState(), stateAfter(23332, 30 + 3000 + 3));
    EXPECT_EQ(state.cameraPath->points()[7].x, first.x);
    EXPECT_EQ(state.cameraPath->points()[7].y, first.y);
}

// w = radius / 60 stays in double until the colour converts it; a w rounded
// to a float first changes 1 - w at some radii (about one ring draw in 90).
TEST(TreeSceneRings, FadeIsFormedFromTheUnroundedFraction)
{
    int differsFromFloatW = 0;
    for (int frame = 0; frame < 45 * 60; ++frame) {
        float ringPhase = 4.0f * (static_cast<float>(frame) / 60.0f);
        while (ringPhase > 2.0f) ringPhase -= 2.0f;
        for (std::int32_t i = 0; i < 60; ++i) {
            const float radius = static_cast<float>(2 * i) + ringPhase;
            const double w = static_cast<double>(radius) / 60.0;
            const std::array<float, 4> colour = groundRingColour(i, ringPhase);
            const float wFloat = radius * 0.016666668f;
            EXPECT_NEAR(colour[2], w, 1e-6);
            EXPECT_EQ(colour[0], colour[3]);
            EXPECT_EQ(colour[0], static_cast<float>(1.0 - static_cast<double>(radius) * static_cast<double>(0.016666668f)));
            differsFromFloatW += colour[0] != 1.0f - wFloat;
        }
    }
    EXPECT_GT(differsFromFloatW, 0);
}

}  // namespace
}  // namespace qelo
