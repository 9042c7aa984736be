#include "capture/frame_table.h"

#include <algorithm>
#include <cstdio>

namespace qelo {

namespace {

constexpr std::array<const char*, framePartCount> partNames = {"clear", "dots",      "tiles", "rings", "ripple",
                                                              "swarm", "tree", "composit", "other"};

void append(std::string& line, const char* format, double value)
{
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, value);
    if (n > 0) line.append(text, std::min(static_cast<std::size_t>(n), sizeof text - 1));
}

std::string row(const char* label, const FrameSummary& s, bool withParts)
{
    char text[128];
    const int n = std::snprintf(text, sizeof text, "%-11s %6lld %7.2f %7.2f %6.1f |", label,
                                static_cast<long long>(s.frames), s.average, s.p99,
                                s.average > 0 ? 1000.0 / s.average : 0.0);
    std::string line(text, std::min(static_cast<std::size_t>(std::max(n, 0)), sizeof text - 1));
    if (withParts) {
        for (const double p : s.parts) append(line, " %6.2f", p);
        line += " |";
    }
    append(line, " %6.0f\n", s.residentMegabytes);
    return line;
}

}  // namespace

std::string frameTable(const FrameStatistics& statistics, std::string_view rendererName)
{
    const bool withParts = statistics.partsTimed();
    std::string table = "renderer: " + std::string(rendererName) + "\n";
    table += "                  frame time, ms         |";
    if (withParts) table += " where the time goes, ms a frame (average)                      |";
    table += " memory\nsegment     frames     avg     p99    fps |";
    if (withParts) {
        for (const char* name : partNames) {
            char text[16];
            std::snprintf(text, sizeof text, " %6.6s", name);
            table += text;
        }
        table += " |";
    }
    table += " RSS MB\n";
    for (int i = 0; i < segmentCount; ++i) {
        const FrameSummary s = statistics.summary(i);
        if (s.frames == 0) continue;
        char label[32];
        std::snprintf(label, sizeof label, "%3.0f-%3.0f s", showSegments[i].start, showSegments[i].end);
        table += row(label, s, withParts);
    }
    table += row("whole show", statistics.summary(-1), withParts);
    return table;
}

}  // namespace qelo
