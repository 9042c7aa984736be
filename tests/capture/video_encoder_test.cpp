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
    EXPECT_TRUE(hasPair(arguments, "-pix_fmt", "rgba"));
    EXPECT_TRUE(hasPair(arguments, "-pix_fmt", "yuv420p"));
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
