#pragma once
// Frame times of live play (--stats): the wall-clock time from the start of
// one frame step to the start of the next, so each frame's time includes its
// presentation and whatever waiting that does. Only the frame starts are
// marked; nothing waits for the renderer, so what is measured is what was
// shown. The frame the show ends on has no next start and is not counted.
#include <chrono>
#include <cstdint>
#include <string>

#include "capture/frame_statistics.h"
#include "shell/frame_probe.h"

namespace qelo {

class LiveStatistics : public FrameProbe {
public:
    LiveStatistics() = default;
    ~LiveStatistics() override;
    LiveStatistics(const LiveStatistics&) = delete;
    LiveStatistics& operator=(const LiveStatistics&) = delete;

    // Installs the probe; before the show starts.
    void begin();
    // One frame start at show time `showSeconds`, at `now`.
    void frameStarted(double showSeconds, std::chrono::steady_clock::time_point now);
    // Removes the probe and prints the table, naming the renderer (see
    // frameTable), to standard output.
    void end(const std::string& rendererName);

    const FrameStatistics& gathered() const { return statistics; }

    void mark(FrameMark what, std::int32_t entry) override;

private:
    FrameStatistics statistics{false};
    std::chrono::steady_clock::time_point lastStart{};
    double lastSeconds = -1;  // show time of the frame started last; < 0 before the first
};

}  // namespace qelo
