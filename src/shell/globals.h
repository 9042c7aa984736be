#pragma once
// The show's global objects. Constructed in this order: renderTargets,
// sceneList, frameClock, showClock; destroyed in reverse order at exit.
// The bank, the list and the textures are only named here: a user includes
// their own headers (render/, timeline/), so that render code may use the
// globals without a cycle of headers.
#include "shell/clock.h"
#include "shell/demo_window.h"

namespace qelo {

class ImageTexture;
struct RenderTargetBank;
struct SceneList;

extern DemoWindow mainWindow;
extern RenderTargetBank renderTargets;
extern SceneList sceneList;      // reads showClock
extern Clock frameClock;         // restarted at the end of every frame step
extern Clock showClock;          // show time
extern ImageTexture* portraitTextures;  // 6, made by start-up; live in target 3's context
extern ImageTexture* tileTextures;      // 3, made by start-up; live in target 4's context

}  // namespace qelo
