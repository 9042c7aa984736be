#include "shell/frame_loop.h"

#include "render/current_drawing.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/frame_probe.h"
#include "shell/globals.h"
#include "timeline/scene_list.h"
#include "timeline/startup.h"

namespace qelo {

void frameStep()
{
    markFrame(FrameMark::FrameStart);
    renderTargets.clearAll();
    markFrame(FrameMark::Cleared);
    // Every frame, whatever else set it: the dot grid's layer is always 30 %.
    renderTargets.target(1).opacity = 0.3f;
    sceneList.runAll();
    markFrame(FrameMark::Compositing);
    makeWindowCurrent();
    renderTargets.compositeAll();
    markFrame(FrameMark::Composited);
    frameClock.restart();
    if (showClock.elapsed() > showLength) mainWindow.running = false;
}

void shutDown()
{
    delete[] portraitTextures;
    portraitTextures = nullptr;
    delete[] tileTextures;
    tileTextures = nullptr;
}

bool beginShow(TargetFailure onFailure)
{
    mainWindow.create();
    // A failed creation has told the user why; start-up needs the window's
    // context and the off-screen targets, so nothing more can run.
    if (!mainWindow.running) return false;
    return startUp(onFailure);
}

void showFrame(const FrameHook& afterFrame)
{
    // On the first pass start-up has left target 4's context current, so
    // this clears target 4, which clearAll clears again anyway. The
    // stencil, which nothing uses, is cleared with the depth for speed.
    currentDrawing().clear(ClearMask::colourAndDepth);
    frameStep();
    if (afterFrame) afterFrame();
    mainWindow.pumpMessages();
}

bool runShow(const FrameHook& afterFrame, TargetFailure onFailure)
{
    // Without a window nothing was made: the loop does not run and shutDown
    // finds nothing to destroy.
    const bool started = beginShow(onFailure);
    showClock.restart();
    while (mainWindow.running) showFrame(afterFrame);
    shutDown();
    return started;
}

}  // namespace qelo
