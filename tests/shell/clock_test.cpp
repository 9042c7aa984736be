#include "shell/clock.h"

#include <gtest/gtest.h>

#include "fake_counter.h"

namespace {

using qelo::Clock;
using namespace qelo::testing;

TEST(Clock, ReadingsAreMillisecondsTimesSinglePrecisionThousandth)
{
    FakeCounterScope scope;
    useFakeCounter(5000);
    Clock clock;
    EXPECT_EQ(clock.lastSample, 0.0f);
    fakeMilliseconds += 1500;
    EXPECT_DOUBLE_EQ(clock.elapsed(), 1500.0 * static_cast<double>(0.001f));
    EXPECT_NE(clock.elapsed(), 1.5);  // the constant is the float 0.001, widened
    EXPECT_FLOAT_EQ(clock.restart(), 1.5f);
    EXPECT_NEAR(clock.elapsed(), 0.0, 1e-6);  // lastSample is rounded to float
}

TEST(Clock, RestartReturnsTheDifferenceAndSamplesWithASecondReading)
{
    FakeCounterScope scope;
    useFakeCounter(0, 1);  // every reading one millisecond later
    Clock clock;           // reads 0 (difference), samples at 1 ms
    EXPECT_FLOAT_EQ(clock.lastSample, 0.001f);
    // reads 2 ms: 1 ms since the sample; samples at 3 ms.
    EXPECT_NEAR(clock.restart(), 0.001, 1e-9);
    EXPECT_FLOAT_EQ(clock.lastSample, 0.003f);
    // Two restarts in quick succession: the second returns about 0.
    fakeStepPerRead = 0;
    clock.restart();
    EXPECT_EQ(clock.restart(), 0.0f);
}

TEST(Clock, TimeIsContinuousAcrossTheCounterWrapAndAtLargeCounterValues)
{
    FakeCounterScope scope;
    // Started 100 ms before the 32-bit counter wraps (49.7 days of uptime).
    useFakeCounter(0xFFFFFFFFu - 99u);
    Clock clock;
    fakeMilliseconds += 60;  // still before the wrap
    EXPECT_NEAR(clock.elapsed(), 0.060, 1e-6);
    fakeMilliseconds += 80;  // 40 ms past the wrap
    EXPECT_NEAR(clock.elapsed(), 0.140, 1e-6);
    EXPECT_GT(clock.elapsed(), 0.0);

    // Counter beyond 2^31 (24.8 days up): readings stay positive, and one
    // millisecond is still resolved because readings start at installation.
    useFakeCounter(0x80000000u + 12345u);
    Clock late;
    fakeMilliseconds += 1;
    EXPECT_NEAR(late.elapsed(), 0.001, 1e-7);
    fakeMilliseconds += 120000;  // two minutes of show
    EXPECT_NEAR(late.restart(), 120.001, 1e-4);
}

}  // namespace
