// The music through Windows' own MCI (winmm): the MP3 opened as an MPEG
// video device and played once, never touched again.
#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <string>

#include "platform/win32/music.h"
#include "shell/music.h"

namespace qelo {

namespace {

bool musicOpen = false;

bool sendCommand(const std::string& command)
{
    const MCIERROR result = mciSendStringA(command.c_str(), nullptr, 0, nullptr);
    if (result == 0) return true;
    char reason[256] = "";
    mciGetErrorStringA(result, reason, sizeof reason);
    std::fprintf(stderr, "qelo: music: %s: %s\n", command.c_str(), reason);
    return false;
}

}  // namespace

bool startMusic(const char* path)
{
    const std::string file = path ? path : "";
    // The path goes inside a quoted MCI argument; a quote would end it early.
    if (file.empty() || file.find('"') != std::string::npos) {
        std::fprintf(stderr, "qelo: music: unusable file name \"%s\"\n", file.c_str());
        return false;
    }
    if (!sendCommand("open \"" + file + "\" type mpegvideo alias music")) return false;
    musicOpen = true;
    return sendCommand("play music");
}

namespace win32 {

void stopMusic()
{
    if (!musicOpen) return;
    mciSendStringA("close music", nullptr, 0, nullptr);
    musicOpen = false;
}

}  // namespace win32

}  // namespace qelo
