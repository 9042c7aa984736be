#pragma once
// Starting SDL's video for the show, and the GL context the show's window
// asks for: shared by the window and by the probe that asks which GL this
// machine has, so that both see the same driver.
namespace qelo::sdl {

// Initialises SDL's video subsystem: the "offscreen" driver when headless,
// otherwise only the window systems the environment names (x11 for $DISPLAY,
// wayland for $WAYLAND_DISPLAY); an explicit $SDL_VIDEODRIVER wins. Window
// GL contexts are EGL ones. False on failure, SDL's error then saying why
// (with the displays that did not answer when those were the only choice).
bool startVideo(bool headless);

// The attributes of the window's GL context; set before making the window.
void requestShowContext();

}  // namespace qelo::sdl
