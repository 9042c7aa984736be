#include "shell/random.h"

namespace qelo {

namespace {
std::uint32_t state = 1;
}

void srand(std::uint32_t seed) { state = seed; }

int rand()
{
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

std::uint32_t randState() { return state; }

}  // namespace qelo
