#pragma once
// The capture's progress bar on stderr: frames done, capture speed, time left.
#include <chrono>
#include <cstdint>
#include <string>

namespace qelo {

// One line of progress, e.g.
// "[########------------]  2400/7201 frames  41.7 fps  1:55 left".
// wallSeconds is the time spent so far; the estimate assumes the same pace.
std::string progressLine(std::int64_t done, std::int64_t total, double wallSeconds);

class CaptureProgress {
public:
    explicit CaptureProgress(std::int64_t total);

    // On a terminal, redraws the line in place at most a few times a second;
    // otherwise (a log) prints a line at every tenth of the way.
    void update(std::int64_t done);
    // Prints the final line and ends it.
    void finish(std::int64_t done);

private:
    using Time = std::chrono::steady_clock::time_point;
    double secondsSince(Time t) const;

    std::int64_t total;
    bool terminal;
    Time start;
    Time lastDrawn;
    std::int64_t lastTenth = -1;
    std::int64_t lastPrinted = -1;  // frames done at the last line written
};

}  // namespace qelo
