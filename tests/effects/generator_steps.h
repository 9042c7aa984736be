#pragma once
// Predicting the shared generator from a known state, independently of it:
// the recurrence stepped by hand.
#include <cstdint>

#include "effects/draw_count.h"

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

}  // namespace qelo::testing
