// The show's globals for the GL tests, in the show's construction order.
// Stands in for src/shell/globals.cpp until that file is part of the build;
// then this file goes.
#include "shell/globals.h"

namespace qelo {

RenderTargetBank renderTargets;
SceneList sceneList(&showClock, 1000);
Clock frameClock;
Clock showClock;
DemoWindow mainWindow;
ImageTexture* portraitTextures = nullptr;
ImageTexture* tileTextures = nullptr;

}  // namespace qelo
