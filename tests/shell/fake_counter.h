#pragma once
// A millisecond counter tests set by hand. Installing it makes its current
// value the origin of every Clock reading.
#include <cstdint>

#include "shell/clock.h"

namespace qelo::testing {

inline std::uint32_t fakeMilliseconds = 0;
// Added to the counter after every read: 0 freezes time, 1 makes each
// reading a millisecond later than the previous one.
inline std::uint32_t fakeStepPerRead = 0;

inline std::uint32_t fakeCounter()
{
    const std::uint32_t now = fakeMilliseconds;
    fakeMilliseconds += fakeStepPerRead;
    return now;
}

// Starts fake time at `start` milliseconds of counter value (the origin).
inline void useFakeCounter(std::uint32_t start, std::uint32_t stepPerRead = 0)
{
    fakeMilliseconds = start;
    fakeStepPerRead = 0;
    installMillisecondCounter(fakeCounter);
    fakeStepPerRead = stepPerRead;
}

struct FakeCounterScope {
    ~FakeCounterScope() { installMillisecondCounter(nullptr); }
};

}  // namespace qelo::testing
