#pragma once
// The frame-time table that the benchmark and live statistics print: a line
// naming the renderer, then one row per schedule segment that has frames and
// one for the whole show. The "where the time goes" columns appear only when
// the parts were timed.
#include <string>
#include <string_view>

#include "capture/frame_statistics.h"

namespace qelo {

// rendererName: "software", or "gl (" + the driver's GL_RENDERER + ")".
std::string frameTable(const FrameStatistics& statistics, std::string_view rendererName);

}  // namespace qelo
