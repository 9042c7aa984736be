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
    qelo::runShow();
    qelo::win32::stopMusic();
    qelo::win32::restoreDisplayMode();
    return 0;
}
