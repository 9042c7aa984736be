#include "capture/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace qelo {

namespace {

constexpr int barWidth = 20;

std::string minutesAndSeconds(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

std::string progressLine(std::int64_t done, std::int64_t total, double wallSeconds)
{
    const double fraction = total > 0 ? std::clamp(static_cast<double>(done) / total, 0.0, 1.0) : 1.0;
    const int filled = static_cast<int>(fraction * barWidth);
    std::string line(barWidth + 2, '-');
    line.front() = '[';
    line.back() = ']';
    line.replace(1, static_cast<std::size_t>(filled), static_cast<std::size_t>(filled), '#');

    char numbers[128];
    if (done > 0 && wallSeconds > 0.0) {
        const double rate = done / wallSeconds;
        const double left = static_cast<double>(std::max<std::int64_t>(total - done, 0)) / rate;
        std::snprintf(numbers, sizeof numbers, " %6lld/%lld frames  %5.1f fps  %s left", static_cast<long long>(done),
                      static_cast<long long>(total), rate, minutesAndSeconds(left).c_str());
    } else {
        std::snprintf(numbers, sizeof numbers, " %6lld/%lld frames", static_cast<long long>(done),
                      static_cast<long long>(total));
    }
    line += numbers;
    return line;
}

CaptureProgress::CaptureProgress(std::int64_t total)
    : total(total), terminal(isatty(STDERR_FILENO) != 0), start(std::chrono::steady_clock::now()), lastDrawn(start)
{
}

double CaptureProgress::secondsSince(Time t) const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

void CaptureProgress::update(std::int64_t done)
{
    if (terminal) {
        if (secondsSince(lastDrawn) < 0.2) return;
        lastDrawn = std::chrono::steady_clock::now();
        std::fprintf(stderr, "\r%s", progressLine(done, total, secondsSince(start)).c_str());
        return;
    }
    const std::int64_t tenth = total > 0 ? done * 10 / total : 10;
    if (tenth == lastTenth) return;
    lastTenth = tenth;
    lastPrinted = done;
    std::fprintf(stderr, "%s\n", progressLine(done, total, secondsSince(start)).c_str());
}

void CaptureProgress::finish(std::int64_t done)
{
    if (!terminal && done == lastPrinted) return;
    std::fprintf(stderr, "%s%s\n", terminal ? "\r" : "", progressLine(done, total, secondsSince(start)).c_str());
}

}  // namespace qelo
