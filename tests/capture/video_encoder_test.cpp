// Finding the ffmpeg command, and what it is asked to make.
#include "capture/video_encoder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace qelo;
namespace fs = std::filesystem;

class SearchPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* path = getenv("PATH");
        saved = path ? path : "";
        directory = fs::temp_directory_path() / ("qelo-path-" + std::to_string(getpid()));
        fs::create_directories(directory / "bin");
        std::ofstream(directory / "bin" / "tool") << "#!/bin/sh\n";
        fs::permissions(directory / "bin" / "tool", fs::perms::owner_all);
        std::ofstream(directory / "bin" / "plain") << "not a program\n";
    }
    void TearDown() override
    {
        setenv("PATH", saved.c_str(), 1);
        fs::remove_all(directory);
    }
    std::string saved;
    fs::path directory;
};

TEST_F(SearchPath, FindsExecutablesOnThePathOnly)
{
    const std::string bin = (directory / "bin").string();
    setenv("PATH", ("/nonexistent::" + bin).c_str(), 1);
    EXPECT_EQ(findProgram("tool"), bin + "/tool");
    EXPECT_EQ(findProgram("plain"), "");  // there, but not executable
    EXPECT_EQ(findProgram("ffmpeg-that-is-not-there"), "");
    EXPECT_EQ(findProgram(bin + "/tool"), bin + "/tool");  // a path is taken as it is
    EXPECT_EQ(findProgram(bin + "/plain"), "");
    setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(findProgram("tool"), "");
}

bool hasPair(const std::vector<std::string>& arguments, const std::string& option, const std::string& value)
{
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == option && arguments[i + 1] == value) return true;
    return false;
}

TEST(VideoArguments, FramesAndMusicMeetAtShowTimeZero)
{
    VideoSettings settings{"/out/show.mp4", 1024, 768, 30, 3601, "/data/vamma4.mp3"};
    const std::vector<std::string> arguments = ffmpegArguments(settings);
    EXPECT_EQ(arguments.front(), "ffmpeg");
    EXPECT_EQ(arguments.back(), "/out/show.mp4");
    EXPECT_TRUE(hasPair(arguments, "-video_size", "1024x768"));
    EXPECT_TRUE(hasPair(arguments, "-framerate", "30"));
    // The frames arrive as yuv420p and the video is yuv420p: nothing to convert.
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "yuv420p"), 2);
    EXPECT_TRUE(hasPair(arguments, "-c:v", "libx264"));
    // The music from its start, no longer than the frames: 3601 / 30 s.
    EXPECT_TRUE(hasPair(arguments, "-t", "120.033333"));
    EXPECT_TRUE(hasPair(arguments, "-i", "/data/vamma4.mp3"));
    EXPECT_TRUE(hasPair(arguments, "-map", "1:a:0"));
    // A capture stopped early has fewer frames: the sound ends with them,
    // and short music is padded rather than cutting the frames.
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "-shortest"), 1);
    EXPECT_TRUE(hasPair(arguments, "-af", "apad"));
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "-itsoffset"), 0);

    settings.musicPath.clear();
    settings.path = "/out/show.mkv";
    const std::vector<std::string> silent = ffmpegArguments(settings);
    EXPECT_FALSE(hasPair(silent, "-map", "1:a:0"));
    EXPECT_EQ(std::count(silent.begin(), silent.end(), "-movflags"), 0);  // an MP4 option
    EXPECT_EQ(std::count(silent.begin(), silent.end(), "-shortest"), 0);
    settings.path = "/out/Show.MP4";
    EXPECT_TRUE(hasPair(ffmpegArguments(settings), "-movflags", "+faststart"));
}

std::string valueOf(const std::vector<std::string>& arguments, const std::string& option)
{
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == option) return arguments[i + 1];
    return {};
}

// "9M", "18000k" or "9000000" in bits a second.
double bitRate(const std::string& text)
{
    const double value = std::stod(text);
    if (text.ends_with("M")) return value * 1e6;
    if (text.ends_with("k")) return value * 1e3;
    return value;
}

TEST(VideoArguments, EachQualityIsPlayableH264WithTheSameSoundAndFaststart)
{
    VideoSettings settings{"/out/show.mp4", 1024, 768, 60, 7201, "/data/vamma4.mp3"};
    for (const VideoQuality quality : {VideoQuality::draft, VideoQuality::share, VideoQuality::master}) {
        settings.quality = quality;
        const std::vector<std::string> arguments = ffmpegArguments(settings);
        const int index = static_cast<int>(quality);
        EXPECT_EQ(valueOf(arguments, "-c:v"), "libx264") << index;
        EXPECT_TRUE(hasPair(arguments, "-pix_fmt", "yuv420p")) << index;  // 4:4:4 plays in few players
        EXPECT_TRUE(hasPair(arguments, "-b:a", "192k")) << index;
        EXPECT_TRUE(hasPair(arguments, "-movflags", "+faststart")) << index;
        EXPECT_EQ(arguments.back(), "/out/show.mp4") << index;
        // Options go before the output: one -preset, one -crf, in order.
        EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "-preset"), 1) << index;
        EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "-crf"), 1) << index;
        // x264 holding a rate cap across frame threads varies run to run.
        if (!valueOf(arguments, "-maxrate").empty()) {
            EXPECT_EQ(valueOf(arguments, "-threads"), "1") << index;
        }
    }
}

TEST(VideoArguments, QualitiesTradeSpeedForSize)
{
    VideoSettings settings{"/out/show.mkv", 1024, 768, 60, 7201, "/data/vamma4.mp3"};
    settings.quality = VideoQuality::draft;
    const std::vector<std::string> draft = ffmpegArguments(settings);
    settings.quality = VideoQuality::share;
    const std::vector<std::string> share = ffmpegArguments(settings);
    settings.quality = VideoQuality::master;
    const std::vector<std::string> master = ffmpegArguments(settings);

    // Draft keeps the capture as fast as ever: the fastest preset, and a
    // level whose ceiling its ~33 Mbit/s fits.
    EXPECT_EQ(valueOf(draft, "-preset"), "ultrafast");
    EXPECT_EQ(valueOf(draft, "-level:v"), "4.1");

    // Share: High profile with B-frames (ultrafast has neither), and
    // a rate ceiling that keeps the whole 120 s show, sound included, within
    // 150 MB.
    EXPECT_EQ(valueOf(share, "-profile:v"), "high");
    EXPECT_NE(valueOf(share, "-preset"), "ultrafast");
    // The rate cap bounds any stretch of video to the cap times its length
    // plus one buffer.
    const std::string ceiling = valueOf(share, "-maxrate");
    const std::string buffer = valueOf(share, "-bufsize");
    ASSERT_FALSE(ceiling.empty() || buffer.empty());
    EXPECT_LE(((bitRate(ceiling) + bitRate(valueOf(share, "-b:a"))) * 120.017 + bitRate(buffer)) / 8, 150e6);

    // Master: finer than share, its peaks within High level 4.2 (62.5 Mbit/s
    // and as large a buffer).
    EXPECT_EQ(valueOf(master, "-profile:v"), "high");
    EXPECT_LT(std::stod(valueOf(master, "-crf")), std::stod(valueOf(share, "-crf")));
    EXPECT_EQ(valueOf(master, "-level:v"), "4.2");
    EXPECT_LE(bitRate(valueOf(master, "-maxrate")), 62.5e6);
    EXPECT_LE(bitRate(valueOf(master, "-bufsize")), 62.5e6);
}

}  // namespace

namespace qelo {
namespace {

TEST(VideoEnvironment, KeepsEverythingAndPutsTheHeapSettingsAheadOfTheCallers)
{
    const char* plain[] = {"PATH=/usr/bin", "HOME=/root", nullptr};
    const std::vector<std::string> added = ffmpegEnvironment(plain);
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(added[0], "PATH=/usr/bin");
    EXPECT_EQ(added[1], "HOME=/root");
    EXPECT_TRUE(added[2].starts_with("GLIBC_TUNABLES=glibc.malloc.mmap_threshold="));

    const char* tuned[] = {"GLIBC_TUNABLES=glibc.malloc.mmap_threshold=4096", "LANG=C", nullptr};
    const std::vector<std::string> merged = ffmpegEnvironment(tuned);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_TRUE(merged[0].starts_with("GLIBC_TUNABLES=glibc.malloc.mmap_threshold=33554432"));
    EXPECT_TRUE(merged[0].ends_with(":glibc.malloc.mmap_threshold=4096"));  // the caller's wins
    EXPECT_EQ(merged[1], "LANG=C");

    EXPECT_EQ(ffmpegEnvironment(nullptr).size(), 1u);
}

}  // namespace
}  // namespace qelo
