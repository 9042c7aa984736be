#include "platform/sdl/context_switch.h"

#include <GL/gl.h>

#include "platform/sdl/offscreen_entry_points.h"

namespace qelo::sdl {

namespace {

enum class Holder { Nothing, Window, Target };

struct SwitchState {
    SDL_Window* window = nullptr;
    SDL_GLContext windowContext = nullptr;
    EGLDisplay display = EGL_NO_DISPLAY;
    Holder holder = Holder::Nothing;
    const TargetContext* target = nullptr;
};

SwitchState state;
// Left by the context released last, for the next one to wait for.
EGLSyncKHR pendingFence = EGL_NO_SYNC_KHR;

void releaseCurrent()
{
    // What this context drew must be done before the next one reads it: the
    // window samples the targets' pictures, a target draws over a picture the
    // window sampled. Releasing flushes the fence to the driver.
    if (state.holder != Holder::Nothing && pendingFence == EGL_NO_SYNC_KHR && offscreen.fencesWork())
        pendingFence = offscreen.createSync(state.display, EGL_SYNC_FENCE_KHR, nullptr);
    if (state.holder == Holder::Window) {
        SDL_GL_MakeCurrent(state.window, nullptr);
    } else if (state.holder == Holder::Target) {
        if (pendingFence == EGL_NO_SYNC_KHR) glFinish();  // the window samples this target's picture next
        eglMakeCurrent(state.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    state.holder = Holder::Nothing;
    state.target = nullptr;
}

// In the context just made current: its commands wait for the previous one's.
void waitForPreviousContext()
{
    if (pendingFence == EGL_NO_SYNC_KHR) return;
    offscreen.waitSync(state.display, pendingFence, 0);
    offscreen.destroySync(state.display, pendingFence);
    pendingFence = EGL_NO_SYNC_KHR;
}

}  // namespace

void registerWindowContext(SDL_Window* window, SDL_GLContext context, EGLDisplay display)
{
    state.window = window;
    state.windowContext = context;
    state.display = display;
    state.holder = Holder::Window;
    state.target = nullptr;
}

bool useWindowContext()
{
    if (state.holder == Holder::Window) return true;
    if (state.window == nullptr) return false;
    releaseCurrent();
    if (SDL_GL_MakeCurrent(state.window, state.windowContext) != 0) return false;
    state.holder = Holder::Window;
    waitForPreviousContext();
    return true;
}

bool useTargetContext(const TargetContext* target)
{
    if (target == nullptr) return false;
    if (state.holder == Holder::Target && state.target == target) return true;
    releaseCurrent();
    if (eglMakeCurrent(state.display, target->surface, target->surface, target->context) != EGL_TRUE) return false;
    state.holder = Holder::Target;
    state.target = target;
    waitForPreviousContext();
    return true;
}

const TargetContext* currentTargetContext()
{
    return state.holder == Holder::Target ? state.target : nullptr;
}

void forgetTargetContext(const TargetContext* target)
{
    if (state.holder == Holder::Target && state.target == target) useWindowContext();
}

}  // namespace qelo::sdl
