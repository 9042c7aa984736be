#include "capture/show_benchmark.h"

#include <GL/gl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "capture/virtual_clock.h"
#include "effects/effects.h"
#include "shell/frame_loop.h"
#include "shell/globals.h"

namespace qelo {

namespace {

constexpr std::int32_t benchmarkFps = 60;

constexpr std::array<const char*, framePartCount> partNames = {"clear", "dots",      "tiles", "rings", "ripple",
                                                              "swarm", "tree", "composit", "other"};

double milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Summary {
    std::int64_t frames = 0;
    double average = 0;
    double p99 = 0;
    std::array<double, framePartCount> parts{};
};

Summary summarise(const std::vector<FrameTimes>& frames, const std::vector<double>& seconds, int segment)
{
    Summary s;
    std::vector<double> totals;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (segment >= 0 && segmentOf(seconds[i]) != segment) continue;
        totals.push_back(frames[i].total);
        for (int p = 0; p < framePartCount; ++p) s.parts[p] += frames[i].parts[p];
    }
    s.frames = static_cast<std::int64_t>(totals.size());
    if (s.frames == 0) return s;
    double sum = 0;
    for (const double t : totals) sum += t;
    s.average = sum / s.frames;
    for (double& p : s.parts) p /= s.frames;
    s.p99 = percentile99(std::move(totals));
    return s;
}

std::string row(const char* label, const Summary& s, double rss)
{
    char text[256];
    int n = std::snprintf(text, sizeof text, "%-11s %6lld %7.2f %7.2f %6.1f |", label, static_cast<long long>(s.frames),
                          s.average, s.p99, s.average > 0 ? 1000.0 / s.average : 0.0);
    std::string line(text, static_cast<std::size_t>(n));
    for (const double p : s.parts) {
        n = std::snprintf(text, sizeof text, " %6.2f", p);
        line.append(text, static_cast<std::size_t>(n));
    }
    n = std::snprintf(text, sizeof text, " | %6.0f\n", rss);
    line.append(text, static_cast<std::size_t>(n));
    return line;
}

}  // namespace

int segmentOf(double seconds)
{
    for (int i = static_cast<int>(showSegments.size()) - 1; i > 0; --i)
        if (seconds >= showSegments[i].start) return i;
    return 0;
}

double percentile99(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(values.size())));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

std::string benchmarkTable(const std::vector<FrameTimes>& frames, const std::vector<double>& frameSeconds,
                           const std::array<double, showSegments.size()>& rssMegabytes)
{
    std::string table =
        "                  frame time, ms         | where the time goes, ms a frame (average)                      | memory\n"
        "segment     frames     avg     p99    fps |";
    for (const char* name : partNames) {
        char text[16];
        std::snprintf(text, sizeof text, " %6.6s", name);
        table += text;
    }
    table += " | RSS MB\n";
    double peak = 0;
    for (std::size_t i = 0; i < showSegments.size(); ++i) {
        const Summary s = summarise(frames, frameSeconds, static_cast<int>(i));
        if (s.frames == 0) continue;
        char label[32];
        std::snprintf(label, sizeof label, "%3.0f-%3.0f s", showSegments[i].start, showSegments[i].end);
        table += row(label, s, rssMegabytes[i]);
        peak = std::max(peak, rssMegabytes[i]);
    }
    table += row("whole show", summarise(frames, frameSeconds, -1), peak);
    return table;
}

double residentMegabytes()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

ShowBenchmark::ShowBenchmark(double untilSeconds)
{
    const std::int64_t wholeShow = framesUntilShowEnds(benchmarkFps, showLength);
    frameLimit = wholeShow;
    if (untilSeconds > 0) {
        const double limit = std::ceil(untilSeconds * benchmarkFps - 1e-9);
        if (limit < static_cast<double>(wholeShow)) frameLimit = std::max<std::int64_t>(1, static_cast<std::int64_t>(limit));
    }
    frames.reserve(static_cast<std::size_t>(frameLimit));
    frameSeconds.reserve(static_cast<std::size_t>(frameLimit));
}

ShowBenchmark::~ShowBenchmark()
{
    if (frameProbe == this) frameProbe = nullptr;
}

void ShowBenchmark::begin()
{
    installVirtualClock(benchmarkFps);
    renderTargets.composeInMemory = true;  // as a capture composites
    frameProbe = this;
}

ShowBenchmark::Time ShowBenchmark::finishedNow() const
{
    glFinish();
    return std::chrono::steady_clock::now();
}

FramePart ShowBenchmark::partOfEntry(std::int32_t entry) const
{
    if (entry < 0 || entry >= sceneList.count) return FramePart::Other;
    const SceneRoutine routine = sceneList.items[entry]->routine;
    if (routine == dotGridEffect) return FramePart::Dots;
    if (routine == tileWallEffect) return FramePart::Tiles;
    if (routine == ringStackEffect) return FramePart::Rings;
    if (routine == ripplePlanesEffect) return FramePart::Ripples;
    if (routine == squareSwarmEffect) return FramePart::Swarm;
    if (routine == treeSceneEffect) return FramePart::Tree;
    return FramePart::Other;
}

void ShowBenchmark::mark(FrameMark what, std::int32_t entry)
{
    const Time now = finishedNow();
    const auto add = [this, now](FramePart part) {
        current.parts[static_cast<int>(part)] += static_cast<float>(milliseconds(now - phaseStart));
    };
    switch (what) {
    case FrameMark::FrameStart:
        current = {};
        if (!started) {
            lastFrameEnd = now;  // the first frame's time starts here
            started = true;
            progress = std::make_unique<CaptureProgress>(frameLimit);
        }
        break;
    case FrameMark::Cleared: add(FramePart::Clear); break;
    case FrameMark::EntryStart: break;
    case FrameMark::EntryEnd: add(partOfEntry(entry)); break;
    case FrameMark::Compositing: break;
    case FrameMark::Composited: add(FramePart::Composite); break;
    }
    phaseStart = finishedNow();
}

void ShowBenchmark::afterFrame()
{
    const std::int64_t frame = virtualFrame();
    if (renderTargets.frameInMemory) {
        // What a capture does next: the frame put together in memory.
        renderTargets.composeFrame();
        current.parts[static_cast<int>(FramePart::Composite)] += static_cast<float>(milliseconds(finishedNow() - phaseStart));
    }
    const Time now = finishedNow();
    current.total = milliseconds(now - lastFrameEnd);
    lastFrameEnd = now;
    double accounted = 0;
    for (int p = 0; p < framePartCount; ++p) accounted += current.parts[p];
    current.parts[static_cast<int>(FramePart::Other)] += static_cast<float>(std::max(0.0, current.total - accounted));
    frames.push_back(current);
    const double seconds = frameMilliseconds(frame, benchmarkFps) / 1000.0;
    frameSeconds.push_back(seconds);

    const std::int64_t done = frame + 1;
    const bool last = done >= frameLimit;
    const double nextSeconds = frameMilliseconds(done, benchmarkFps) / 1000.0;
    if (last || segmentOf(nextSeconds) != segmentOf(seconds)) rss[segmentOf(seconds)] = residentMegabytes();
    progress->update(done);
    if (last) mainWindow.running = false;
    setVirtualFrame(done);
    lastFrameEnd = std::chrono::steady_clock::now();  // bookkeeping is not the show's time
}

void ShowBenchmark::end()
{
    if (frameProbe == this) frameProbe = nullptr;
    if (progress) progress->finish(static_cast<std::int64_t>(frames.size()));
    // Stopped early (a signal ends the show cleanly): the segment it was in
    // has had no memory sample yet.
    if (!frameSeconds.empty() && rss[segmentOf(frameSeconds.back())] == 0)
        rss[segmentOf(frameSeconds.back())] = residentMegabytes();
    double wall = 0;
    for (const FrameTimes& f : frames) wall += f.total;
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::printf("qelo benchmark: %zu frames at 60 a second of show time, off-screen on %s; %.1f s, %.1f fps\n",
                frames.size(), renderer ? renderer : "an unknown renderer", wall / 1000.0,
                wall > 0 ? frames.size() * 1000.0 / wall : 0.0);
    std::fputs(benchmarkTable(frames, frameSeconds, rss).c_str(), stdout);
    std::printf("peak resident memory %.0f MB; phases timed with glFinish between them\n", peakResidentMegabytes());
    std::fflush(stdout);
}

}  // namespace qelo
