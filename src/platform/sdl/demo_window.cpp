// DemoWindow on SDL2: the question, the window (desktop full screen or a
// 1024 x 768 client area), its GL context on EGL, and the events that end the
// show. Headless runs use SDL's offscreen driver and never show a box.
#include "shell/demo_window.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/sdl/context_switch.h"
#include "platform/sdl/native_window.h"
#include "platform/sdl/offscreen_entry_points.h"
#include "platform/sdl/window_options.h"

namespace qelo {

namespace {

// 18 spaces, "fullscreen?", 5 spaces; the caption is 32 spaces and "' -".
constexpr const char* questionText = "                  fullscreen?     ";
constexpr const char* questionCaption = "                                ' -";
constexpr int answerYes = 1;
constexpr int answerNo = 0;

// Yes only when the box was shown and answered Yes; no box (no display, no
// fonts) counts as No.
bool askFullscreen()
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, answerYes, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, answerNo, "No"},
    };
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_INFORMATION;
    box.title = questionCaption;
    box.message = questionText;
    box.numbuttons = 2;
    box.buttons = buttons;
    int answer = answerNo;
    if (SDL_ShowMessageBox(&box, &answer) != 0) return false;
    return answer == answerYes;
}

bool chooseFullscreen(const sdl::WindowOptions& options)
{
    if (options.headless) return false;
    switch (options.screen) {
    case sdl::ScreenChoice::Windowed: return false;
    case sdl::ScreenChoice::Fullscreen: return true;
    case sdl::ScreenChoice::Ask: break;
    }
    return askFullscreen();
}

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// The SDL video drivers of the window systems the environment names
// (x11 for $DISPLAY, wayland for $WAYLAND_DISPLAY, in SDL's own order of
// preference), and those displays, e.g. "DISPLAY=:0".
struct WindowSystems {
    std::string drivers;
    std::string displays;
};

WindowSystems windowSystems()
{
    WindowSystems systems;
    for (const auto& [variable, driver] : {std::pair{"DISPLAY", "x11"}, std::pair{"WAYLAND_DISPLAY", "wayland"}}) {
        if (!isSet(variable)) continue;
        if (!systems.drivers.empty()) {
            systems.drivers += ",";
            systems.displays += " or ";
        }
        systems.drivers += driver;
        systems.displays += std::string(variable) + "=" + std::getenv(variable);
    }
    return systems;
}

// The size of the window's real drawable: the EGL surface's, which follows
// what the window system did (SDL reports a desktop-sized full screen before,
// or without, a window manager resizing the window), else SDL's figure.
void drawableSize(const NativeWindow& native, int& width, int& height)
{
    EGLint surfaceWidth = 0;
    EGLint surfaceHeight = 0;
    const EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    if (surface != EGL_NO_SURFACE && eglQuerySurface(native.display, surface, EGL_WIDTH, &surfaceWidth) == EGL_TRUE &&
        eglQuerySurface(native.display, surface, EGL_HEIGHT, &surfaceHeight) == EGL_TRUE && surfaceWidth > 0 &&
        surfaceHeight > 0) {
        width = surfaceWidth;
        height = surfaceHeight;
        return;
    }
    SDL_GL_GetDrawableSize(native.window, &width, &height);
}

// The show's 1024 x 768 placed in the real drawable (HiDPI or a full screen
// of another size), on the window's context, which must be current. Only a
// change of the drawable's size touches the viewport.
void fitShowToDrawable(DemoWindow& window, bool always)
{
    NativeWindow& native = *window.native;
    int width = 0;
    int height = 0;
    drawableSize(native, width, height);
    if (!always && width == native.drawableWidth && height == native.drawableHeight) return;
    native.drawableWidth = width;
    native.drawableHeight = height;
    native.viewport = fitViewport(width, height, window.width, window.height);
    glViewport(native.viewport.x, native.viewport.y, native.viewport.width, native.viewport.height);
}

}  // namespace

void DemoWindow::create()
{
    const bool headless = sdl::windowOptions.headless;
    const bool fullscreen = chooseFullscreen(sdl::windowOptions);
    SDL_ClearError();  // a box that could not be shown is no failure

    width = 1024;
    height = 768;
    if (native == nullptr) native = new NativeWindow;  // lives until the process ends
    native->headless = headless;
    native->fullscreen = fullscreen;

    // The window's context must be an EGL one: the targets' contexts share
    // its EGLDisplay.
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
    const WindowSystems systems = windowSystems();
    if (headless) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    } else if (!systems.drivers.empty()) {
        // Only the window systems named: SDL would otherwise fall back on a
        // driver without a screen and play the show unseen. An explicit
        // $SDL_VIDEODRIVER still overrides this hint.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, systems.drivers.c_str());
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (!headless && !systems.drivers.empty() && !isSet("SDL_VIDEODRIVER")) {
            const std::string reason = SDL_GetError();
            SDL_SetError("no window system answers at %s: %s", systems.displays.c_str(), reason.c_str());
        }
        fail("some window init failzz");
        return;
    }

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    // With a stencil beside the depth, the frame's clear of both is a plain
    // fill on llvmpipe instead of a read-modify-write of every pixel.
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);

    if (fullscreen) SDL_ShowCursor(SDL_DISABLE);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    native->window = SDL_CreateWindow("QELO", 0, 0, width, height, flags);
    if (native->window == nullptr) {
        fail("fail fail fail");
        return;
    }

    native->glContext = SDL_GL_CreateContext(native->window);
    if (native->glContext == nullptr || SDL_GL_MakeCurrent(native->window, native->glContext) != 0) {
        fail("mee pois");
        return;
    }
    native->display = eglGetCurrentDisplay();
    sdl::registerWindowContext(native->window, native->glContext, native->display);

    SDL_DisableScreenSaver();
    SDL_RaiseWindow(native->window);
    running = true;
    fitShowToDrawable(*this, true);

    if (!sdl::initOffscreenEntryPoints(native->display)) {
        SDL_ClearError();  // the reason is the driver's, not an SDL call's
        fail("no things supported by your crappy hw. emt r\xC3\xB6yh mee pois");
    }
}

void DemoWindow::pumpMessages()
{
    if (native == nullptr || native->window == nullptr) return;
    sdl::useWindowContext();
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_ESCAPE) running = false;
            break;
        case SDL_QUIT: running = false; break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) running = false;
            break;
        default: break;
        }
    }
    SDL_GL_SwapWindow(native->window);
    fitShowToDrawable(*this, false);  // the window system may have resized it
}

void DemoWindow::makeCurrent()
{
    sdl::useWindowContext();
}

void DemoWindow::fail(const char* text)
{
    const char* reason = SDL_GetError();
    if (reason != nullptr && reason[0] != '\0') {
        std::fprintf(stderr, "you fail: %s (%s)\n", text, reason);
    } else {
        std::fprintf(stderr, "you fail: %s\n", text);
    }
    if (native == nullptr || !native->headless) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "you fail", text, nullptr);
    running = false;
}

}  // namespace qelo
