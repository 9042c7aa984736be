// The ring stack's view of a frame, from its local time and mode, where the
// golden frames cannot tell: the unscheduled modes, and the layer count that
// hangs on exact sums.
#include "effects/ring_stack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>


namespace qelo {
namespace {

// Mode 1 is not in the schedule, so the golden frames never see it: its
// offset grows at 30 a second (modes 0 and 2 at 10 and 70) and its eye
// climbs with it. Modes outside 0..2 draw nothing.
TEST(RingStackView, ModeOneAndModesOutsideTheRange)
{
    EXPECT_FLOAT_EQ(ringStackView(2.0f, 1).offset, 160.0f);
    EXPECT_FLOAT_EQ(ringStackView(2.0f, 1).eye.y, 40.0f);
    EXPECT_TRUE(ringStackView(3.0f, 1).drawn);
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

}  // namespace
}  // namespace qelo
