// DemoWindow on SDL2: the question, the window (desktop full screen or a
// 1024 x 768 client area), its GL context on EGL, and the events that end the
// show. Headless runs use SDL's offscreen driver and never show a box. With
// the software renderer the window has no GL context: an SDL renderer shows
// the frame made in memory, and off screen nothing is opened at all.
#include "shell/demo_window.h"

#include <GL/gl.h>

#include <cstdio>

#include "platform/sdl/context_switch.h"
#include "platform/sdl/native_window.h"
#include "platform/sdl/offscreen_entry_points.h"
#include "platform/sdl/video_start.h"
#include "platform/sdl/window_options.h"
#include "shell/renderer_kind.h"

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

// The presenter of the software renderer's frames: an SDL renderer on the
// window with a streaming texture of the show's size, letterboxed into the
// window. SDL's own software one needs no GL at all, and where GL is itself a
// CPU rasteriser it is the cheaper: 10-15 ms a frame against 55-140 ms through
// SDL's GL renderer (llvmpipe under Xvfb, a busy 2-core machine).
// $SDL_RENDER_DRIVER may pick another; any renderer SDL has serves when the
// software one cannot be made.
bool openPresenter(NativeWindow& native, int width, int height)
{
    // Synchronised with the display where SDL can, as the GL window's swaps
    // are by the driver's default.
    // The window's surface is the window system's own memory (XShm on X11):
    // otherwise SDL may remake the window with GL to back it by a texture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    constexpr Uint32 choices[] = {SDL_RENDERER_SOFTWARE | SDL_RENDERER_PRESENTVSYNC, SDL_RENDERER_SOFTWARE, 0};
    for (const Uint32 flags : choices) {
        native.renderer = SDL_CreateRenderer(native.window, -1, flags);
        if (native.renderer != nullptr) break;
    }
    if (native.renderer == nullptr) return false;
    native.picture = SDL_CreateTexture(native.renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (native.picture == nullptr) return false;
    SDL_SetTextureBlendMode(native.picture, SDL_BLENDMODE_NONE);  // the frame's alpha is not for the screen
    SDL_SetTextureScaleMode(native.picture, SDL_ScaleModeLinear);
    SDL_SetRenderDrawColor(native.renderer, 0, 0, 0, 255);       // the bars
    return SDL_RenderSetLogicalSize(native.renderer, width, height) == 0;
}

}  // namespace

void DemoWindow::create()
{
    const bool software = activeRenderer == RendererKind::software;
    const bool headless = sdl::windowOptions.headless;
    width = 1024;
    height = 768;
    if (native == nullptr) native = new NativeWindow;  // lives until the process ends
    native->headless = headless;
    if (software && headless) {
        // The frame is made and read in memory: no window system, no GL.
        // Only SDL's events, whose SIGINT and SIGTERM handlers turn a stop
        // into a quit event, so that a capture ends properly.
        if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
            fail("some window init failzz");
            return;
        }
        running = true;
        return;
    }

    const bool fullscreen = chooseFullscreen(sdl::windowOptions);
    SDL_ClearError();  // a box that could not be shown is no failure
    native->fullscreen = fullscreen;

    if (!sdl::startVideo(headless)) {
        fail("some window init failzz");
        return;
    }
    if (!software) sdl::requestShowContext();

    if (fullscreen) SDL_ShowCursor(SDL_DISABLE);
    Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (!software) flags |= SDL_WINDOW_OPENGL;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    native->window = SDL_CreateWindow("QELO", 0, 0, width, height, flags);
    if (native->window == nullptr) {
        fail("fail fail fail");
        return;
    }

    if (software) {
        if (!openPresenter(*native, width, height)) {
            fail("mee pois");
            return;
        }
        SDL_DisableScreenSaver();
        SDL_RaiseWindow(native->window);
        running = true;
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
    if (native == nullptr) return;
    if (native->window == nullptr) {
        // Off screen: only a stop asked by a signal comes as an event.
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0)
            if (event.type == SDL_QUIT) running = false;
        return;
    }
    if (native->renderer == nullptr) sdl::useWindowContext();
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
    if (native->renderer != nullptr) {
        // The logical size letterboxes the picture into whatever size the
        // window system gave the window.
        SDL_RenderClear(native->renderer);
        if (native->pictureReady) SDL_RenderCopy(native->renderer, native->picture, nullptr, nullptr);
        SDL_RenderPresent(native->renderer);
        return;
    }
    SDL_GL_SwapWindow(native->window);
    fitShowToDrawable(*this, false);  // the window system may have resized it
}

void DemoWindow::makeCurrent()
{
    if (activeRenderer == RendererKind::software) return;
    sdl::useWindowContext();
}

void DemoWindow::presentPicture(const std::uint8_t* rgba)
{
    if (native == nullptr || native->picture == nullptr || rgba == nullptr) return;
    native->pictureReady = SDL_UpdateTexture(native->picture, nullptr, rgba, width * 4) == 0;
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
