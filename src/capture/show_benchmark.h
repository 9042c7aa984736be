#pragma once
// The benchmark: the whole show rendered off-screen as fast as it goes, on
// the virtual clock at 60 frames a second, writing nothing. Every frame is
// timed, and so are its phases (clearing, each schedule entry, compositing),
// each bounded by glFinish so that the driver's queued work lands in the
// phase that queued it. Only the benchmark installs these timers.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "capture/frame_statistics.h"
#include "capture/progress.h"
#include "shell/frame_probe.h"

namespace qelo {

class ShowBenchmark : public FrameProbe {
public:
    explicit ShowBenchmark(double untilSeconds);
    ~ShowBenchmark() override;

    // Installs the virtual clock and the phase timers. Before the window exists.
    void begin();
    // After each frame step: records the frame, moves the clock on.
    void afterFrame();
    // Removes the timers and prints the table, naming the renderer (see
    // frameTable), to standard output.
    void end(const std::string& rendererName);

    void mark(FrameMark what, std::int32_t entry) override;

private:
    using Time = std::chrono::steady_clock::time_point;
    Time finishedNow() const;  // after glFinish
    FramePart partOfEntry(std::int32_t entry) const;

    std::int64_t frameLimit;
    FrameStatistics statistics{true};
    double lastSeconds = 0;  // show time of the last frame recorded
    FrameTimes current;
    Time frameStart{};
    Time phaseStart{};
    Time lastFrameEnd{};
    bool started = false;
    std::unique_ptr<CaptureProgress> progress;
};

}  // namespace qelo
