#include "capture/progress.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

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

std::string byteSize(std::int64_t bytes)
{
    char text[32];
    const double value = static_cast<double>(bytes);
    // Each unit up to what would round to 1000 of it.
    if (bytes < 999'500)
        std::snprintf(text, sizeof text, "%.0f kB", value / 1e3);
    else if (bytes < 999'950'000)
        std::snprintf(text, sizeof text, "%.1f MB", value / 1e6);
    else
        std::snprintf(text, sizeof text, "%.2f GB", value / 1e9);
    return text;
}

std::string sizeAndRate(std::int64_t bytes, double seconds)
{
    if (seconds <= 0.0) return byteSize(bytes);
    const double bitsPerSecond = static_cast<double>(bytes) * 8.0 / seconds;
    char rate[32];
    if (bitsPerSecond < 1e6)
        std::snprintf(rate, sizeof rate, "%.0f kbit/s", bitsPerSecond / 1e3);
    else
        std::snprintf(rate, sizeof rate, "%.1f Mbit/s", bitsPerSecond / 1e6);
    return byteSize(bytes) + ", " + rate;
}

std::int64_t fileBytes(const std::string& path)
{
    struct stat file {};
    if (stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) return -1;
    return static_cast<std::int64_t>(file.st_size);
}

std::string progressLine(std::int64_t done, std::int64_t total, double wallSeconds, std::int64_t bytes)
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
    if (bytes >= 0) line += "  " + byteSize(bytes);
    return line;
}

CaptureProgress::CaptureProgress(std::int64_t total, std::string growingFile)
    : total(total), growingFile(std::move(growingFile)), terminal(isatty(STDERR_FILENO) != 0), start(std::chrono::steady_clock::now()), lastDrawn(start)
{
}

double CaptureProgress::secondsSince(Time t) const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

std::string CaptureProgress::line(std::int64_t done) const
{
    // ffmpeg writes behind the frames sent; before its first write, 0 bytes.
    const std::int64_t bytes = growingFile.empty() ? -1 : std::max<std::int64_t>(fileBytes(growingFile), 0);
    return progressLine(done, total, secondsSince(start), bytes);
}

void CaptureProgress::update(std::int64_t done)
{
    if (terminal) {
        if (secondsSince(lastDrawn) < 0.2) return;
        lastDrawn = std::chrono::steady_clock::now();
        std::fprintf(stderr, "\r%s", line(done).c_str());
        return;
    }
    const std::int64_t tenth = total > 0 ? done * 10 / total : 10;
    if (tenth == lastTenth) return;
    lastTenth = tenth;
    lastPrinted = done;
    std::fprintf(stderr, "%s\n", line(done).c_str());
}

void CaptureProgress::finish(std::int64_t done)
{
    if (!terminal && done == lastPrinted) return;
    std::fprintf(stderr, "%s%s\n", terminal ? "\r" : "", line(done).c_str());
}

}  // namespace qelo
