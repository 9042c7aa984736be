// The paced test every routine uses: its clock is made on first use, it fires
// once a period, and after an idle stretch once per call until caught up.
#include "effects/pacing.h"

#include <gtest/gtest.h>

#include <optional>

#include "shell/fake_counter.h"

namespace qelo {
namespace {

using testing::fakeMilliseconds;

TEST(PacedTest, FiresOncePerPeriodAndCatchesUpOnePeriodPerCall)
{
    testing::FakeCounterScope restoreCounter;
    testing::useFakeCounter(1000);
    std::optional<Clock> clock;
    EXPECT_FALSE(pacedTestDue(clock, 0.1f));  // made now: nothing has passed
    ASSERT_TRUE(clock);
    fakeMilliseconds += 99;
    EXPECT_FALSE(pacedTestDue(clock, 0.1f));
    fakeMilliseconds += 2;
    EXPECT_TRUE(pacedTestDue(clock, 0.1f));
    EXPECT_FALSE(pacedTestDue(clock, 0.1f));

    // Idle for 5 s: due on every call, one period at a time, until caught up.
    fakeMilliseconds += 5000;
    int firings = 0;
    for (int call = 0; call < 80; ++call) {
        const float before = clock->lastSample;
        if (pacedTestDue(clock, 0.1f)) {
            ++firings;
            EXPECT_NEAR(clock->lastSample - before, 0.1f, 1e-5f);
        }
        if (call < 48) {
            ASSERT_EQ(firings, call + 1);
        }
    }
    EXPECT_NEAR(firings, 50, 1);
}

}  // namespace
}  // namespace qelo
