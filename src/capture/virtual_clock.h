#pragma once
// Frame-exact time for capture: the millisecond counter every Clock reads
// becomes a function of the frame number, so each frame's picture is the
// same in every run.
#include <cstdint>

namespace qelo {

// Milliseconds of frame k at fps frames a second: k * 1000 / fps rounded
// down, computed from k each time (never by adding a rounded step, which
// would drift). Requires fps >= 1, k >= 0.
std::uint32_t frameMilliseconds(std::int64_t frame, std::int32_t fps);

// Installs the virtual counter at frame 0, its origin. Until the frame is
// advanced, no time passes: start-up takes no virtual time.
void installVirtualClock(std::int32_t fps);

// Moves the virtual counter to frame k.
void setVirtualFrame(std::int64_t frame);
std::int64_t virtualFrame();

// Frames a whole-show capture has: frame k is the last when the show clock,
// started at frame 0, reads more than `seconds` there.
std::int64_t framesUntilShowEnds(std::int32_t fps, double seconds);

}  // namespace qelo
