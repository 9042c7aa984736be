#pragma once
// The show's one window and, with the GL renderer, its GL context. The
// record is portable; its operations are the platform backend's
// (src/platform/<backend>/).
#include <cstdint>

namespace qelo {

struct NativeWindow;  // the backend's own handles

struct DemoWindow {
    std::int32_t width = 0;   // 1024 once created
    std::int32_t height = 0;  // 768 once created
    bool running = false;     // the frame loop runs while true
    NativeWindow* native = nullptr;

    // Asks the full-screen question, opens the window and its context and
    // checks the off-screen capability. Success shows as running == true.
    // With the software renderer the window has no GL context, and off
    // screen (capture, benchmark) nothing is opened at all.
    void create();
    // Handles waiting window events (Esc, close), then presents the frame.
    void pumpMessages();
    // Makes the window's GL context current; nothing with the software renderer.
    void makeCurrent();
    // The software renderer's frame for the next pumpMessages to present:
    // width x height RGBA, top row first. Copied; off screen it is ignored.
    void presentPicture(const std::uint8_t* rgba);
    // Reports a set-up failure to the user ("you fail") and lowers running.
    void fail(const char* text);
};

}  // namespace qelo
