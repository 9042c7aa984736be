#pragma once
// Frame times gathered per schedule segment of the show, for the benchmark
// and for live play's statistics: fed one frame at a time with its show time,
// its wall-clock time and (when timed) where that time went.
#include <array>
#include <cstdint>
#include <vector>

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
inline constexpr int segmentCount = static_cast<int>(showSegments.size());

// The segment a show time falls in (times past the end count to the last).
int segmentOf(double seconds);

// The value at or below which 99 % of the values lie (nearest rank); 0 for none.
double percentile99(std::vector<double> values);

// What the table shows for a segment or the whole show; times in milliseconds.
struct FrameSummary {
    std::int64_t frames = 0;
    double average = 0;
    double p99 = 0;
    std::array<double, framePartCount> parts{};  // average a frame
    double residentMegabytes = 0;                // at the segment's end; whole show: the largest
};

class FrameStatistics {
public:
    // Whether the frames' parts were timed (the benchmark) or only their totals (live play).
    explicit FrameStatistics(bool partsTimed);

    // One frame that showed show time `showSeconds`.
    void add(double showSeconds, const FrameTimes& times);
    // Resident memory as the segment holding `showSeconds` ends (the last sample counts).
    void noteMemory(double showSeconds, double megabytes);

    bool partsTimed() const { return timed; }
    std::int64_t frameCount() const { return whole.frames; }
    double wallMilliseconds() const { return whole.sum; }
    // Whether the segment holding `showSeconds` has a memory sample yet.
    bool hasMemorySample(double showSeconds) const;

    // Segment 0..segmentCount-1, or -1 for the whole show.
    FrameSummary summary(int segment) const;

private:
    struct Gathered {
        std::int64_t frames = 0;
        double sum = 0;
        std::vector<double> totals;  // kept for the percentile
        std::array<double, framePartCount> parts{};
        double rss = 0;
    };
    static void gather(Gathered& into, const FrameTimes& times);

    bool timed;
    std::array<Gathered, showSegments.size()> segments;
    Gathered whole;
};

}  // namespace qelo
