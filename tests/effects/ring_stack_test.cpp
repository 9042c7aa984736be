// The ring stack's view of a frame, from its local time and mode.
#include "effects/ring_stack.h"

#include <gtest/gtest.h>

#include "effects/scratch_drawing.h"

#include <cmath>
#include <utility>
#include <vector>

#include "draw_count.h"
#include "shell/random.h"

namespace qelo {
namespace {

// Known values at time zero for the orbiting and the close, breathing stack.
TEST(RingStackView, StacksAtTimeZero)
{
    const RingStackView orbit = ringStackView(0.0f, 0);
    EXPECT_TRUE(orbit.drawn);
    EXPECT_FLOAT_EQ(orbit.eye.y, 10.0f);
    EXPECT_FLOAT_EQ(orbit.eye.z, 20.0f);
    EXPECT_NEAR(orbit.layerScale, 0.228, 0.001);
    EXPECT_FLOAT_EQ(orbit.offset, 100.0f);
    EXPECT_NEAR(orbit.flare, 14.41, 0.01);
    const RingStackView close = ringStackView(0.0f, 2);
    EXPECT_FLOAT_EQ(close.eye.x, 1.0f);
    EXPECT_FLOAT_EQ(close.eye.y, -3.0f);
    EXPECT_FLOAT_EQ(close.eye.z, -14.0f);
    EXPECT_NEAR(close.layerScale, 2.282, 0.001);
    EXPECT_NEAR(close.alpha, 0.109, 0.001);
}

TEST(RingStackView, RingSpeedsAndRangesPerMode)
{
    // The unreduced offset grows at 10, 30 and 70 a second; radii at three times that.
    EXPECT_FLOAT_EQ(ringStackView(2.0f, 0).offset, 120.0f);
    EXPECT_FLOAT_EQ(ringStackView(2.0f, 1).offset, 160.0f);
    EXPECT_FLOAT_EQ(ringStackView(2.0f, 2).offset, 240.0f);
    EXPECT_FLOAT_EQ(ringStackView(2.0f, 1).eye.y, 40.0f);
    for (int ms = 0; ms < 50000; ms += 13) {
        const float t = static_cast<float>(ms) * 0.001f;
        const RingStackView orbit = ringStackView(t, 0);
        EXPECT_GE(orbit.layerScale, 0.0f);
        EXPECT_LE(orbit.layerScale, 0.4f + 1e-6f);
        const RingStackView close = ringStackView(t, 2);
        EXPECT_LE(close.layerScale, 4.0f + 1e-5f);
        EXPECT_GE(close.alpha, 0.04f - 1e-6f);
        EXPECT_LE(close.alpha, 0.2f);
        EXPECT_LE(close.flare, 40.0f + 1e-4f);
        EXPECT_GE(close.eye.y, -8.0f - 1e-5f);
        EXPECT_LE(close.eye.y, 8.0f + 1e-5f);
    }
    EXPECT_FALSE(ringStackView(3.0f, 3).drawn);
    EXPECT_FALSE(ringStackView(3.0f, -1).drawn);
}

// The layer loop reckoned apart: heights kept as floats, each next height
// summed exactly (long double) and compared with `end`.
std::vector<float> layersUpTo(float k, long double end)
{
    std::vector<float> heights;
    float y = -20.0f * k;
    if (!(y < end)) return heights;
    long double next = 0.0L;
    do {
        heights.push_back(y);
        next = static_cast<long double>(y) + static_cast<long double>(4.0f * k);
        y = static_cast<float>(next);
    } while (next < end);
    return heights;
}

// Over every 60 fps frame of both activations, against 20 K held exactly; a
// 20 K rounded to a float would lose or add the eleventh layer in a good
// share of the mode-0 frames.
TEST(RingStackLayers, TenOrElevenLayersAsTheExactSumsSay)
{
    EXPECT_TRUE(ringStackLayerHeights(0.0f).empty());
    EXPECT_TRUE(ringStackLayerHeights(std::nanf("")).empty());
    int frames = 0, eleven = 0, floatEndWouldDiffer = 0;
    for (const auto& [mode, seconds] : {std::pair{0, 15}, std::pair{2, 35}}) {
        for (int frame = 0; frame < seconds * 60; ++frame) {
            const float k = ringStackView(static_cast<float>(frame) / 60.0f, mode).layerScale;
            const std::vector<float> heights = ringStackLayerHeights(k);
            ASSERT_EQ(heights, layersUpTo(k, 20.0L * k)) << "mode " << mode << " frame " << frame;
            if (k > 0.0f) {
                ASSERT_TRUE(heights.size() == 10 || heights.size() == 11) << heights.size();
            }
            ++frames;
            eleven += heights.size() == 11;
            if (mode == 0 && heights != layersUpTo(k, 20.0f * k)) ++floatEndWouldDiffer;
        }
    }
    EXPECT_GT(eleven, 0);
    EXPECT_LT(eleven, frames);
    EXPECT_GT(floatEndWouldDiffer, 15 * 60 / 20);  // over 5 % of the mode-0 frames
}

TEST(RingStack, NeverTouchesTheGenerator)
{
    // No GL context is current here, so only the generator can be observed.
    srand(77);
    for (const std::int32_t mode : {0, 1, 2, 5}) {
        for (const float t : {0.0f, 1.5f, 14.9f}) drawRingStack(testing::scratchDrawing(), ringStackView(t, mode));
        drawRing(testing::scratchDrawing(), Vec3(0.0f, 0.0f, 0.0f), 2.0f, 1.5f, 7, 3.0f);
    }
    EXPECT_EQ(randState(), 77u);
}

}  // namespace
}  // namespace qelo
