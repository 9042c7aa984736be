#pragma once
// How the Linux entry point wants the window made; set before DemoWindow::create.
namespace qelo::sdl {

enum class ScreenChoice { Ask, Windowed, Fullscreen };

struct WindowOptions {
    ScreenChoice screen = ScreenChoice::Ask;
    // No window on screen: SDL's offscreen driver (an EGL pbuffer), no question.
    bool headless = false;
};

extern WindowOptions windowOptions;

}  // namespace qelo::sdl
