#pragma once
// Random events paced by a routine-owned clock. The clock is made on first
// use; each call lets at most one period pass, so a clock that fell behind
// while its routine was idle fires on every call until it has caught up.
#include <optional>

#include "shell/clock.h"

namespace qelo {

// True when at least `period` seconds have passed on `clock` (constructed
// here on the first call); the clock's sample then moves on by exactly one
// period. The period is single precision and compared widened.
inline bool pacedTestDue(std::optional<Clock>& clock, float period)
{
    if (!clock) clock.emplace();
    if (!(clock->elapsed() >= static_cast<double>(period))) return false;
    clock->lastSample += period;
    return true;
}

}  // namespace qelo
