// Start-up on the headless window: which context holds which picture, the GL
// state it leaves, bad pictures, where the random sequence stands when the
// first scene draws, and the frame step's order and end.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "effects/generator_steps.h"
#include "gl/gl_fixture.h"
#include "platform/sdl/window_options.h"
#include "shell/fake_counter.h"
#include "shell/frame_loop.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "timeline/scene_list.h"
#include "shell/random.h"
#include "timeline/startup.h"

namespace qelo {
namespace {

namespace fs = std::filesystem;

// Small solid-colour JPEGs laid out as the show expects them.
const fs::path testPictures = fs::path(__FILE__).parent_path() / "pictures";

// Makes the headless window and runs start-up in a copy of the test
// pictures, after `change` has altered the copy. Start-up runs once a
// process: ctest runs every test in a process of its own.
bool startShow(const std::function<void(const fs::path&)>& change = {})
{
    static bool started = false;
    if (started) return false;
    started = true;
    const fs::path data = fs::temp_directory_path() / ("qelo-startup-" + std::to_string(::getpid()));
    fs::remove_all(data);
    fs::copy(testPictures, data, fs::copy_options::recursive);
    if (change) change(data);
    fs::current_path(data);

    sdl::windowOptions.headless = true;
    mainWindow.create();
    if (!mainWindow.running) return false;
    startUp();
    return true;
}

constexpr const char* needsOwnProcess = "needs a process of its own and a headless window";

// The context selector: -1 the window, 0..4 a target.
void useContext(int k)
{
    if (k < 0)
        mainWindow.makeCurrent();
    else
        renderTargets.target(k).makeCurrent();
}

TEST(StartUp, PicturesLiveOnlyInTheContextOfTheTargetThatDrawsThem)
{
    if (!startShow()) GTEST_SKIP() << needsOwnProcess;

    // Left behind: target 4's context current, texturing on, the last tile
    // bound; in target 3's the last portrait.
    EXPECT_EQ(test::boundTexture(), tileTextures[2].textureName);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    useContext(3);
    EXPECT_EQ(test::boundTexture(), portraitTextures[5].textureName);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    for (int context = -1; context < 5; ++context) {
        useContext(context);
        for (int k = 0; k < portraitCount; ++k)
            EXPECT_EQ(test::textureWidthIn(portraitTextures[k].textureName), context == 3 ? 64 : 0)
                << "portrait " << k << " in context " << context;
        for (int k = 0; k < tileCount; ++k)
            EXPECT_EQ(test::textureWidthIn(tileTextures[k].textureName), context == 4 ? 32 : 0)
                << "tile " << k << " in context " << context;
    }
}

TEST(StartUp, PicturesGetAlphaFromBrightnessAndTheFifthPortraitTwice)
{
    if (!startShow()) GTEST_SKIP() << needsOwnProcess;
    useContext(3);
    std::vector<std::vector<std::uint8_t>> portraits;
    for (int k = 0; k < portraitCount; ++k) {
        ImageTexture& texture = portraitTextures[k];
        ASSERT_EQ(texture.width, 40);
        ASSERT_EQ(texture.height, 30);
        const std::uint8_t* p = texture.readPixels();
        portraits.emplace_back(p, p + 40 * 30 * 4);
        for (int texel = 0; texel < 40 * 30; ++texel) {
            const std::uint8_t* t = p + texel * 4;
            ASSERT_EQ(t[3], (t[0] + t[1] + t[2]) / 3) << "portrait " << k << " texel " << texel;
        }
    }
    // Portrait 1 is mostly green, 5 nearly white: the decoded picture, not noise.
    EXPECT_GT(portraits[1][1], 150);
    EXPECT_LT(portraits[1][0], 90);
    EXPECT_GT(portraits[4][3], 200);
    EXPECT_EQ(portraits[5], portraits[4]);
    EXPECT_NE(portraitTextures[5].textureName, portraitTextures[4].textureName);
}

TEST(StartUp, MissingOrCorruptPicturesAreNamedAndTheShowGoesOn)
{
    ::testing::internal::CaptureStderr();
    const bool started = startShow([](const fs::path& data) {
        fs::remove(data / "grafiikkaa/ihminen2.jpg");
        std::ofstream(data / "grafiikkaa/tile3.jpg", std::ios::binary | std::ios::trunc) << "GIF89a not a JPEG";
    });
    const std::string errors = ::testing::internal::GetCapturedStderr();
    if (!started) GTEST_SKIP() << needsOwnProcess;

    EXPECT_NE(errors.find("grafiikkaa/ihminen2.jpg"), std::string::npos) << errors;
    EXPECT_NE(errors.find("grafiikkaa/tile3.jpg"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("grafiikkaa/ihminen1.jpg"), std::string::npos) << errors;

    EXPECT_EQ(portraitTextures[1].width, 0);
    EXPECT_EQ(tileTextures[2].width, 0);
    EXPECT_EQ(portraitTextures[2].width, 40);
    EXPECT_EQ(tileTextures[1].width, 32);
    // The failed last tile still leaves texturing on with it bound, as the
    // scenes expect from a successful start-up.
    EXPECT_EQ(test::boundTexture(), tileTextures[2].textureName);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    useContext(4);
    EXPECT_EQ(test::textureWidthIn(tileTextures[2].textureName), 0);

    showClock.restart();
    for (int frame = 0; frame < 3; ++frame) frameStep();
    EXPECT_TRUE(mainWindow.running);
}

TEST(StartUp, PictureLargerThanTheLargestTextureIsNamedOnceWithItsSizeAndTheLimit)
{
    ::testing::internal::CaptureStderr();
    const bool started = startShow([](const fs::path& data) {
        // The last tile's frame header made to say 65,535 pixels across: its
        // storage of 65,536 exceeds any renderer's largest texture.
        const fs::path tile = data / "grafiikkaa/tile3.jpg";
        std::vector<char> bytes(fs::file_size(tile));
        std::ifstream(tile, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
            if (bytes[i] != '\xFF' || bytes[i + 1] != '\xC0') continue;
            bytes[i + 7] = bytes[i + 8] = '\xFF';
            break;
        }
        std::ofstream(tile, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    const std::string errors = ::testing::internal::GetCapturedStderr();
    if (!started) GTEST_SKIP() << needsOwnProcess;

    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    ASSERT_LT(largest, 65536);
    const std::string limit = std::to_string(largest);
    const std::string line = "qelo: grafiikkaa/tile3.jpg: picture of 65535 x 32 pixels needs a 65536 x 32 texture, larger than this "
                             "renderer's largest of " + limit + " x " + limit + "; its texture stays empty\n";
    EXPECT_NE(errors.find(line), std::string::npos) << errors;
    EXPECT_EQ(errors.find("tile3.jpg"), errors.rfind("tile3.jpg")) << "said once: " << errors;
    EXPECT_EQ(tileTextures[2].width, 0);
    EXPECT_EQ(tileTextures[1].width, 32);
}

std::vector<int> firstDraws;

void recordFirstDraw(float, float, bool, std::int32_t) { firstDraws.push_back(rand()); }

TEST(StartUp, FirstSceneDrawIsThe262145thValueOfTheGenerator)
{
    if (!startShow()) GTEST_SKIP() << needsOwnProcess;
    ASSERT_EQ(sceneList.count, 10);
    // The first entry opens at show time 0 and is the first routine of the
    // first frame; a routine that does not seed sees the sequence as is.
    ASSERT_EQ(sceneList.items[0]->start, 0.0f);
    sceneList.items[0]->routine = recordFirstDraw;
    // Frozen time: a reading in the same millisecond as the restart can fall
    // just below 0 (the restart keeps its sample as a float) and show nothing.
    testing::useFakeCounter(5000);
    showClock.restart();
    frameStep();
    ASSERT_EQ(firstDraws.size(), 1u);
    EXPECT_EQ(firstDraws[0], testing::nextValue(testing::stateAfter(1, 262144)));  // from seed 1
}

struct FrameProbe {
    float opacityOfTarget1 = 0.0f;
    int calls = 0;
};
FrameProbe probe;

// Draws an opaque white square into target 2 and spends 7 ms of fake time.
void whiteSquareRoutine(float, float, bool, std::int32_t)
{
    ++probe.calls;
    probe.opacityOfTarget1 = renderTargets.target(1).opacity;
    renderTargets.target(2).makeCurrent();
    test::orthoPixels();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    glRectf(0, 0, 100, 100);
    testing::fakeMilliseconds += 7;
}

TEST(FrameStep, ClearsDrawsCompositesThenRestartsTheFrameClockAndEndsAfter120Seconds)
{
    if (!startShow()) GTEST_SKIP() << needsOwnProcess;
    testing::FakeCounterScope fakeTime;
    testing::useFakeCounter(5000);
    showClock.restart();
    frameClock.restart();
    for (int i = 1; i < sceneList.count; ++i) sceneList.items[i]->routine = nullptr;
    sceneList.items[0]->routine = whiteSquareRoutine;

    // Last frame's leftovers in target 2 (all of it red) must be cleared first.
    renderTargets.target(2).makeCurrent();
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    renderTargets.target(1).opacity = 1.0f;

    mainWindow.makeCurrent();
    glClear(GL_COLOR_BUFFER_BIT);
    frameStep();
    EXPECT_EQ(probe.calls, 1);
    EXPECT_FLOAT_EQ(probe.opacityOfTarget1, 0.3f);
    // Target row 0 runs along the window's top: the square is top-left.
    EXPECT_EQ(test::windowPixelFromTop(50, 50)[0], 255);
    EXPECT_EQ(test::windowPixelFromTop(500, 500)[0], 0);
    // Restarted after the routine's 7 ms: nothing has elapsed since.
    EXPECT_FLOAT_EQ(frameClock.lastSample, 0.007f);
    EXPECT_NEAR(frameClock.elapsed(), 0.0, 1e-6);
    EXPECT_TRUE(mainWindow.running);

    // 119,999 ms: still on. 120,000 ms reads just above 120.0: the end.
    testing::fakeMilliseconds = 5000 + 119999;
    frameStep();
    EXPECT_TRUE(mainWindow.running);
    testing::fakeMilliseconds = 5000 + 120000;
    frameStep();
    EXPECT_FALSE(mainWindow.running);
}

}  // namespace
}  // namespace qelo
