#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace qelo;

ParsedCommandLine parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "qelo");
    return parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

TEST(CommandLine, NoArgumentsMeanTheShowAsItWas)
{
    const ParsedCommandLine parsed = parse({});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.screen, ScreenMode::Ask);
    EXPECT_TRUE(parsed.options.capturePath.empty());
    EXPECT_FALSE(parsed.options.benchmark);
    EXPECT_TRUE(parsed.options.dataDirectory.empty());
    EXPECT_FALSE(parsed.options.help || parsed.options.version || parsed.options.layers);
}

TEST(CommandLine, OptionsInBothSpellings)
{
    ParsedCommandLine parsed = parse({"--windowed", "--data", "some dir"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.screen, ScreenMode::Windowed);
    EXPECT_EQ(parsed.options.dataDirectory, "some dir");

    parsed = parse({"--capture=out", "--fps", "24", "--until=2.5", "--layers", "--data=d"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.capturePath, "out");
    EXPECT_FALSE(parsed.options.captureVideo);
    EXPECT_EQ(parsed.options.fps, 24);
    EXPECT_DOUBLE_EQ(parsed.options.untilSeconds, 2.5);
    EXPECT_TRUE(parsed.options.layers);
    EXPECT_EQ(parsed.options.dataDirectory, "d");

    parsed = parse({"--capture", "out"});
    EXPECT_EQ(parsed.options.fps, 60);
    EXPECT_EQ(parsed.options.untilSeconds, 0.0);

    parsed = parse({"--capture", "show.mp4", "--fps", "30"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.captureVideo);
    EXPECT_TRUE(parse({"--capture=a b.mkv"}).options.captureVideo);
    parsed = parse({"--capture", "Show.MP4", "--overwrite"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.captureVideo);  // a video, not a folder named Show.MP4
    EXPECT_TRUE(parsed.options.overwrite);
    EXPECT_FALSE(parse({"--capture", "out"}).options.overwrite);

    parsed = parse({"--benchmark", "--until", "20"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.benchmark);
    EXPECT_DOUBLE_EQ(parsed.options.untilSeconds, 20.0);

    EXPECT_EQ(parse({"--fullscreen", "--fullscreen"}).options.screen, ScreenMode::Fullscreen);
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
}

TEST(CommandLine, RendererStatsAndLiveUntil)
{
    EXPECT_EQ(parse({}).options.renderer, RendererRequest::automatic);
    EXPECT_FALSE(parse({}).options.stats);
    EXPECT_EQ(parse({"--renderer", "gl"}).options.renderer, RendererRequest::gl);
    EXPECT_EQ(parse({"--renderer=software"}).options.renderer, RendererRequest::software);
    EXPECT_EQ(parse({"--renderer", "gl", "--renderer", "auto"}).options.renderer, RendererRequest::automatic);

    ParsedCommandLine parsed = parse({"--windowed", "--until", "2", "--stats"});  // live play that ends by itself
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.stats);
    EXPECT_DOUBLE_EQ(parsed.options.untilSeconds, 2.0);
    EXPECT_EQ(parse({"--until=0.5"}).error, "");

    parsed = parse({"--benchmark", "--renderer", "gl"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.renderer, RendererRequest::gl);
    EXPECT_EQ(parse({"--capture", "o", "--renderer", "software"}).error, "");
}

TEST(CommandLine, VideoQuality)
{
    EXPECT_EQ(parse({"--capture", "show.mp4"}).options.quality, VideoQuality::share);
    EXPECT_EQ(parse({"--capture", "show.mp4", "--quality", "draft"}).options.quality, VideoQuality::draft);
    EXPECT_EQ(parse({"--quality=master", "--capture", "show.mkv"}).options.quality, VideoQuality::master);
    EXPECT_EQ(parse({"--capture", "show.mp4", "--quality", "master", "--quality", "share"}).options.quality,
              VideoQuality::share);
}

TEST(CommandLine, BadArgumentsGiveOneClearLine)
{
    const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--data"}, "--data needs a directory"},
        {{"--data="}, "--data needs a directory, not an empty text"},
        {{"--capture"}, "--capture needs a directory or a video file name"},
        {{"--capture", "o", "--fps"}, "--fps needs a number"},
        {{"--capture", "o", "--fps", "0"}, "--fps needs a whole number from 1 to 1000, not '0'"},
        {{"--capture", "o", "--fps", "1001"}, "not '1001'"},
        {{"--capture", "o", "--fps", "29.97"}, "not '29.97'"},
        {{"--capture", "o", "--fps", "60x"}, "not '60x'"},
        {{"--capture", "o", "--fps", "-5"}, "not '-5'"},
        {{"--capture", "o", "--until", "0"}, "--until needs a number of seconds above 0, not '0'"},
        {{"--capture", "o", "--until", "nan"}, "not 'nan'"},
        {{"--capture", "o", "--until", "inf"}, "not 'inf'"},
        {{"--capture", "o", "--until", "1e999"}, "not '1e999'"},
        {{"--windowed", "--fullscreen"}, "--windowed and --fullscreen exclude each other"},
        {{"--windowed=yes"}, "--windowed takes no value"},
        {{"--fps", "30"}, "--fps applies only to --capture"},
        {{"--renderer", "vulkan"}, "--renderer needs gl, software or auto, not 'vulkan'"},
        {{"--renderer=GL"}, "--renderer needs gl, software or auto, not 'GL'"},
        {{"--renderer"}, "--renderer needs gl, software or auto"},
        {{"--renderer="}, "--renderer needs gl, software or auto, not an empty text"},
        {{"--stats=1"}, "--stats takes no value"},
        {{"--capture", "o", "--stats"}, "--stats applies only to live play"},
        {{"--benchmark", "--stats"}, "--stats applies only to live play"},
        {{"--layers"}, "--layers applies only to --capture"},
        {{"--capture", "o", "--windowed"}, "--capture renders off-screen"},
        {{"--capture", "show.webm"}, "videos as .mp4 or .mkv, not 'show.webm'"},
        {{"--capture", "show.WebM"}, "not 'show.WebM'"},
        {{"--overwrite"}, "--overwrite applies only to --capture"},
        {{"--benchmark", "--overwrite"}, "--overwrite does not apply"},
        {{"--capture", "o", "--overwrite=yes"}, "--overwrite takes no value"},
        {{"--capture", "show.mp4", "--layers"}, "--layers writes PNG pictures"},
        {{"--benchmark", "--capture", "o"}, "--benchmark writes nothing"},
        {{"--benchmark", "--fps", "30"}, "--fps does not apply"},
        {{"--benchmark", "--windowed"}, "--benchmark renders off-screen"},
        {{"--benchmark=1"}, "--benchmark takes no value"},
        {{"--capture", "s.mp4", "--quality", "best"}, "--quality needs draft, share or master, not 'best'"},
        {{"--capture", "s.mp4", "--quality"}, "--quality needs draft, share or master"},
        {{"--quality", "draft"}, "--quality applies only to --capture with a video"},
        {{"--capture", "frames", "--quality", "master"}, "--quality applies to videos; PNG frames are always exact"},
        {{"--benchmark", "--quality", "share"}, "--quality does not apply"},
    };
    for (const auto& [arguments, expected] : cases) {
        const ParsedCommandLine parsed = parse(arguments);
        std::string joined;
        for (const char* a : arguments) joined += std::string(a) + " ";
        EXPECT_EQ(parsed.error.rfind("qelo: ", 0), 0u) << joined << "-> " << parsed.error;
        EXPECT_NE(parsed.error.find(expected), std::string::npos) << joined << "-> " << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << joined;
    }
}

TEST(CommandLine, UsageNamesEveryOption)
{
    const std::string usage = usageText("qelo");
    for (const char* option :
         {"--windowed", "--fullscreen", "--data", "--capture", "--fps", "--until", "--layers", "--overwrite", "--benchmark", "--renderer", "--stats", "--quality", "--help",
          "--version"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
