// qelo_web_reference FPS SECONDS DATA_DIR OUT_DIR: the show as the native
// build draws it in software, frame-exact at FPS frames a second, for the
// browser build to match. At every whole second up to SECONDS it writes the
// frame to OUT_DIR/second-SSS.png and prints "SSS STATE": the generator's
// raw state after that frame.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "capture/png_writer.h"
#include "capture/virtual_clock.h"
#include "platform/sdl/window_options.h"
#include "render/render_target_bank.h"
#include "shell/frame_loop.h"
#include "shell/globals.h"
#include "shell/random.h"
#include "shell/renderer_kind.h"

int main(int argc, char** argv)
{
    using namespace qelo;
    if (argc != 5) {
        std::fputs("usage: qelo_web_reference FPS SECONDS DATA_DIR OUT_DIR\n", stderr);
        return 2;
    }
    const int fps = std::atoi(argv[1]);
    const int seconds = std::atoi(argv[2]);
    const std::filesystem::path out = std::filesystem::absolute(argv[4]);
    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (!error) std::filesystem::current_path(argv[3], error);
    if (fps < 1 || seconds < 0 || error) {
        std::fputs("qelo_web_reference: bad FPS, SECONDS, DATA_DIR or OUT_DIR\n", stderr);
        return 2;
    }
    sdl::windowOptions.headless = true;
    activeRenderer = RendererKind::software;
    installVirtualClock(fps);
    std::string failure;
    const bool started = runShow([&] {
        const std::int64_t frame = virtualFrame();
        if (frame % fps == 0) {
            char name[32];
            std::snprintf(name, sizeof name, "second-%03d.png", static_cast<int>(frame / fps));
            const PngPicture picture{renderTargets.composeFrame(), mainWindow.width, mainWindow.height};
            if (failure.empty()) failure = writePng((out / name).string(), picture);
            std::printf("%03d %u\n", static_cast<int>(frame / fps), randState());
        }
        if (frame >= static_cast<std::int64_t>(fps) * seconds || !failure.empty()) mainWindow.running = false;
        setVirtualFrame(frame + 1);
    });
    if (!failure.empty()) std::fprintf(stderr, "qelo_web_reference: %s\n", failure.c_str());
    return started && failure.empty() ? 0 : 1;
}
