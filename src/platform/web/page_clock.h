#pragma once
// The millisecond counter of live play in a browser (see page.h).
#include <cstdint>

namespace qelo::web {

// The page's clock, whole milliseconds, wrapping like a system counter.
std::uint32_t pageMilliseconds();

}  // namespace qelo::web
