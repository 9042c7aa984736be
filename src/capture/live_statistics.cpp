#include "capture/live_statistics.h"

#include <cstdio>

#include "capture/frame_table.h"
#include "capture/resident_memory.h"
#include "shell/globals.h"

namespace qelo {

LiveStatistics::~LiveStatistics()
{
    if (frameProbe == this) frameProbe = nullptr;
}

void LiveStatistics::begin()
{
    frameProbe = this;
}

void LiveStatistics::mark(FrameMark what, std::int32_t)
{
    if (what == FrameMark::FrameStart) frameStarted(showClock.elapsed(), std::chrono::steady_clock::now());
}

void LiveStatistics::frameStarted(double showSeconds, std::chrono::steady_clock::time_point now)
{
    if (lastSeconds >= 0) {
        FrameTimes times;
        times.total = std::chrono::duration<double, std::milli>(now - lastStart).count();
        statistics.add(lastSeconds, times);
        // The previous frame closed its segment: sample the memory it ended with.
        if (segmentOf(showSeconds) != segmentOf(lastSeconds)) statistics.noteMemory(lastSeconds, residentMegabytes());
    }
    lastStart = now;
    lastSeconds = showSeconds;
}

void LiveStatistics::end(const std::string& rendererName)
{
    if (frameProbe == this) frameProbe = nullptr;
    const std::int64_t count = statistics.frameCount();
    if (count > 0 && !statistics.hasMemorySample(lastSeconds)) statistics.noteMemory(lastSeconds, residentMegabytes());
    const double wall = statistics.wallMilliseconds();
    std::printf("qelo stats: %lld frames shown in %.1f s, %.1f fps\n", static_cast<long long>(count), wall / 1000.0,
                wall > 0 ? count * 1000.0 / wall : 0.0);
    std::fputs(frameTable(statistics, rendererName).c_str(), stdout);
    std::printf("peak resident memory %.0f MB; frame times are wall clock from one frame's start to the next, "
                "presentation included\n",
                peakResidentMegabytes());
    std::fflush(stdout);
}

}  // namespace qelo
