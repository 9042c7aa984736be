#include "platform/web/page_clock.h"

#include <cmath>

#include "platform/web/page.h"

namespace qelo::web {

std::uint32_t pageMilliseconds()
{
    // Whole milliseconds, as a system counter gives them; 2^32 ms is 49 days.
    const double ms = std::floor(qelo_page_milliseconds());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms >= 0.0 ? ms : 0.0));
}

}  // namespace qelo::web
