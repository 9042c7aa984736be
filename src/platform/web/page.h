#pragma once
// What the browser page does for the program: the functions of the page's
// JavaScript library (web/qelo_library.js) that the web backend calls.
#include <cstdint>

extern "C" {

// Shows a width x height RGBA frame, top row first, on the page's canvas.
void qelo_page_present(const std::uint8_t* rgba, std::int32_t width, std::int32_t height);
// Whether the viewer asked the show to end (Esc, full screen left) since the
// last call.
std::int32_t qelo_page_stop_requested();
// The page's clock in milliseconds: the music's position while it plays,
// otherwise the page's own monotonic time. Never goes back.
double qelo_page_milliseconds();
// Gives the page the music file to play when the viewer starts the show.
void qelo_page_music(const char* path);
// Has the page fetch these files (newline-separated paths, relative to the
// page) into the in-memory file system, then call qelo_web_start_up.
void qelo_page_fetch(const char* paths);
// Start-up is over: whether the show can run.
void qelo_page_ready(std::int32_t started);
// The show cannot run; `text` says why.
void qelo_page_failed(const char* text);

}
