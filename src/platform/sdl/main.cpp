// The Linux entry point: the command line, the working directory the show
// reads its files from, then the show itself, live or captured.
#include <GL/gl.h>
#include <SDL.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "capture/capture_output.h"
#include "capture/frame_capture.h"
#include "capture/live_statistics.h"
#include "capture/show_benchmark.h"
#include "platform/sdl/window_options.h"
#include "render/render_target_bank.h"
#include "shell/command_line.h"
#include "shell/frame_loop.h"
#include "shell/globals.h"
#include "shell/renderer_choice.h"
#include "shell/renderer_kind.h"

namespace {

namespace fs = std::filesystem;
using namespace qelo;

constexpr const char* programVersion = QELO_VERSION;

bool hasPictures(const fs::path& directory)
{
    std::error_code error;
    return fs::is_directory(directory / "grafiikkaa", error);
}

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// The show reads relative paths. Unless --data says where, the current
// directory serves when it has the pictures; otherwise the data that came
// with the program: <exe dir>/../data in a build directory of the
// repository, <exe dir>/../share/qelo when installed. With none found the
// current directory stays, and start-up names each file it misses.
fs::path findDataDirectory()
{
    if (hasPictures(fs::current_path())) return fs::current_path();
    char* base = SDL_GetBasePath();
    if (!base) return fs::current_path();
    const fs::path executableDirectory(base);
    SDL_free(base);
    for (const fs::path& candidate : {executableDirectory / ".." / "data", executableDirectory / ".." / "share" / "qelo"}) {
        if (hasPictures(candidate)) return fs::weakly_canonical(candidate);
    }
    return fs::current_path();
}

// Creates the capture directory; returns its absolute path or empty after
// saying why not.
fs::path prepareCaptureDirectory(const std::string& given)
{
    std::error_code error;
    const fs::path directory = fs::absolute(given, error);
    if (!error) fs::create_directories(directory, error);
    if (error || !fs::is_directory(directory)) {
        std::fprintf(stderr, "qelo: cannot create the capture directory %s: %s\n", given.c_str(),
                     error ? error.message().c_str() : "not a directory");
        return {};
    }
    return directory;
}

// The video's absolute path, its directory checked; empty after saying why not.
fs::path prepareVideoPath(const std::string& given)
{
    std::error_code error;
    const fs::path path = fs::absolute(given, error);
    if (error || !fs::is_directory(path.parent_path(), error)) {
        std::fprintf(stderr, "qelo: cannot write the video %s: its directory does not exist\n", given.c_str());
        return {};
    }
    if (fs::is_directory(path, error)) {
        std::fprintf(stderr, "qelo: cannot write the video %s: it is a directory\n", given.c_str());
        return {};
    }
    return path;
}

// The music the video carries, found in the data directory (current now).
std::string videoMusicPath()
{
    std::error_code error;
    const fs::path music = fs::current_path(error) / "vamma4.mp3";
    if (!error && fs::is_regular_file(music, error)) return music.string();
    std::fprintf(stderr, "qelo: vamma4.mp3 is missing; the video will have no sound\n");
    return {};
}

int runCapture(const CommandLine& options, const fs::path& output)
{
    CaptureSettings settings;
    settings.fps = options.fps;
    settings.untilSeconds = options.untilSeconds;
    settings.layers = options.layers;
    if (options.captureVideo) {
        settings.videoPath = output.string();
        settings.musicPath = videoMusicPath();
        settings.quality = options.quality;
    } else {
        settings.directory = output.string();
    }
    FrameCapture session(settings);
    if (!session.begin()) {
        std::fprintf(stderr, "qelo: %s\n", session.error.c_str());
        return 1;
    }
    if (!runShow([&session] { session.afterFrame(); })) return 1;
    session.end();
    return session.error.empty() ? 0 : 1;
}

// What draws, as the frame-time tables name it: "software", or "gl (" and
// the driver's name ")". Read with the window's context current.
std::string rendererName()
{
    if (activeRenderer == RendererKind::software) return "software";
    const auto* driver = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return std::string("gl (") + (driver ? driver : "unknown driver") + ")";
}

int runBenchmark(const CommandLine& options)
{
    ShowBenchmark benchmark(options.untilSeconds);
    benchmark.begin();
    std::string renderer;
    if (!runShow([&] {
            if (renderer.empty()) renderer = rendererName();
            benchmark.afterFrame();
        }))
        return 1;
    benchmark.end(renderer);
    return 0;
}

// Live play. --until ends it as the show's own end does: the first frame
// past that show time is still shown. --stats prints the frame-time table
// of the frames shown once the window's loop is over.
int runLive(const CommandLine& options)
{
    LiveStatistics statistics;
    if (options.stats) statistics.begin();
    std::string renderer;
    const bool software = activeRenderer == RendererKind::software;
    const bool started = runShow([&] {
        if (renderer.empty()) renderer = rendererName();
        // The software renderer's layers are put together in memory and
        // shown as one picture.
        if (software) mainWindow.presentPicture(renderTargets.composeFrame());
        if (options.untilSeconds > 0 && showClock.elapsed() > options.untilSeconds) mainWindow.running = false;
    });
    if (options.stats) statistics.end(renderer);
    return started ? 0 : 1;
}

sdl::ScreenChoice screenChoice(ScreenMode mode)
{
    switch (mode) {
    case ScreenMode::Windowed: return sdl::ScreenChoice::Windowed;
    case ScreenMode::Fullscreen: return sdl::ScreenChoice::Fullscreen;
    case ScreenMode::Ask: break;
    }
    return sdl::ScreenChoice::Ask;
}

// Mesa allocates and frees vertex and scene buffers of a few hundred KB many
// times a frame. Above glibc's mapping threshold each one is a fresh mapping
// the kernel must fault in and zero; kept on the heap they are reused.
void keepLargeBlocksOnTheHeap()
{
    constexpr int limit = 256 << 20;  // bytes
    mallopt(M_MMAP_THRESHOLD, limit);
    mallopt(M_TRIM_THRESHOLD, limit);
}

}  // namespace

int main(int argc, char* argv[])
{
    keepLargeBlocksOnTheHeap();
    const ParsedCommandLine parsed = parseCommandLine(argc, argv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s\n", parsed.error.c_str());
        return 2;
    }
    const CommandLine& options = parsed.options;
    if (options.help) {
        std::fputs(usageText("qelo").c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("qelo %s\n", programVersion);
        return 0;
    }

    const bool capture = !options.capturePath.empty();
    const bool offscreen = capture || options.benchmark;
    // SDL_VIDEODRIVER lets a user pick another video driver (e.g. kmsdrm).
    if (!offscreen && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY") && !isSet("SDL_VIDEODRIVER")) {
        std::fprintf(stderr,
                     "qelo: no display to open the window on ($DISPLAY and $WAYLAND_DISPLAY are unset); "
                     "use --capture qelo.mp4 to render the show to a video instead\n");
        return 1;
    }

    std::error_code error;
    if (!options.dataDirectory.empty() && !fs::is_directory(options.dataDirectory, error)) {
        std::fprintf(stderr, "qelo: --data: %s is not a directory\n", options.dataDirectory.c_str());
        return 2;
    }
    fs::path captureOutput;  // resolved before the working directory changes
    if (capture) {
        captureOutput = options.captureVideo ? prepareVideoPath(options.capturePath)
                                             : prepareCaptureDirectory(options.capturePath);
        if (captureOutput.empty()) return 1;
        const OutputClaim claim = claimOutput(captureOutput, options.captureVideo, options.overwrite);
        if (!claim.error.empty()) {
            std::fprintf(stderr, "qelo: %s\n", claim.error.c_str());
            return claim.exitCode;
        }
    }
    fs::current_path(options.dataDirectory.empty() ? findDataDirectory() : fs::path(options.dataDirectory), error);
    if (error) {
        std::fprintf(stderr, "qelo: cannot enter the data directory: %s\n", error.message().c_str());
        return 1;
    }

    sdl::windowOptions.screen = screenChoice(options.screen);
    sdl::windowOptions.headless = offscreen;
    // Once, before the window: the render code reads it from here on.
    std::string glRendererName;  // GL's own name, when live automatic play asked it
    activeRenderer = chooseRenderer(options.renderer, offscreen, glRendererName);
    if (options.benchmark) return runBenchmark(options);
    if (capture) return runCapture(options, captureOutput);
    return runLive(options);
}
