#pragma once
// Counting how many values a routine drew from the shared generator, and
// finding seeds whose next draws take a chosen branch.
#include <cstdint>
#include <functional>
#include <stdexcept>

#include "shell/random.h"

namespace qelo::testing {

// Number of rand() calls that lead from generator state `before` to `after`
// (at most `limit`); -1 when `after` is not reached. Leaves the state at `after`.
inline std::int64_t drawsBetween(std::uint32_t before, std::uint32_t after, std::int64_t limit = 100000)
{
    srand(before);
    for (std::int64_t n = 0; n <= limit; ++n) {
        if (randState() == after) return n;
        rand();
    }
    srand(after);
    return -1;
}

// Draws made by `action`.
inline std::int64_t drawsMadeBy(const std::function<void()>& action)
{
    const std::uint32_t before = randState();
    action();
    return drawsBetween(before, randState());
}

// The first seed from 1 on whose next draws satisfy `wanted` (given a fresh
// generator seeded with it); the generator is left seeded with that seed.
inline std::uint32_t seedWhere(const std::function<bool()>& wanted)
{
    for (std::uint32_t seed = 1; seed < 1000000; ++seed) {
        srand(seed);
        if (wanted()) {
            srand(seed);
            return seed;
        }
    }
    throw std::runtime_error("no seed found");
}

}  // namespace qelo::testing
