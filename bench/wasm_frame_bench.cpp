// The browser build's drawing in Node's WebAssembly engine (V8, as Chromium
// runs it), without a page: the show frame-exact, and at each sample time
// the same frame drawn and composed `repeats` times; prints the fastest and
// the median time of that frame, and the sum of the fastest. The fastest of
// many draws of one frame is steady on a machine shared with others, which
// the frame rates of the page benchmark (web_bench.mjs) are not: compare
// two builds with this, alternating runs, and confirm in the browser.
//   cmake --build build-web --target qelo_wasm_frame_bench
//   (cd data && node ../build-web/bench/qelo_wasm_frame_bench.js [REPEATS [SECONDS...]])
// Between samples the show goes on at 10 frames a second, untimed. With
// REPEATS given as aN (say a20) the N timed frames go on at 60 a second from
// each sample time, as in play, instead of one frame drawn N times: their
// median is what a stretch of the show costs, where the fastest of one frame
// is what compares two builds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "capture/virtual_clock.h"
#include "render/render_target_bank.h"
#include "shell/clock.h"
#include "shell/frame_loop.h"
#include "shell/globals.h"
#include "shell/renderer_kind.h"

int main(int argc, char** argv)
{
    using namespace qelo;
    const bool advancing = argc > 1 && argv[1][0] == 'a';
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1] + (advancing ? 1 : 0))) : 20;
    std::vector<double> samples;
    for (int i = 2; i < argc; ++i) samples.push_back(std::atof(argv[i]));
    if (samples.empty()) samples = {10, 20, 35, 60, 80, 110};  // a time in each busy segment
    activeRenderer = RendererKind::software;
    if (!beginShow(TargetFailure::Stop)) {
        std::fputs("qelo_wasm_frame_bench: start-up failed (run it in data/)\n", stderr);
        return 1;
    }
    installVirtualClock(60);
    frameClock.restart();
    showClock.restart();
    const auto frame = [] { showFrame([] { renderTargets.composeFrame(); }); };
    double fastestSum = 0;
    for (const double seconds : samples) {
        while (mainWindow.running && virtualFrame() < static_cast<std::int64_t>(seconds * 60)) {
            frame();
            setVirtualFrame(virtualFrame() + 6);
        }
        std::vector<double> ms;
        for (int r = 0; r < repeats && mainWindow.running; ++r) {
            const auto start = std::chrono::steady_clock::now();
            frame();
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            if (advancing) setVirtualFrame(virtualFrame() + 1);
        }
        if (ms.empty()) break;
        std::sort(ms.begin(), ms.end());
        std::printf("%6.1f s: fastest %6.2f ms, median %6.2f ms\n", seconds, ms.front(), ms[ms.size() / 2]);
        fastestSum += ms.front();
    }
    std::printf("sum of the fastest: %.2f ms\n", fastestSum);
    return 0;
}
