#include "capture/virtual_clock.h"

#include <gtest/gtest.h>

#include "shell/clock.h"

namespace {

using namespace qelo;

struct VirtualClockTest : ::testing::Test {
    ~VirtualClockTest() override { installMillisecondCounter(nullptr); }
};

TEST_F(VirtualClockTest, FrameTimesAreExactAndNeverDrift)
{
    for (const std::int32_t fps : {60, 30, 24, 25}) {
        installVirtualClock(fps);
        for (std::int64_t k = 0; k <= 7200; ++k) {
            setVirtualFrame(k);
            const std::int64_t ms = readMilliseconds();
            // ms is k * 1000 / fps rounded down: ms * fps <= k * 1000 < (ms + 1) * fps.
            ASSERT_LE(ms * fps, k * 1000) << fps << " fps, frame " << k;
            ASSERT_GT((ms + 1) * fps, k * 1000) << fps << " fps, frame " << k;
        }
        setVirtualFrame(static_cast<std::int64_t>(fps) * 120);
        EXPECT_EQ(readMilliseconds(), 120000u) << fps << " fps";
    }
}

TEST_F(VirtualClockTest, StartUpTakesNoVirtualTime)
{
    installVirtualClock(60);
    Clock frame;
    Clock show;
    // However much is read during start-up, time stands at frame 0.
    for (int i = 0; i < 1000; ++i) readSeconds();
    EXPECT_EQ(frame.restart(), 0.0f);
    EXPECT_EQ(show.elapsed(), 0.0);
    setVirtualFrame(1);
    EXPECT_EQ(readMilliseconds(), 16u);
    EXPECT_NEAR(show.elapsed(), 0.016, 1e-6);
}

TEST_F(VirtualClockTest, ShowEndsAtTheFirstFramePast120Seconds)
{
    for (const std::int32_t fps : {1, 24, 25, 30, 60, 7}) {
        installVirtualClock(fps);
        Clock show;
        show.restart();
        std::int64_t first = -1;
        for (std::int64_t k = 0; k < 200LL * fps && first < 0; ++k) {
            setVirtualFrame(k);
            if (show.elapsed() > 120.0) first = k;
        }
        EXPECT_EQ(framesUntilShowEnds(fps, 120.0), first + 1) << fps << " fps";
        // 120,000 ms reads a hair above 120.0 (ms times the float 0.001), so
        // the frame at exactly 120 s is the last one.
        EXPECT_EQ(first, 120LL * fps) << fps << " fps";
    }
}

}  // namespace
