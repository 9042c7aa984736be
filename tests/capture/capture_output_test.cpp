// What a capture refuses to write over, and what --overwrite clears.
#include "capture/capture_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace {

using namespace qelo;
namespace fs = std::filesystem;

class CaptureOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("qelo-output-" + std::to_string(getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }
    void make(const char* name) { std::ofstream(directory / name) << "mine\n"; }
    fs::path directory;
};

TEST_F(CaptureOutput, AnExistingVideoIsKeptUnlessOverwriteIsGiven)
{
    const fs::path video = directory / "show.mp4";
    EXPECT_EQ(claimOutput(video, true, false).exitCode, 0);
    make("show.mp4");
    const OutputClaim refused = claimOutput(video, true, false);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.error.find(video.string() + " exists"), std::string::npos) << refused.error;
    EXPECT_NE(refused.error.find("--overwrite"), std::string::npos);
    EXPECT_EQ(claimOutput(video, true, true).exitCode, 0);
    EXPECT_TRUE(fs::exists(video));  // replaced by the encoder, not removed here

    // A link to nowhere: writing would create its target.
    fs::create_symlink(directory / "elsewhere.mp4", directory / "link.mp4");
    EXPECT_EQ(claimOutput(directory / "link.mp4", true, false).exitCode, 2);
}

TEST_F(CaptureOutput, AFolderWithFramesIsKeptUnlessOverwriteIsGiven)
{
    make("notes.txt");
    make("frame.png");
    make("frame-000003.jpg");
    EXPECT_FALSE(holdsFrames(directory));
    EXPECT_EQ(claimOutput(directory, false, false).exitCode, 0);
    EXPECT_FALSE(holdsFrames(directory / "missing"));

    make("frame-000000-target2.png");
    EXPECT_TRUE(holdsFrames(directory));
    make("frame-000000.png");
    const OutputClaim refused = claimOutput(directory, false, false);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.error.find("already holds frames"), std::string::npos) << refused.error;
    EXPECT_TRUE(fs::exists(directory / "frame-000000.png"));

    // Overwriting clears the old frames, so none outlives a shorter capture;
    // the user's other files stay.
    EXPECT_EQ(claimOutput(directory, false, true).error, "");
    EXPECT_FALSE(holdsFrames(directory));
    for (const char* kept : {"notes.txt", "frame.png", "frame-000003.jpg"}) EXPECT_TRUE(fs::exists(directory / kept)) << kept;
}

}  // namespace
