#pragma once
// The capture's progress bar on stderr: frames done, capture speed, time left,
// and the size of the video as it grows.
#include <chrono>
#include <cstdint>
#include <string>

namespace qelo {

// One line of progress, e.g.
// "[########------------]  2400/7201 frames  41.7 fps  1:55 left  49.1 MB".
// wallSeconds is the time spent so far; the estimate assumes the same pace.
// bytes < 0: no size shown (frames in a directory).
std::string progressLine(std::int64_t done, std::int64_t total, double wallSeconds, std::int64_t bytes = -1);

// A file size in decimal units: "734 kB", "123.4 MB", "1.52 GB".
std::string byteSize(std::int64_t bytes);
// "123.4 MB, 8.2 Mbit/s": the size and the mean bit rate over `seconds`.
std::string sizeAndRate(std::int64_t bytes, double seconds);
// The size of the file at `path`, or -1 when there is none.
std::int64_t fileBytes(const std::string& path);

class CaptureProgress {
public:
    // `growingFile`, when given, is the video being written: each line shows
    // its size so far.
    explicit CaptureProgress(std::int64_t total, std::string growingFile = {});

    // On a terminal, redraws the line in place at most a few times a second;
    // otherwise (a log) prints a line at every tenth of the way.
    void update(std::int64_t done);
    // Prints the final line and ends it.
    void finish(std::int64_t done);

private:
    using Time = std::chrono::steady_clock::time_point;
    double secondsSince(Time t) const;
    std::string line(std::int64_t done) const;

    std::int64_t total;
    std::string growingFile;
    bool terminal;
    Time start;
    Time lastDrawn;
    std::int64_t lastTenth = -1;
    std::int64_t lastPrinted = -1;  // frames done at the last line written
};

}  // namespace qelo
