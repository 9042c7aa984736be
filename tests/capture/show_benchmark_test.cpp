// The benchmark's arithmetic: segments by show time, the 99th percentile,
// and a table whose rows are the segments that ran plus the whole run.
#include "capture/show_benchmark.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace qelo;

TEST(ShowBenchmark, SegmentsFollowTheSchedulesBoundaries)
{
    EXPECT_EQ(segmentOf(0.0), 0);
    EXPECT_EQ(segmentOf(14.999), 0);
    EXPECT_EQ(segmentOf(15.0), 1);
    EXPECT_EQ(segmentOf(50.0), 3);
    EXPECT_EQ(segmentOf(54.99), 3);
    EXPECT_EQ(segmentOf(55.0), 4);
    EXPECT_EQ(segmentOf(102.99), 5);
    EXPECT_EQ(segmentOf(103.0), 6);
    EXPECT_EQ(segmentOf(120.0), 6);  // the last frames, a hair past 120 s, count to the last
    EXPECT_EQ(segmentOf(120.02), 6);
}

TEST(ShowBenchmark, NinetyNinthPercentileIsANearestRank)
{
    EXPECT_EQ(percentile99({}), 0.0);
    EXPECT_EQ(percentile99({7.0}), 7.0);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);  // order does not matter
    EXPECT_EQ(percentile99(hundred), 99.0);
    hundred.push_back(1000.0);  // 101 values: the 100th smallest
    EXPECT_EQ(percentile99(hundred), 100.0);
}

TEST(ShowBenchmark, TableHasARowPerSegmentThatRanAndOneForTheWhole)
{
    std::vector<FrameTimes> frames;
    std::vector<double> seconds;
    for (int k = 0; k < 4; ++k) {
        FrameTimes f;
        f.total = k < 2 ? 10.0 : 30.0;
        f.parts[static_cast<int>(FramePart::Composite)] = static_cast<float>(f.total / 2);
        frames.push_back(f);
        seconds.push_back(k < 2 ? 1.0 : 60.0);  // two frames at 0-15 s, two at 55-100 s
    }
    std::array<double, showSegments.size()> rss{};
    rss[0] = 100;
    rss[4] = 120;
    const std::string table = benchmarkTable(frames, seconds, rss);

    EXPECT_NE(table.find("  0- 15 s        2   10.00   10.00  100.0 |"), std::string::npos) << table;
    EXPECT_NE(table.find(" 55-100 s        2   30.00   30.00   33.3 |"), std::string::npos) << table;
    EXPECT_NE(table.find("whole show       4   20.00   30.00   50.0 |"), std::string::npos) << table;
    EXPECT_EQ(table.find(" 15- 25 s"), std::string::npos) << table;
    EXPECT_NE(table.find("  10.00   0.00 |    120"), std::string::npos) << table;  // composite, other, peak RSS
}

}  // namespace
