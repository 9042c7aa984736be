#pragma once
// Every switch between the window's SDL context and the targets' own EGL
// contexts goes through here. SDL caches which context it believes current
// and skips a make-current it thinks redundant, and EGL refuses to bind a
// context while another API holds the thread (EGL_BAD_ACCESS): so the old
// context is always released first, through the API that made it current.
// Each context waits for what the one before it drew (a fence, or finishing a
// target's drawing where fences are missing), so the window context may
// sample a target's picture at once.
#include <EGL/egl.h>
#include <SDL2/SDL.h>

namespace qelo::sdl {

struct TargetContext {
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;  // none when surfaceless
};

// Registers the window context once it exists; it is then taken as current.
void registerWindowContext(SDL_Window* window, SDL_GLContext context, EGLDisplay display);

// Each returns whether the context is current now; redundant switches are skipped.
bool useWindowContext();
bool useTargetContext(const TargetContext* target);

// The target context current now, or null when it is the window's (or none).
const TargetContext* currentTargetContext();

// Call before destroying a target's context: switches to the window if it is current.
void forgetTargetContext(const TargetContext* target);

}  // namespace qelo::sdl
