#include "timeline/scene_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "../shell/fake_counter.h"
#include "shell/clock.h"

namespace {

using namespace qelo;
using namespace qelo::testing;

struct Call {
    int routine;
    float localTime;
    float progress;
    bool firstFrame;
    std::int32_t mode;
};
std::vector<Call> calls;

template <int Id>
void record(float localTime, float progress, bool firstFrame, std::int32_t mode)
{
    calls.push_back({Id, localTime, progress, firstFrame, mode});
}

struct ScheduleTest : ::testing::Test {
    FakeCounterScope scope;
    void SetUp() override
    {
        calls.clear();
        useFakeCounter(1000);
    }
    void at(std::uint32_t milliseconds) { fakeMilliseconds = 1000 + milliseconds; }
};

TEST_F(ScheduleTest, WindowIncludesStartAndExcludesEnd)
{
    Clock show;
    SceneList list(&show, 4);
    list.append(SceneEntry(record<1>, 15.0f, 25.0f, 2));

    // Readings are ms * float(0.001), so 15000 ms is a hair above 15.0 and
    // the window opens on it; 14999 ms is before the start.
    at(14999);
    list.runAll();
    EXPECT_TRUE(calls.empty());
    at(15000);
    list.runAll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].firstFrame);
    EXPECT_EQ(calls[0].mode, 2);
    EXPECT_NEAR(calls[0].localTime, 0.0f, 1e-5);

    at(24999);
    list.runAll();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_FALSE(calls[1].firstFrame);
    EXPECT_NEAR(calls[1].progress, 0.9999f, 1e-5);

    at(25000);
    list.runAll();
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(ScheduleTest, ExactBoundariesOnTheEntryItself)
{
    // Entry windows compared against exact show times, through a clock whose
    // sample is set by hand.
    Clock show;
    SceneList list(&show, 1);
    SceneEntry entry(record<1>, 1.0f, 2.0f, 0);
    at(0);
    show.lastSample = -1.0f;  // elapsed() is exactly 1.0
    EXPECT_TRUE(entry.isActive(list));
    show.lastSample = -2.0f;  // exactly 2.0
    EXPECT_FALSE(entry.isActive(list));
}

TEST_F(ScheduleTest, FirstFrameIsTrueAgainAfterLeavingAndReentering)
{
    Clock show;
    SceneList list(&show, 2);
    list.append(SceneEntry(record<1>, 1.0f, 2.0f, 0));
    at(1500);
    list.runAll();
    list.runAll();
    at(2500);
    list.runAll();  // inactive: clears wasActive
    at(1600);       // time goes back (only possible with a swapped counter)
    list.runAll();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[0].firstFrame);
    EXPECT_FALSE(calls[1].firstFrame);
    EXPECT_TRUE(calls[2].firstFrame);
}

TEST_F(ScheduleTest, RoutineTimeIsReadAfterTheTestAndMayPassTheWindow)
{
    Clock show;
    SceneList list(&show, 1);
    list.append(SceneEntry(record<1>, 0.0f, 1.0f, 0));
    at(999);
    fakeStepPerRead = 5;  // the second reading is 5 ms later than the test's
    list.runAll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_GT(calls[0].localTime, 1.0f);
    EXPECT_GT(calls[0].progress, 1.0f);
}

TEST_F(ScheduleTest, EntriesRunInAppendOrderAndTheListKeepsItsOwnCopies)
{
    Clock show;
    SceneList list(&show, 10);
    SceneEntry third(record<3>, 0.0f, 50.0f, 7);
    list.append(SceneEntry(record<1>, 0.0f, 50.0f, 0)).append(SceneEntry(record<2>, 0.0f, 10.0f, 1)).append(third);
    third.mode = 99;  // the caller's entry is not the list's
    at(5000);
    list.runAll();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].routine, 1);
    EXPECT_EQ(calls[1].routine, 2);
    EXPECT_EQ(calls[2].routine, 3);
    EXPECT_EQ(calls[2].mode, 7);
    EXPECT_FLOAT_EQ(calls[1].progress, 0.5f);
}

TEST_F(ScheduleTest, AppendPastCapacityIsRefusedAndAnEmptyListDoesNothing)
{
    Clock show;
    SceneList empty(&show, 0);
    empty.runAll();
    empty.append(SceneEntry(record<1>, 0.0f, 1.0f, 0));
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.refused, 1);

    SceneList list(&show, 2);
    for (int i = 0; i < 5; ++i) list.append(SceneEntry(record<1>, 0.0f, 100.0f, i));
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.refused, 3);
    at(1);
    list.runAll();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].mode, 1);
}

}  // namespace
