#include "shell/command_line.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "shell/file_suffix.h"

namespace qelo {

bool isVideoName(std::string_view name)
{
    for (const std::string_view suffix : {".mp4", ".mkv", ".webm", ".avi", ".mov"})
        if (hasSuffixIgnoringCase(name, suffix)) return true;
    return false;
}

namespace {

constexpr std::int32_t maxFps = 1000;

bool parseFps(std::string_view text, std::int32_t& fps)
{
    const char* end = text.data() + text.size();
    auto [stop, failure] = std::from_chars(text.data(), end, fps);
    return failure == std::errc{} && stop == end && fps >= 1 && fps <= maxFps;
}

bool parseSeconds(std::string_view text, double& seconds)
{
    const char* end = text.data() + text.size();
    auto [stop, failure] = std::from_chars(text.data(), end, seconds);
    return failure == std::errc{} && stop == end && std::isfinite(seconds) && seconds > 0.0;
}

bool parseRenderer(std::string_view text, RendererRequest& renderer)
{
    if (text == "auto") renderer = RendererRequest::automatic;
    else if (text == "gl") renderer = RendererRequest::gl;
    else if (text == "software") renderer = RendererRequest::software;
    else return false;
    return true;
}

bool parseQuality(std::string_view text, VideoQuality& quality)
{
    if (text == "draft") quality = VideoQuality::draft;
    else if (text == "share") quality = VideoQuality::share;
    else if (text == "master") quality = VideoQuality::master;
    else return false;
    return true;
}

// The video containers the capture writes (H.264 with AAC fits both).
bool isWrittenVideoName(std::string_view name)
{
    return hasSuffixIgnoringCase(name, ".mp4") || hasSuffixIgnoringCase(name, ".mkv");
}

struct Parser {
    int argc = 0;
    const char* const* argv = nullptr;
    int next = 1;
    ParsedCommandLine result;
    bool gaveFps = false;
    bool gaveQuality = false;

    bool fail(std::string message)
    {
        result.error = "qelo: " + std::move(message);
        return false;
    }

    // The option's value: after '=' in the same argument, else the next one.
    bool value(std::string_view name, const std::string_view* inlineValue, std::string_view what,
               std::string_view& out)
    {
        if (inlineValue) {
            out = *inlineValue;
        } else if (next < argc) {
            out = argv[next++];
        } else {
            return fail(std::string(name) + " needs " + std::string(what));
        }
        if (out.empty()) return fail(std::string(name) + " needs " + std::string(what) + ", not an empty text");
        return true;
    }

    bool option(std::string_view argument)
    {
        std::string_view name = argument;
        std::string_view inlineText;
        const std::string_view* inlineValue = nullptr;
        if (const auto equals = argument.find('='); argument.starts_with("--") && equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            inlineText = argument.substr(equals + 1);
            inlineValue = &inlineText;
        }
        CommandLine& options = result.options;
        const bool takesValue = name == "--data" || name == "--capture" || name == "--fps" || name == "--until" ||
                                name == "--renderer" || name == "--quality";
        if (inlineValue && !takesValue) return fail(std::string(name) + " takes no value");

        std::string_view text;
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else if (name == "--windowed" || name == "--fullscreen") {
            const ScreenMode mode = name == "--windowed" ? ScreenMode::Windowed : ScreenMode::Fullscreen;
            if (options.screen != ScreenMode::Ask && options.screen != mode)
                return fail("--windowed and --fullscreen exclude each other");
            options.screen = mode;
        } else if (name == "--layers") {
            options.layers = true;
        } else if (name == "--benchmark") {
            options.benchmark = true;
        } else if (name == "--overwrite") {
            options.overwrite = true;
        } else if (name == "--stats") {
            options.stats = true;
        } else if (name == "--renderer") {
            if (!value(name, inlineValue, "gl, software or auto", text)) return false;
            if (!parseRenderer(text, options.renderer))
                return fail("--renderer needs gl, software or auto, not '" + std::string(text) + "'");
        } else if (name == "--quality") {
            if (!value(name, inlineValue, "draft, share or master", text)) return false;
            if (!parseQuality(text, options.quality))
                return fail("--quality needs draft, share or master, not '" + std::string(text) + "'");
            gaveQuality = true;
        } else if (name == "--data") {
            if (!value(name, inlineValue, "a directory", text)) return false;
            options.dataDirectory = text;
        } else if (name == "--capture") {
            if (!value(name, inlineValue, "a directory or a video file name", text)) return false;
            options.capturePath = text;
            options.captureVideo = isVideoName(text);
        } else if (name == "--fps") {
            if (!value(name, inlineValue, "a number of frames a second", text)) return false;
            if (!parseFps(text, options.fps))
                return fail("--fps needs a whole number from 1 to 1000, not '" + std::string(text) + "'");
            gaveFps = true;
        } else if (name == "--until") {
            if (!value(name, inlineValue, "a number of seconds", text)) return false;
            if (!parseSeconds(text, options.untilSeconds))
                return fail("--until needs a number of seconds above 0, not '" + std::string(text) + "'");
        } else if (argument.starts_with("-")) {
            return fail("unknown option '" + std::string(argument) + "' (see --help)");
        } else {
            return fail("unexpected argument '" + std::string(argument) + "' (see --help)");
        }
        return true;
    }

    // Combinations that cannot mean anything.
    bool check()
    {
        const CommandLine& options = result.options;
        const bool capture = !options.capturePath.empty();
        if (options.benchmark) {
            if (capture) return fail("--benchmark writes nothing; it excludes --capture");
            if (gaveFps) return fail("--benchmark always runs at 60 frames a second; --fps does not apply");
            if (gaveQuality) return fail("--benchmark writes nothing; --quality does not apply");
            if (options.layers) return fail("--layers applies only to --capture");
            if (options.overwrite) return fail("--benchmark writes nothing; --overwrite does not apply");
            if (options.screen != ScreenMode::Ask)
                return fail("--benchmark renders off-screen; --windowed and --fullscreen do not apply");
            if (options.stats) return fail("--benchmark prints its own table; --stats applies only to live play");
            return true;
        }
        if (!capture && gaveFps) return fail("--fps applies only to --capture");
        if (capture && options.stats) return fail("--stats applies only to live play, not to --capture");
        if (!capture && options.layers) return fail("--layers applies only to --capture");
        if (!capture && options.overwrite) return fail("--overwrite applies only to --capture");
        if (!capture && gaveQuality) return fail("--quality applies only to --capture with a video");
        if (capture && !options.captureVideo && gaveQuality)
            return fail("--quality applies to videos; PNG frames are always exact");
        if (options.captureVideo && !isWrittenVideoName(options.capturePath))
            return fail("--capture writes videos as .mp4 or .mkv, not '" + options.capturePath + "'");
        if (options.captureVideo && options.layers)
            return fail("--layers writes PNG pictures; it needs --capture with a directory, not a video");
        if (capture && options.screen != ScreenMode::Ask)
            return fail("--capture renders off-screen; --windowed and --fullscreen do not apply");
        return true;
    }

    void run()
    {
        while (next < argc) {
            if (!option(argv[next++])) return;
        }
        check();
    }
};

}  // namespace

ParsedCommandLine parseCommandLine(int argc, const char* const argv[])
{
    Parser parser;
    parser.argc = argc;
    parser.argv = argv;
    parser.run();
    return parser.result;
}

std::string usageText(const char* program)
{
    return std::string("Usage: ") + program + " [options]\n" +
           "Plays the show: asks whether to run full screen, then 120 seconds of scenes\n"
           "and music. Esc or closing the window ends it early.\n"
           "\n"
           "  --windowed        play in a 1024 x 768 window, without asking\n"
           "  --fullscreen      play full screen, without asking\n"
           "  --data DIR        where grafiikkaa/ and vamma4.mp3 lie (default: the current\n"
           "                    directory if it has grafiikkaa/, else the data directory\n"
           "                    that came with the program)\n"
           "  --capture FILE    render off-screen, no window or sound needed, and write\n"
           "                    a video (FILE.mp4 or FILE.mkv: H.264 with the music,\n"
           "                    made by the ffmpeg command)\n"
           "  --capture DIR     the same, but every frame as DIR/frame-NNNNNN.png; frame k\n"
           "                    shows show time k / FPS exactly\n"
           "  --quality Q       how a captured video is encoded: draft (fastest, largest),\n"
           "                    share (default: small, for uploading and any player) or\n"
           "                    master (visually lossless, large)\n"
           "  --fps N           frames a second of the capture (default 60)\n"
           "  --until SECONDS   end the show at this show time: live play, the capture\n"
           "                    or the benchmark\n"
           "  --layers          also write each render target's picture, with its alpha,\n"
           "                    as DIR/frame-NNNNNN-targetK.png\n"
           "  --overwrite       let --capture replace an existing video, or the frames\n"
           "                    (frame-*.png) already in DIR; without it they are kept\n"
           "                    and the capture refused\n"
           "  --benchmark       render the show off-screen as fast as possible (60 frames\n"
           "                    a second of show time), write nothing, and print frame\n"
           "                    times and where they go, per part of the show\n"
           "  --renderer NAME   which renderer draws: gl, software or auto (default auto:\n"
           "                    software for --capture and --benchmark; for live play\n"
           "                    gl, unless GL is itself a software rasteriser or missing)\n"
           "  --stats           after live play, print frame times (wall clock, with\n"
           "                    presentation) per part of the show, like --benchmark\n"
           "  --help            show this text\n"
           "  --version         show the version\n";
}

}  // namespace qelo
