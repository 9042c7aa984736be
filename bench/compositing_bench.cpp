// Cost of the per-frame render-target work on the headless context (Mesa
// llvmpipe here): clearing the five targets, compositing five full-screen
// blended layers, and both with each target fully drawn. Each iteration ends
// with glFinish so the work is counted, not just queued.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/sdl/offscreen_entry_points.h"
#include "platform/sdl/window_options.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo {
namespace {

bool showContext()
{
    static const bool made = [] {
        sdl::windowOptions.headless = true;
        mainWindow.create();
        if (mainWindow.running) renderTargets.create(5);
        return mainWindow.running;
    }();
    return made;
}

// One translucent full-screen quad into every target, like a busy frame.
void drawEveryTarget()
{
    for (int k = 0; k < renderTargets.count; ++k) {
        renderTargets.target(k).makeCurrent();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0.75, 0, 0, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor4f(0.2f * k, 0.5f, 1.0f, 0.5f);
        glRectf(0, 0, 1, 0.75f);
    }
    mainWindow.makeCurrent();
}

void BM_ClearAll(benchmark::State& state)
{
    if (!showContext()) return state.SkipWithError("no headless window");
    for (auto _ : state) {
        renderTargets.clearAll();
        glFinish();
    }
}
BENCHMARK(BM_ClearAll)->Unit(benchmark::kMillisecond);

void BM_CompositeAll(benchmark::State& state)
{
    if (!showContext()) return state.SkipWithError("no headless window");
    renderTargets.clearAll();
    drawEveryTarget();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderTargets.compositeAll();
        glFinish();
    }
}
BENCHMARK(BM_CompositeAll)->Unit(benchmark::kMillisecond);

// Baseline: the same five blended quads from ordinary textures of the window.
void BM_CompositePlainTextures(benchmark::State& state)
{
    if (!showContext()) return state.SkipWithError("no headless window");
    mainWindow.makeCurrent();
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(1024) * 768 * 4, 128);
    ImageTexture layers[5];
    for (ImageTexture& layer : layers) layer.writePixels(picture.data(), 1024, 768);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1.0, 1.0, 1.0, -1.0, 0.0, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        for (ImageTexture& layer : layers) {
            layer.bind();
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2f(-1, -1);
            glTexCoord2f(1, 0);
            glVertex2f(1, -1);
            glTexCoord2f(1, 0.75f);
            glVertex2f(1, 1);
            glTexCoord2f(0, 0.75f);
            glVertex2f(-1, 1);
            glEnd();
        }
        glPopAttrib();
        glFinish();
    }
}
BENCHMARK(BM_CompositePlainTextures)->Unit(benchmark::kMillisecond);

// The bank's share of a frame: clear, draw one quad per target, composite.
// arg 1 = read-back fallback targets instead of shared images.
void BM_BankFrame(benchmark::State& state)
{
    if (!showContext()) return state.SkipWithError("no headless window");
    RenderTargetBank readBackBank;
    RenderTargetBank* bank = &renderTargets;
    if (state.range(0) == 1) {
        sdl::offscreen.preferReadBack = true;
        readBackBank.create(5);
        sdl::offscreen.preferReadBack = false;
        bank = &readBackBank;
    }
    std::swap(*bank, renderTargets);
    for (auto _ : state) {
        mainWindow.makeCurrent();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderTargets.clearAll();
        drawEveryTarget();
        renderTargets.compositeAll();
        glFinish();
    }
    std::swap(*bank, renderTargets);
}
BENCHMARK(BM_BankFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelo

BENCHMARK_MAIN();
