// The Windows entry point: the show itself is the portable runShow().
#include <windows.h>

#include "platform/win32/music.h"
#include "platform/win32/native_window.h"
#include "platform/win32/system_time.h"
#include "shell/clock.h"
#include "shell/frame_loop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    qelo::installMillisecondCounter(qelo::win32::systemMilliseconds);
    // A render target the driver refuses is told in one box; start-up still
    // runs to its end, no frame is drawn, and the process ends with 0.
    qelo::runShow({}, qelo::TargetFailure::CarryOn);
    qelo::win32::stopMusic();
    qelo::win32::restoreDisplayMode();
    return 0;
}
