#include "capture/frame_statistics.h"

#include <algorithm>
#include <cmath>

namespace qelo {

int segmentOf(double seconds)
{
    for (int i = segmentCount - 1; i > 0; --i)
        if (seconds >= showSegments[i].start) return i;
    return 0;
}

double percentile99(std::vector<double> values)
{
    if (values.empty()) return 0;
    const std::size_t rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(values.size())));
    const auto nth = values.begin() + static_cast<std::ptrdiff_t>(std::max<std::size_t>(rank, 1) - 1);
    std::nth_element(values.begin(), nth, values.end());
    return *nth;
}

FrameStatistics::FrameStatistics(bool partsTimed) : timed(partsTimed) {}

void FrameStatistics::gather(Gathered& into, const FrameTimes& times)
{
    ++into.frames;
    into.sum += times.total;
    into.totals.push_back(times.total);
    for (int p = 0; p < framePartCount; ++p) into.parts[p] += times.parts[p];
}

void FrameStatistics::add(double showSeconds, const FrameTimes& times)
{
    gather(segments[segmentOf(showSeconds)], times);
    gather(whole, times);
}

void FrameStatistics::noteMemory(double showSeconds, double megabytes)
{
    segments[segmentOf(showSeconds)].rss = megabytes;
}

bool FrameStatistics::hasMemorySample(double showSeconds) const
{
    return segments[segmentOf(showSeconds)].rss > 0;
}

FrameSummary FrameStatistics::summary(int segment) const
{
    const Gathered& g = segment >= 0 && segment < segmentCount ? segments[segment] : whole;
    FrameSummary s;
    s.frames = g.frames;
    if (segment >= 0 && segment < segmentCount) {
        s.residentMegabytes = g.rss;
    } else {
        for (const Gathered& each : segments) s.residentMegabytes = std::max(s.residentMegabytes, each.rss);
    }
    if (g.frames == 0) return s;
    s.average = g.sum / static_cast<double>(g.frames);
    for (int p = 0; p < framePartCount; ++p) s.parts[p] = g.parts[p] / static_cast<double>(g.frames);
    s.p99 = percentile99(g.totals);
    return s;
}

}  // namespace qelo
