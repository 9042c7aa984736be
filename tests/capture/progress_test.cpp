#include "capture/progress.h"

#include <gtest/gtest.h>

namespace {

using namespace qelo;

TEST(CaptureProgress, LineShowsFramesSpeedAndTimeLeft)
{
    // Half of 7200 frames in 90 s: 40 fps, 90 s (1:30) to go, half the bar.
    const std::string half = progressLine(3600, 7200, 90.0);
    EXPECT_NE(half.find("[##########----------]"), std::string::npos) << half;
    EXPECT_NE(half.find("3600/7200 frames"), std::string::npos) << half;
    EXPECT_NE(half.find("40.0 fps"), std::string::npos) << half;
    EXPECT_NE(half.find("1:30 left"), std::string::npos) << half;

    // Nothing done yet: no speed to show, and no division by zero.
    const std::string start = progressLine(0, 7200, 0.0);
    EXPECT_NE(start.find("[--------------------]"), std::string::npos) << start;
    EXPECT_EQ(start.find("fps"), std::string::npos) << start;

    EXPECT_NE(progressLine(7200, 7200, 100.0).find("[####################]"), std::string::npos);
    EXPECT_NE(progressLine(5, 0, 1.0).find("[####################]"), std::string::npos);
}

}  // namespace
