// Frame-time statistics: segments by show time, the 99th percentile, the
// summaries the collector keeps per segment and for the whole show, the
// table printed from them, and live play's frame times between frame starts.
#include "capture/frame_statistics.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "capture/frame_table.h"
#include "capture/live_statistics.h"

namespace {

using namespace qelo;

FrameTimes frameOf(double total)
{
    FrameTimes f;
    f.total = total;
    return f;
}

TEST(FrameStatistics, SegmentsFollowTheSchedulesBoundaries)
{
    // A boundary belongs to the segment it opens.
    EXPECT_EQ(segmentOf(14.999), 0);
    EXPECT_EQ(segmentOf(15.0), 1);
    EXPECT_EQ(segmentOf(55.0), 4);
    EXPECT_EQ(segmentOf(120.02), 6);  // the last frames, a hair past 120 s, count to the last
}

TEST(FrameStatistics, NinetyNinthPercentileIsANearestRank)
{
    EXPECT_EQ(percentile99({}), 0.0);
    EXPECT_EQ(percentile99({7.0}), 7.0);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);  // order does not matter
    EXPECT_EQ(percentile99(hundred), 99.0);
    hundred.push_back(1000.0);  // 101 values: the 100th smallest
    EXPECT_EQ(percentile99(hundred), 100.0);
}

TEST(FrameStatistics, SummariesPerSegmentAndForTheWholeShow)
{
    FrameStatistics statistics(true);
    // 0-15 s: 199 frames of 10 ms and one of 50 ms; the 99th percentile is
    // the 198th value, so one slow frame in 200 does not move it.
    for (int k = 0; k < 199; ++k) statistics.add(k * 0.05, frameOf(10.0));
    FrameTimes slow = frameOf(50.0);
    slow.parts[static_cast<int>(FramePart::Composite)] = 20.0f;
    statistics.add(14.99, slow);
    // 103-120 s, including frames a hair past the end: 30 ms each.
    for (const double t : {103.0, 119.99, 120.01}) statistics.add(t, frameOf(30.0));
    statistics.noteMemory(14.99, 100);
    statistics.noteMemory(120.01, 90);

    const FrameSummary first = statistics.summary(0);
    EXPECT_EQ(first.frames, 200);
    EXPECT_DOUBLE_EQ(first.average, (199 * 10.0 + 50.0) / 200);
    EXPECT_EQ(first.p99, 10.0);
    EXPECT_DOUBLE_EQ(first.parts[static_cast<int>(FramePart::Composite)], 0.1);
    EXPECT_EQ(first.residentMegabytes, 100);

    const FrameSummary last = statistics.summary(6);
    EXPECT_EQ(last.frames, 3);
    EXPECT_EQ(last.average, 30.0);
    EXPECT_EQ(last.residentMegabytes, 90);
    for (int segment = 1; segment < 6; ++segment) EXPECT_EQ(statistics.summary(segment).frames, 0) << segment;

    const FrameSummary whole = statistics.summary(-1);
    EXPECT_EQ(whole.frames, 203);
    EXPECT_EQ(statistics.frameCount(), 203);
    EXPECT_DOUBLE_EQ(statistics.wallMilliseconds(), 199 * 10.0 + 50.0 + 3 * 30.0);
    EXPECT_EQ(whole.p99, 30.0);  // rank 201 of 203
    EXPECT_EQ(whole.residentMegabytes, 100);  // the largest sample
    EXPECT_TRUE(statistics.hasMemorySample(3.0));
    EXPECT_FALSE(statistics.hasMemorySample(60.0));
}

TEST(FrameTable, NamesTheRendererAndHasARowPerSegmentThatRan)
{
    FrameStatistics statistics(true);
    for (int k = 0; k < 4; ++k) {
        FrameTimes f = frameOf(k < 2 ? 10.0 : 30.0);
        f.parts[static_cast<int>(FramePart::Composite)] = static_cast<float>(f.total / 2);
        statistics.add(k < 2 ? 1.0 : 60.0, f);  // two frames at 0-15 s, two at 55-100 s
    }
    statistics.noteMemory(1.0, 100);
    statistics.noteMemory(60.0, 120);
    const std::string table = frameTable(statistics, "gl (llvmpipe (LLVM 15.0.6, 256 bits))");

    EXPECT_EQ(table.rfind("renderer: gl (llvmpipe (LLVM 15.0.6, 256 bits))\n", 0), 0u) << table;
    EXPECT_NE(table.find("  0- 15 s        2   10.00   10.00  100.0 |"), std::string::npos) << table;
    EXPECT_NE(table.find(" 55-100 s        2   30.00   30.00   33.3 |"), std::string::npos) << table;
    EXPECT_NE(table.find("whole show       4   20.00   30.00   50.0 |"), std::string::npos) << table;
    EXPECT_EQ(table.find(" 15- 25 s"), std::string::npos) << table;
    EXPECT_NE(table.find("  10.00   0.00 |    120"), std::string::npos) << table;  // composite, other, peak RSS
}

TEST(FrameTable, WithoutTimedPartsHasNoPartColumns)
{
    FrameStatistics statistics(false);
    statistics.add(1.0, frameOf(20.0));
    statistics.noteMemory(1.0, 80);
    const std::string table = frameTable(statistics, "software");
    EXPECT_EQ(table.rfind("renderer: software\n", 0), 0u) << table;
    EXPECT_EQ(table.find("composit"), std::string::npos) << table;
    EXPECT_NE(table.find("  0- 15 s        1   20.00   20.00   50.0 |     80\n"), std::string::npos) << table;
}

TEST(LiveStatistics, AFramesTimeRunsToTheNextFramesStartAndCountsWhereItStarted)
{
    using std::chrono::milliseconds;
    LiveStatistics live;
    const auto t0 = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    live.frameStarted(14.98, t0);
    live.frameStarted(15.00, t0 + milliseconds(16));  // the first frame took 16 ms, in 0-15 s
    live.frameStarted(15.04, t0 + milliseconds(56));  // the second 40 ms, in 15-25 s
    live.frameStarted(15.05, t0 + milliseconds(60));  // the third 4 ms; the show ends in this one, uncounted

    const FrameStatistics& s = live.gathered();
    EXPECT_EQ(s.frameCount(), 3);
    EXPECT_EQ(s.summary(0).frames, 1);
    EXPECT_DOUBLE_EQ(s.summary(0).average, 16.0);
    EXPECT_EQ(s.summary(1).frames, 2);
    EXPECT_DOUBLE_EQ(s.summary(1).average, 22.0);
    EXPECT_DOUBLE_EQ(s.summary(1).p99, 40.0);
    EXPECT_TRUE(s.hasMemorySample(14.98));  // sampled as its segment ended
    EXPECT_FALSE(s.partsTimed());
}

}  // namespace
