#pragma once
// The show's one window and its GL context. The record is portable; its
// operations are the platform backend's (src/platform/<backend>/).
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
    void create();
    // Handles waiting window events (Esc, close), then presents the frame.
    void pumpMessages();
    // Makes the window's GL context current.
    void makeCurrent();
    // Reports a set-up failure to the user ("you fail") and lowers running.
    void fail(const char* text);
};

}  // namespace qelo
