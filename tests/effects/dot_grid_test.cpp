// The dot grid: the wrapping of its offsets, and its paced tests catching up
// one period per frame after the pause between its two activations. What it
// draws, and what it draws from the generator, the golden frames pin.
#include "effects/dot_grid.h"

#include <gtest/gtest.h>

#include "effects/generator_steps.h"
#include "effects/scratch_drawing.h"
#include "render/software/software_context.h"
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

// Dots wholly outside the view are not drawn, yet each of the 12 x 12 dots
// on the lattice (offsets -0.05: -0.05 to 1.05 both ways, a third of them
// below the view) still takes its three draws; the picture shows the dots
// that reach into it, up to its right and bottom edges.
TEST_F(DotGridDrawing, EveryDotTakesItsDrawsInViewOrNot)
{
    software::SoftwareContext picture(1024, 768);
    state.scroll = 0.05f;
    state.jitter = 0.05f;
    drawDotGrid(picture, state, 0.0f, 0.0);  // the paced tests' first frame
    EXPECT_EQ(testing::drawsMadeBy([&] { drawDotGrid(picture, state, 0.0f, 0.0); }), 12 * 12 * 3);
    const auto alphaAt = [&](int column, int row) { return picture.picture()[(row * 1024 + column) * 4 + 3]; };
    // Dot centres in pixels: (x * 1024, 768 - y * 1024) for x, y = 0.05 + 0.1 k.
    EXPECT_GT(alphaAt(973, 717), 0);  // centre of the dot at (0.95, 0.05)
    int rowsDrawn = 0;
    for (int row = 0; row < 768; ++row) rowsDrawn += alphaAt(51, row) > 0;
    EXPECT_GT(rowsDrawn, 400);  // the left column's dots, down to the bottom edge
    EXPECT_GT(alphaAt(51, 2), 0);  // the dot at (0.05, 0.75) reaches into the last rows
}

}  // namespace
}  // namespace qelo
