#pragma once
// Random values as the scenes take them from the shared generator.
#include "shell/random.h"

namespace qelo {

// One draw as a fraction in [0, 0.9999], in steps of 0.0001 (single precision).
inline float randomFraction() { return static_cast<float>(rand() % 10000) * 0.0001f; }

}  // namespace qelo
