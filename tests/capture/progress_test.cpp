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

    // A video's size so far ends the line; frames in a directory have none.
    EXPECT_TRUE(progressLine(3600, 7200, 90.0, 61'234'567).ends_with("1:30 left  61.2 MB")) << half;
    EXPECT_TRUE(progressLine(0, 7200, 0.0, 0).ends_with("frames  0 kB"));
    EXPECT_EQ(half.find("B"), std::string::npos) << half;
}

TEST(CaptureProgress, SizesInDecimalUnitsAndTheMeanBitRate)
{
    EXPECT_EQ(byteSize(0), "0 kB");
    EXPECT_EQ(byteSize(999'499), "999 kB");
    EXPECT_EQ(byteSize(999'500), "1.0 MB");
    EXPECT_EQ(byteSize(123'449'999), "123.4 MB");
    EXPECT_EQ(byteSize(999'949'999), "999.9 MB");
    EXPECT_EQ(byteSize(999'950'000), "1.00 GB");
    EXPECT_EQ(byteSize(1'520'000'000), "1.52 GB");

    // 123.4 MB over the whole show at 60 fps (7201 frames): 8.2 Mbit/s.
    EXPECT_EQ(sizeAndRate(123'400'000, 7201 / 60.0), "123.4 MB, 8.2 Mbit/s");
    EXPECT_EQ(sizeAndRate(60'000, 3.0), "60 kB, 160 kbit/s");
    EXPECT_EQ(sizeAndRate(5'000'000, 0.0), "5.0 MB");  // no time: no rate
}

}  // namespace
