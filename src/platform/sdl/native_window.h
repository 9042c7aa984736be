#pragma once
// The SDL backend's handles behind DemoWindow::native.
#include <EGL/egl.h>
#include <SDL2/SDL.h>

#include "shell/demo_window.h"
#include "shell/letterbox.h"

namespace qelo {

struct NativeWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext glContext = nullptr;
    EGLDisplay display = EGL_NO_DISPLAY;  // the window context's; every target context lives on it
    bool fullscreen = false;
    bool headless = false;
    int drawableWidth = 0;  // the window's real drawable, pixels
    int drawableHeight = 0;
    ViewportRect viewport;  // where the 1024 x 768 show lands in the drawable
};

}  // namespace qelo
