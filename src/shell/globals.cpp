// The show's global objects, all in this one translation unit so that their
// construction order is the order of definition below and their destruction
// runs in reverse at exit.
//
// How this matches the intended life cycle, and where C++ differs:
// - mainWindow, portraitTextures and tileTextures are constant-initialised
//   (zeros, null): they exist before any dynamic construction, like the
//   zero-filled originals, and have nothing to destroy.
// - renderTargets (empty), sceneList (reading showClock, 1000 slots),
//   frameClock, showClock: constructed in that order. sceneList only stores
//   showClock's address, so building it first is safe.
// - Destruction: C++ destroys every object with a non-trivial destructor in
//   reverse construction order, which gives sceneList first, then
//   renderTargets, as wanted. The clocks' destructors are trivial.
// - The clocks' construction samples the counter installed at that moment
//   (the system's: static construction runs before main can install another).
//   Both are restarted before their readings matter, so this is harmless.
// - The bank's targets are destroyed after main returns. Statics of other
//   translation units may be destroyed before or after them, so the backend's
//   destroy primitive must not rely on any; the entry point never shuts the
//   platform layer down itself, the process exit does.
#include "shell/globals.h"

#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "timeline/scene_list.h"

namespace qelo {

DemoWindow mainWindow;
RenderTargetBank renderTargets;
SceneList sceneList(&showClock, 1000);
Clock frameClock;
Clock showClock;
ImageTexture* portraitTextures = nullptr;
ImageTexture* tileTextures = nullptr;

}  // namespace qelo
