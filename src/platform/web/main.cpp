// The entry point in a browser. The page drives the show one step at a time:
// main() has it fetch the show's files; it then calls qelo_web_start_up
// (start-up runs while the start screen shows), qelo_web_start when the
// viewer starts the show, qelo_web_frame once a frame until that returns 0,
// and qelo_web_end. Between the calls the browser runs: nothing blocks.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <set>
#include <string>

#include "capture/virtual_clock.h"
#include "platform/web/page.h"
#include "platform/web/page_clock.h"
#include "render/render_target_bank.h"
#include "shell/clock.h"
#include "shell/frame_loop.h"
#include "shell/globals.h"
#include "shell/random.h"
#include "shell/renderer_kind.h"
#include "timeline/startup.h"

namespace {

using namespace qelo;

struct WebShow {
    std::int32_t fps = 0;        // > 0: frame k at floor(k * 1000 / fps) ms
    double untilSeconds = 0;     // > 0: the first frame past this show time is the last
    std::uint32_t frameMs = 0;   // the counter as the latest frame began
};

WebShow show;

// The pictures start-up reads, each once, newline-separated.
std::string showFiles()
{
    std::set<std::string> paths(std::begin(portraitFiles), std::end(portraitFiles));
    paths.insert(std::begin(tileFiles), std::end(tileFiles));
    std::string list;
    for (const std::string& path : paths) list += path + "\n";
    return list;
}

void afterFrame()
{
    mainWindow.presentPicture(renderTargets.composeFrame());
    if (show.untilSeconds > 0 && showClock.elapsed() > show.untilSeconds) mainWindow.running = false;
    if (show.fps > 0) setVirtualFrame(virtualFrame() + 1);
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void qelo_web_start_up()
{
    const bool started = beginShow(TargetFailure::Stop);
    qelo_page_ready(started ? 1 : 0);
}

// fps > 0: frame-exact time, as a capture has it; otherwise the page's clock.
EMSCRIPTEN_KEEPALIVE void qelo_web_start(std::int32_t fps, double untilSeconds)
{
    show.fps = fps;
    show.untilSeconds = untilSeconds;
    if (fps > 0) {
        installVirtualClock(fps);
    } else {
        installMillisecondCounter(web::pageMilliseconds);
    }
    // Start-up ended just now as far as the show can tell: the start screen
    // may have waited any time since.
    frameClock.restart();
    showClock.restart();
}

// Draws and presents one frame; returns whether the show goes on.
EMSCRIPTEN_KEEPALIVE std::int32_t qelo_web_frame()
{
    if (!mainWindow.running) return 0;
    show.frameMs = readMilliseconds();
    showFrame(afterFrame);
    return mainWindow.running ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void qelo_web_end() { shutDown(); }

// For tests: the generator's raw state, the latest frame's counter and
// picture (1024 x 768 RGBA, top row first; null before the first frame).
EMSCRIPTEN_KEEPALIVE std::uint32_t qelo_web_rand_state() { return randState(); }
EMSCRIPTEN_KEEPALIVE std::uint32_t qelo_web_show_ms() { return show.frameMs; }
EMSCRIPTEN_KEEPALIVE const std::uint8_t* qelo_web_picture()
{
    return renderTargets.composedFrame.empty() ? nullptr : renderTargets.composedFrame.data();
}

}  // extern "C"

int main()
{
    activeRenderer = RendererKind::software;
    qelo_page_fetch(showFiles().c_str());
    return 0;
}
