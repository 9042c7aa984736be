#pragma once
// The SDL backend's handles behind DemoWindow::native.
#include <EGL/egl.h>
#include <SDL2/SDL.h>

#include "shell/demo_window.h"
#include "shell/letterbox.h"

namespace qelo {

struct NativeWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext glContext = nullptr;  // none with the software renderer
    SDL_Renderer* renderer = nullptr;    // the software renderer's presenter; none with GL
    SDL_Texture* picture = nullptr;      // the show's 1024 x 768 frame, RGBA, on the renderer
    bool pictureReady = false;           // a frame has been given to the texture
    EGLDisplay display = EGL_NO_DISPLAY;  // the window context's; every target context lives on it
    bool fullscreen = false;
    bool headless = false;
    int drawableWidth = 0;  // the window's real drawable, pixels
    int drawableHeight = 0;
    ViewportRect viewport;  // where the 1024 x 768 show lands in the drawable
};

}  // namespace qelo
