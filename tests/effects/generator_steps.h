#pragma once
// The shared generator seen from outside: the recurrence stepped by hand
// (independently of rand()), and how many values a routine drew.
#include <cstdint>
#include <functional>

#include "shell/random.h"

namespace qelo::testing {

// The generator's state after `draws` calls of rand() from `state`.
inline std::uint32_t stateAfter(std::uint32_t state, std::int64_t draws)
{
    for (std::int64_t i = 0; i < draws; ++i) state = state * 214013u + 2531011u;
    return state;
}

// The value rand() returns next from `state`.
inline int nextValue(std::uint32_t state) { return static_cast<int>((stateAfter(state, 1) >> 16) & 0x7FFF); }

// A seed whose next draw modulo 100 is `remainder`, searched from 1 on.
inline std::uint32_t seedWithNextRemainder(int remainder)
{
    std::uint32_t seed = 1;
    while (nextValue(seed) % 100 != remainder) ++seed;
    return seed;
}

// Number of draws that lead from state `before` to `after` (at most
// `limit`); -1 when `after` is not reached.
inline std::int64_t drawsBetween(std::uint32_t before, std::uint32_t after, std::int64_t limit = 100000)
{
    for (std::int64_t n = 0; n <= limit; ++n, before = stateAfter(before, 1))
        if (before == after) return n;
    return -1;
}

// Draws made by `action`.
inline std::int64_t drawsMadeBy(const std::function<void()>& action)
{
    const std::uint32_t before = randState();
    action();
    return drawsBetween(before, randState());
}

}  // namespace qelo::testing
