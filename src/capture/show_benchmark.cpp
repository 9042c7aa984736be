#include "capture/show_benchmark.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "capture/frame_table.h"
#include "capture/resident_memory.h"
#include "capture/virtual_clock.h"
#include "effects/effects.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/frame_loop.h"
#include "shell/globals.h"
#include "shell/renderer_kind.h"
#include "timeline/scene_list.h"

namespace qelo {

namespace {

constexpr std::int32_t benchmarkFps = 60;

double milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

ShowBenchmark::ShowBenchmark(double untilSeconds)
{
    const std::int64_t wholeShow = framesUntilShowEnds(benchmarkFps, showLength);
    frameLimit = wholeShow;
    if (untilSeconds > 0) {
        const double limit = std::ceil(untilSeconds * benchmarkFps - 1e-9);
        if (limit < static_cast<double>(wholeShow)) frameLimit = std::max<std::int64_t>(1, static_cast<std::int64_t>(limit));
    }
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
    // The software renderer has finished when its calls return.
    if (activeRenderer == RendererKind::gl) glFinish();
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
    const double seconds = frameMilliseconds(frame, benchmarkFps) / 1000.0;
    statistics.add(seconds, current);
    lastSeconds = seconds;

    const std::int64_t done = frame + 1;
    const bool last = done >= frameLimit;
    const double nextSeconds = frameMilliseconds(done, benchmarkFps) / 1000.0;
    if (last || segmentOf(nextSeconds) != segmentOf(seconds)) statistics.noteMemory(seconds, residentMegabytes());
    progress->update(done);
    if (last) mainWindow.running = false;
    setVirtualFrame(done);
    lastFrameEnd = std::chrono::steady_clock::now();  // bookkeeping is not the show's time
}

void ShowBenchmark::end(const std::string& rendererName)
{
    if (frameProbe == this) frameProbe = nullptr;
    const std::int64_t count = statistics.frameCount();
    if (progress) progress->finish(count);
    // Stopped early (a signal ends the show cleanly): the segment it was in
    // has had no memory sample yet.
    if (count > 0 && !statistics.hasMemorySample(lastSeconds)) statistics.noteMemory(lastSeconds, residentMegabytes());
    const double wall = statistics.wallMilliseconds();
    std::printf("qelo benchmark: %lld frames at 60 a second of show time, off-screen; %.1f s, %.1f fps\n",
                static_cast<long long>(count), wall / 1000.0, wall > 0 ? count * 1000.0 / wall : 0.0);
    std::fputs(frameTable(statistics, rendererName).c_str(), stdout);
    std::printf("peak resident memory %.0f MB%s\n", peakResidentMegabytes(),
                activeRenderer == RendererKind::gl ? "; phases timed with glFinish between them" : "");
    std::fflush(stdout);
}

}  // namespace qelo
