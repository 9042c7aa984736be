#pragma once
// Counting what a routine drew from the shared generator: the generator's
// state is compared with an independent stepping of the same recurrence.
#include <cstdint>

namespace qelo::testing {

// The generator's state after `draws` calls of rand() from `state`.
inline std::uint32_t stateAfter(std::uint32_t state, std::int64_t draws)
{
    for (std::int64_t i = 0; i < draws; ++i) state = state * 214013u + 2531011u;
    return state;
}

// The number of rand() calls that lead from state `from` to state `to`, or -1
// when there is none within `limit`.
inline std::int64_t drawsBetween(std::uint32_t from, std::uint32_t to, std::int64_t limit = 100000)
{
    for (std::int64_t n = 0; n <= limit; ++n) {
        if (from == to) return n;
        from = from * 214013u + 2531011u;
    }
    return -1;
}

// The value rand() returns next from `state`.
inline int nextValue(std::uint32_t state) { return static_cast<int>((stateAfter(state, 1) >> 16) & 0x7FFF); }

// A seed whose next draw modulo 100 is `remainder`, searched from `from` on.
inline std::uint32_t seedWithNextRemainder(int remainder, std::uint32_t from = 1)
{
    std::uint32_t seed = from;
    while (nextValue(seed) % 100 != remainder) ++seed;
    return seed;
}

}  // namespace qelo::testing
