#pragma once
// The show's one pseudo-random generator. Every scene's detail depends on the
// exact order and number of calls, discarded ones included, so this must stay
// the linear congruential generator below and never the C library's rand().
#include <cstdint>

namespace qelo {

inline constexpr int randMax = 0x7FFF;

// Sets the state; the state is 1 at process start.
void srand(std::uint32_t seed);

// state := state * 214013 + 2531011 (mod 2^32); returns bits 16..30, 0..32767.
int rand();

// The raw state, for tests and for checks that a routine drew what it should.
std::uint32_t randState();

}  // namespace qelo
