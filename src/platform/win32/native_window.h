#pragma once
// The Win32 handles behind DemoWindow.
#include <windows.h>

namespace qelo {

struct NativeWindow {
    HDC deviceContext = nullptr;  // the window's, from GetDC
    HGLRC glContext = nullptr;    // the window's GL context
    HINSTANCE instance = nullptr; // the executable's module
    HWND window = nullptr;
    bool displayModeChanged = false;  // full screen set the display mode; restore it at exit
};

namespace win32 {

// The window's device context, or null before the window exists.
HDC windowDeviceContext();

// Puts back the desktop's display mode if full screen changed it.
void restoreDisplayMode();

}  // namespace win32
}  // namespace qelo
