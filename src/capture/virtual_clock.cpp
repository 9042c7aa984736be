#include "capture/virtual_clock.h"

#include "shell/clock.h"

namespace qelo {

namespace {

struct VirtualTime {
    std::int32_t fps = 60;
    std::int64_t frame = 0;
};

VirtualTime virtualTime;

std::uint32_t virtualCounter() { return frameMilliseconds(virtualTime.frame, virtualTime.fps); }

}  // namespace

std::uint32_t frameMilliseconds(std::int64_t frame, std::int32_t fps)
{
    // The counter wraps like a real one; the show needs 120,000 ms.
    return static_cast<std::uint32_t>(frame * 1000 / fps);
}

void installVirtualClock(std::int32_t fps)
{
    virtualTime = {fps, 0};
    installMillisecondCounter(virtualCounter);
}

void setVirtualFrame(std::int64_t frame) { virtualTime.frame = frame; }

std::int64_t virtualFrame() { return virtualTime.frame; }

std::int64_t framesUntilShowEnds(std::int32_t fps, double seconds)
{
    // The same arithmetic as Clock::elapsed with the show clock's sample at
    // 0: milliseconds times the single-precision 0.001, in double.
    constexpr double millisecond = static_cast<double>(0.001f);
    std::int64_t frame = static_cast<std::int64_t>(seconds * fps);
    while (frame > 0 && static_cast<double>(frameMilliseconds(frame - 1, fps)) * millisecond > seconds) --frame;
    while (static_cast<double>(frameMilliseconds(frame, fps)) * millisecond <= seconds) ++frame;
    return frame + 1;
}

}  // namespace qelo
