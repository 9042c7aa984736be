#pragma once
// The system millisecond counter every Clock reads on Windows.
#include <cstdint>

namespace qelo::win32 {

// timeGetTime(): milliseconds since system start, wrapping after 49.7 days.
std::uint32_t systemMilliseconds();

}  // namespace qelo::win32
