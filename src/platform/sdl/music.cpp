// The music through SDL2_mixer: the MP3 is streamed from disk, played once
// from the start and never touched again. Whatever fails leaves the show
// silent, with one line on stderr; the show's timing never depends on it.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/sdl/window_options.h"
#include "shell/music.h"

namespace qelo {

namespace {

// Alive until the process ends; the mixer plays it on its own thread.
Mix_Music* music = nullptr;

constexpr int sampleRate = 44100;
constexpr int channels = 2;
constexpr int chunkSamples = 4096;

}  // namespace

bool startMusic(const char* path)
{
    // Off-screen capture runs at its own pace, not in real time: no sound.
    if (sdl::windowOptions.headless) return false;

    if (std::FILE* file = std::fopen(path, "rb")) {
        std::fclose(file);
    } else {
        std::fprintf(stderr, "qelo: cannot read %s: %s; the show plays silently\n", path, std::strerror(errno));
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
        Mix_OpenAudio(sampleRate, MIX_DEFAULT_FORMAT, channels, chunkSamples) != 0) {
        std::fprintf(stderr, "qelo: no sound device (%s); the show plays silently\n", SDL_GetError());
        return false;
    }
    Mix_Init(MIX_INIT_MP3);
    music = Mix_LoadMUS(path);
    if (!music) {
        std::fprintf(stderr, "qelo: cannot play %s (%s); the show plays silently\n", path, Mix_GetError());
        return false;
    }
    // 1: through the piece once, no repeat.
    if (Mix_PlayMusic(music, 1) != 0) {
        std::fprintf(stderr, "qelo: cannot play %s (%s); the show plays silently\n", path, Mix_GetError());
        return false;
    }
    return true;
}

}  // namespace qelo
