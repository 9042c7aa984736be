#pragma once
// The benchmark: the whole show rendered off-screen as fast as it goes, on
// the virtual clock at 60 frames a second, writing nothing. Every frame is
// timed, and so are its phases (clearing, each schedule entry, compositing),
// each bounded by glFinish so that the driver's queued work lands in the
// phase that queued it. Only the benchmark installs these timers.
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/progress.h"
#include "shell/frame_probe.h"

namespace qelo {

// Parts of a frame's time, in the table's column order.
enum class FramePart { Clear, Dots, Tiles, Rings, Ripples, Swarm, Tree, Composite, Other, Count };
inline constexpr int framePartCount = static_cast<int>(FramePart::Count);

// One frame's times in milliseconds.
struct FrameTimes {
    double total = 0;
    std::array<float, framePartCount> parts{};
};

// The show's schedule segments, [start, end) in seconds; the last includes its end.
struct Segment {
    double start;
    double end;
};
inline constexpr std::array<Segment, 7> showSegments = {
    {{0, 15}, {15, 25}, {25, 50}, {50, 55}, {55, 100}, {100, 103}, {103, 120}}};

// The segment a show time falls in (times past the end count to the last).
int segmentOf(double seconds);

// The value at or below which 99 % of the values lie (nearest rank); 0 for none.
double percentile99(std::vector<double> values);

// The table: one row per segment that has frames and one for the whole run.
// rssMegabytes[i] is the resident memory sampled at the end of segment i.
std::string benchmarkTable(const std::vector<FrameTimes>& frames, const std::vector<double>& frameSeconds,
                           const std::array<double, showSegments.size()>& rssMegabytes);

class ShowBenchmark : public FrameProbe {
public:
    explicit ShowBenchmark(double untilSeconds);
    ~ShowBenchmark() override;

    // Installs the virtual clock and the phase timers. Before the window exists.
    void begin();
    // After each frame step: records the frame, moves the clock on.
    void afterFrame();
    // Removes the timers and prints the table to standard output.
    void end();

    void mark(FrameMark what, std::int32_t entry) override;

private:
    using Time = std::chrono::steady_clock::time_point;
    Time finishedNow() const;  // after glFinish
    FramePart partOfEntry(std::int32_t entry) const;

    std::int64_t frameLimit;
    std::vector<FrameTimes> frames;
    std::vector<double> frameSeconds;  // show time of each frame
    std::array<double, showSegments.size()> rss{};
    FrameTimes current;
    Time frameStart{};
    Time phaseStart{};
    Time lastFrameEnd{};
    bool started = false;
    std::unique_ptr<CaptureProgress> progress;
};

// Resident memory of this process now and at its peak, in megabytes.
double residentMegabytes();
double peakResidentMegabytes();

}  // namespace qelo
