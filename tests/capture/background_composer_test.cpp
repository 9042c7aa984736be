// The capture's background blending: every frame reaches the encoder blended,
// converted and in order although the layers' memory is reused for the next frame as
// soon as waitForLayers allows; a failed write is reported, not hidden.
#include "capture/background_composer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "capture/video_encoder.h"
#include "capture/yuv_frame.h"

namespace {

using namespace qelo;
namespace fs = std::filesystem;

constexpr std::size_t pixelCount = 8 * 4;

class BackgroundComposerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("qelo-composer-" + std::to_string(getpid()));
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    // A stand-in for ffmpeg running `body` with the output path in $out.
    std::string standIn(const std::string& body)
    {
        const fs::path script = directory / "encoder";
        std::ofstream(script) << "#!/bin/sh\nfor out; do :; done\n" << body << "\n";
        fs::permissions(script, fs::perms::owner_all);
        return script.string();
    }
    std::string start(VideoEncoder& video, const std::string& program)
    {
        return video.start({(directory / "frames.raw").string(), 8, 4, 60, 6, "", program});
    }

    fs::path directory;
};

TEST_F(BackgroundComposerTest, FramesArriveBlendedAndInOrderWhileTheLayersAreReused)
{
    VideoEncoder video;
    ASSERT_EQ(start(video, standIn("cat > \"$out\"")), "");
    std::vector<std::uint8_t> below(pixelCount * 4), above(pixelCount * 4), expected;
    std::mt19937 random(7);
    {
        BackgroundComposer composer(video);
        for (int frame = 0; frame < 6; ++frame) {
            composer.waitForLayers();
            for (auto& byte : below) byte = static_cast<std::uint8_t>(random());
            for (auto& byte : above) byte = static_cast<std::uint8_t>(frame % 2 == 0 ? random() : 0);
            const std::vector<LayerView> layers = {{below.data(), 0.3f}, {above.data(), 1.0f}};
            std::vector<std::uint8_t> blended(pixelCount * 4);
            composeLayers(blended.data(), layers, pixelCount, BlendPath::scalar);
            std::vector<std::uint8_t> converted(yuv420Bytes(8, 4));
            rgbaToYuv420(blended.data(), 8, 4, converted.data(), YuvPath::scalar);
            expected.insert(expected.end(), converted.begin(), converted.end());
            EXPECT_EQ(composer.submit(layers), "");
        }
        EXPECT_EQ(composer.drain(), "");
    }
    EXPECT_EQ(video.finish(), "");
    std::ifstream file(directory / "frames.raw", std::ios::binary);
    const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(written, expected);
}

TEST_F(BackgroundComposerTest, AFailedWriteIsReportedAndNothingMoreIsSent)
{
    VideoEncoder video;
    ASSERT_EQ(start(video, standIn("exit 3")), "");
    std::vector<std::uint8_t> layer(pixelCount * 4, 255);
    BackgroundComposer composer(video);
    // The stand-in may still be starting when the first frame goes: the
    // failure shows once the pipe is known to be closed.
    std::string failure;
    for (int frame = 0; frame < 200 && failure.empty(); ++frame) {
        composer.waitForLayers();
        failure = composer.submit({{layer.data(), 1.0f}});
        if (failure.empty()) failure = composer.drain();
        if (failure.empty()) usleep(10000);
    }
    EXPECT_NE(failure, "");
    EXPECT_EQ(composer.drain(), failure);
    EXPECT_NE(video.finish(), "");
}

}  // namespace
