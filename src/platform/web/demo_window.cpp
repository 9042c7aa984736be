// DemoWindow in a browser: the page's 1024 x 768 canvas. The page asks the
// full-screen question before the show starts and turns Esc or leaving full
// screen into a stop request, which pumpMessages reads.
#include "shell/demo_window.h"

#include <cstdio>

#include "platform/web/page.h"

namespace qelo {

struct NativeWindow {
    const std::uint8_t* picture = nullptr;  // the frame for the next present
};

void DemoWindow::create()
{
    width = 1024;
    height = 768;
    if (native == nullptr) native = new NativeWindow;  // lives as long as the page
    running = true;
}

void DemoWindow::pumpMessages()
{
    if (qelo_page_stop_requested() != 0) running = false;
    if (native != nullptr && native->picture != nullptr) qelo_page_present(native->picture, width, height);
}

void DemoWindow::makeCurrent() {}

void DemoWindow::presentPicture(const std::uint8_t* rgba)
{
    if (native != nullptr) native->picture = rgba;
}

void DemoWindow::fail(const char* text)
{
    std::fprintf(stderr, "you fail: %s\n", text);
    qelo_page_failed(text);
    running = false;
}

}  // namespace qelo
