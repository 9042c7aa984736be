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
    EXPECT_TRUE(parsed.options.captureDirectory.empty());
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
    EXPECT_EQ(parsed.options.captureDirectory, "out");
    EXPECT_EQ(parsed.options.fps, 24);
    EXPECT_DOUBLE_EQ(parsed.options.untilSeconds, 2.5);
    EXPECT_TRUE(parsed.options.layers);
    EXPECT_EQ(parsed.options.dataDirectory, "d");

    parsed = parse({"--capture", "out"});
    EXPECT_EQ(parsed.options.fps, 60);
    EXPECT_EQ(parsed.options.untilSeconds, 0.0);

    EXPECT_EQ(parse({"--fullscreen", "--fullscreen"}).options.screen, ScreenMode::Fullscreen);
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
}

TEST(CommandLine, BadArgumentsGiveOneClearLine)
{
    const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--data"}, "--data needs a directory"},
        {{"--data="}, "--data needs a directory, not an empty text"},
        {{"--capture"}, "--capture needs a directory"},
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
        {{"--until", "3"}, "--until applies only to --capture"},
        {{"--layers"}, "--layers applies only to --capture"},
        {{"--capture", "o", "--windowed"}, "--capture renders off-screen"},
        {{"--capture", "show.mp4"}, "video files such as 'show.mp4' are not supported yet"},
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
         {"--windowed", "--fullscreen", "--data", "--capture", "--fps", "--until", "--layers", "--help", "--version"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
