// DemoWindow on Win32: the full-screen question, the window, its pixel format
// and GL context, and the message handling. Failure texts are ANSI code page
// strings (0xF6 is the letter o with diaeresis).
#include <windows.h>

#include <GL/gl.h>

#include "platform/win32/native_window.h"
#include "platform/win32/offscreen_entry_points.h"
#include "shell/demo_window.h"

namespace qelo {

namespace {

constexpr char questionText[] = "                  fullscreen?     ";
constexpr char questionCaption[] = "                                ' -";
static_assert(sizeof questionText - 1 == 18 + 11 + 5);
static_assert(sizeof questionCaption - 1 == 32 + 3);

constexpr char failCaption[] = "you fail";
constexpr char registerFailed[] = "some window init failzz";
constexpr char displayModeFailed[] = "can't change display settingsdgorij\xF6" "oiejh\xF6" "oj\xF6" "ose";
constexpr char createWindowFailed[] = "fail fail fail";
constexpr char contextFailed[] = "mee pois";
constexpr char noPbuffers[] = "no things supported by your crappy hw. emt r\xF6" "yh mee pois";

constexpr char className[] = "QELO";
constexpr char windowTitle[] = "QELO";

struct WindowStyle {
    DWORD extended;
    DWORD style;
};
constexpr WindowStyle windowedStyle = {WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, WS_OVERLAPPEDWINDOW};
constexpr WindowStyle fullScreenStyle = {WS_EX_APPWINDOW, WS_POPUP};

// The handles live here for the whole process; mainWindow.native points at them.
NativeWindow nativeWindow;

LRESULT handleMessage(DemoWindow& record, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        // Compared whole: screen saver and monitor power-down are suppressed.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            record.running = false;
            return 0;
        }
        break;
    case WM_CLOSE:
        record.running = false;  // the window stays until the process ends
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // GWLP_USERDATA/SetWindowLongPtr: a 64-bit pointer does not fit GWL_USERDATA's LONG.
    auto* record = reinterpret_cast<DemoWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!record) return DefWindowProcA(window, message, wParam, lParam);
    return handleMessage(*record, window, message, wParam, lParam);
}

bool registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 4;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    windowClass.hIconSm = nullptr;
    return RegisterClassExA(&windowClass) != 0;
}

bool setFullScreenDisplayMode(std::int32_t width, std::int32_t height)
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmBitsPerPel = 32;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

PIXELFORMATDESCRIPTOR pixelFormatRequest()
{
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

}  // namespace

void DemoWindow::create()
{
    native = &nativeWindow;
    NativeWindow& handles = nativeWindow;

    const bool fullScreen = MessageBoxA(nullptr, questionText, questionCaption, MB_YESNO) == IDYES;

    width = 1024;
    height = 768;
    handles.instance = GetModuleHandleA(nullptr);

    if (!registerWindowClass(handles.instance)) {
        fail(registerFailed);
        return;
    }

    WindowStyle style = windowedStyle;
    if (fullScreen) {
        if (setFullScreenDisplayMode(width, height)) {
            handles.displayModeChanged = true;
            style = fullScreenStyle;
        } else {
            // Carry on in a window; running comes back up if the rest succeeds.
            fail(displayModeFailed);
        }
        ShowCursor(FALSE);
    }

    // The outer size: a popup is exactly the screen mode; a framed window
    // grows so that its client area is the full width x height picture.
    RECT outer = {0, 0, width, height};
    if (style.style != fullScreenStyle.style) AdjustWindowRectEx(&outer, style.style, FALSE, style.extended);

    handles.window = CreateWindowExA(style.extended, className, windowTitle, style.style, 0, 0, outer.right - outer.left,
                                     outer.bottom - outer.top, nullptr, nullptr, handles.instance, nullptr);
    if (!handles.window) {
        fail(createWindowFailed);
        return;
    }

    handles.deviceContext = GetDC(handles.window);
    if (!handles.deviceContext) {
        fail(contextFailed);
        return;
    }

    // A zero index from ChoosePixelFormat makes SetPixelFormat fail.
    const PIXELFORMATDESCRIPTOR request = pixelFormatRequest();
    const int format = ChoosePixelFormat(handles.deviceContext, &request);
    if (!SetPixelFormat(handles.deviceContext, format, &request)) {
        fail(contextFailed);
        return;
    }

    handles.glContext = wglCreateContext(handles.deviceContext);
    if (!handles.glContext) {
        fail(contextFailed);
        return;
    }
    if (!wglMakeCurrent(handles.deviceContext, handles.glContext)) {
        fail(contextFailed);
        return;
    }

    ShowWindow(handles.window, SW_SHOW);
    SetForegroundWindow(handles.window);
    SetFocus(handles.window);

    running = true;

    // From here on the window procedure hands messages to this record.
    SetWindowLongPtrA(handles.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    glViewport(0, 0, width, height);

    if (!win32::initPbufferExtension()) fail(noPbuffers);
}

void DemoWindow::pumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (native) SwapBuffers(native->deviceContext);
}

void DemoWindow::makeCurrent()
{
    if (native) wglMakeCurrent(native->deviceContext, native->glContext);
}

// Windows draws with GL only: there is never a frame in memory to show.
void DemoWindow::presentPicture(const std::uint8_t*) {}

void DemoWindow::fail(const char* text)
{
    MessageBoxA(nullptr, text, failCaption, MB_OK);
    running = false;
}

namespace win32 {

HDC windowDeviceContext() { return nativeWindow.deviceContext; }

void restoreDisplayMode()
{
    if (!nativeWindow.displayModeChanged) return;
    ChangeDisplaySettingsA(nullptr, 0);
    nativeWindow.displayModeChanged = false;
}

}  // namespace win32
}  // namespace qelo
