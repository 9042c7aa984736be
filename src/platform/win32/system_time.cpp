#include "platform/win32/system_time.h"

#include <windows.h>

#include <mmsystem.h>

namespace qelo::win32 {

std::uint32_t systemMilliseconds() { return timeGetTime(); }

}  // namespace qelo::win32
