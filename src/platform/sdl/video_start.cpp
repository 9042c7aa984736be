#include "platform/sdl/video_start.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace qelo::sdl {

namespace {

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

}  // namespace

bool startVideo(bool headless)
{
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
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    if (!headless && !systems.drivers.empty() && !isSet("SDL_VIDEODRIVER")) {
        const std::string reason = SDL_GetError();
        SDL_SetError("no window system answers at %s: %s", systems.displays.c_str(), reason.c_str());
    }
    return false;
}

void requestShowContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    // With a stencil beside the depth, the frame's clear of both is a plain
    // fill on llvmpipe instead of a read-modify-write of every pixel.
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}

}  // namespace qelo::sdl
