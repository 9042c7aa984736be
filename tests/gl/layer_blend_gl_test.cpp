// The frame put together in memory against the window llvmpipe composites:
// the same bytes for every colour, alpha and destination value; and the
// filtering the window's compositing leaves behind.
#include <GL/gl.h>

#include <algorithm>
#include <random>
#include <string>

#include "gl/gl_fixture.h"
#include "render/layer_blend.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

using LayerBlendGlTest = ShowGlTest;
using Bytes = std::vector<std::uint8_t>;

constexpr int width = 1024;
constexpr int height = 768;

// Puts exact texels into target k's picture (row 0 at the bottom). Reading
// the picture back here would leave the target bound until its next
// makeCurrent, so the compositing pass would not bind it again.
void fillPicture(int k, const Bytes& rgba)
{
    renderTargets.target(k).makeCurrent();
    orthoPixels();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glRasterPos2i(0, 0);
    glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

// A target stays bound as a texture from its compositing to its next
// makeCurrent: the next frame's clearing pass, here without the clearing.
void nextFrame()
{
    for (int k = 0; k < renderTargets.count; ++k) {
        RenderTexture& target = renderTargets.target(k);
        const bool drawn = target.drawnSinceClear;
        target.makeCurrent();
        target.drawnSinceClear = drawn;
    }
    mainWindow.makeCurrent();
}

// A picture made pixel by pixel by `texel(x, row, rgba)`.
template <class Texel>
Bytes picture(Texel texel)
{
    Bytes rgba(static_cast<std::size_t>(width) * height * 4);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) texel(x, row, &rgba[(static_cast<std::size_t>(row) * width + x) * 4]);
    return rgba;
}

Bytes windowComposite()
{
    renderTargets.composeInMemory = false;
    clearWindow();
    renderTargets.compositeAll();
    return windowPixels();
}

// Compares a top-row-first frame with the window's pixels (bottom row first),
// alpha only when the window keeps it; reports the first differences exactly.
void expectWindowEquals(const std::uint8_t* frame, const Bytes& window, const std::string& what)
{
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    const int channels = alphaBits > 0 ? 4 : 3;
    int differences = 0;
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* a = frame + (static_cast<std::size_t>(row) * width + x) * 4;
            const std::uint8_t* b = window.data() + (static_cast<std::size_t>(height - 1 - row) * width + x) * 4;
            bool same = true;
            for (int c = 0; c < channels; ++c) same = same && a[c] == b[c];
            if (!same && ++differences <= 8)
                ADD_FAILURE() << what << " at x " << x << ", row from top " << row << ": " << int(a[0]) << ","
                              << int(a[1]) << "," << int(a[2]) << "," << int(a[3]) << " against the window's "
                              << int(b[0]) << "," << int(b[1]) << "," << int(b[2]) << "," << int(b[3]);
        }
    }
    EXPECT_EQ(differences, 0) << what << " (window alpha bits " << alphaBits << ")";
}

// Rows 0-255: target 1 (opacity 0.3, as the show sets it) holds every
// (colour, alpha) pair, in red and reversed in green, four times over
// random destinations from target 0. Rows 256-511: the same in target 2 at
// opacity 1. Rows 512-767: random texels in targets 0-3 (target 3 at 0.77).
// Target 4 holds opaque white but counts as undrawn: neither way shows it.
TEST_F(LayerBlendGlTest, FrameComposedInMemoryIsTheWindowsToTheBit)
{
    // Other drivers composite with their own rounding.
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (renderer.find("llvmpipe") == std::string::npos) GTEST_SKIP() << "exact only on llvmpipe, this is " << renderer;
    std::mt19937 random(768);
    const auto band = [](int row) { return row / 256; };
    const auto randomTexel = [&random](std::uint8_t* p) {
        const int kind = static_cast<int>(random() % 4);  // some transparent, some opaque
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(random());
        p[3] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<std::uint8_t>(random());
    };
    const auto pairsIn = [&](int pairBand) {
        return picture([&](int x, int row, std::uint8_t* p) {
            if (band(row) == pairBand) {
                p[0] = static_cast<std::uint8_t>(x);
                p[1] = static_cast<std::uint8_t>(255 - x);
                p[2] = static_cast<std::uint8_t>(x * 7 + row);
                p[3] = static_cast<std::uint8_t>(row);
            } else {
                randomTexel(p);
                if (band(row) != 2) p[3] = 0;  // transparent, whatever its colour
            }
        });
    };
    renderTargets.clearAll();
    const Bytes pictures[] = {picture([&](int, int, std::uint8_t* p) { randomTexel(p); }), pairsIn(0), pairsIn(1),
                              pairsIn(-1), Bytes(static_cast<std::size_t>(width) * height * 4, 255)};
    for (int k = 0; k < 5; ++k) fillPicture(k, pictures[k]);
    renderTargets.target(4).drawnSinceClear = false;
    const float opacities[] = {1.0f, 0.3f, 1.0f, 0.77f, 1.0f};
    for (int k = 0; k < 5; ++k) renderTargets.target(k).opacity = opacities[k];
    mainWindow.makeCurrent();

    const Bytes window = windowComposite();
    nextFrame();
    renderTargets.composeInMemory = true;
    renderTargets.compositeAll();
    ASSERT_TRUE(renderTargets.frameInMemory);
    expectWindowEquals(renderTargets.composeFrame(), window, "composeFrame");

}

TEST_F(LayerBlendGlTest, ComposingInMemoryLeavesTheWindowAloneUnlessABlendIsNotStandard)
{
    renderTargets.clearAll();
    std::mt19937 random(1);
    fillPicture(0, picture([&](int, int, std::uint8_t* p) { p[0] = p[1] = p[2] = p[3] = random() & 255; }));
    fillPicture(2, picture([](int x, int, std::uint8_t* p) {
        const std::uint8_t red[4] = {255, 0, 0, static_cast<std::uint8_t>(x)};
        std::copy(red, red + 4, p);
    }));
    mainWindow.makeCurrent();

    renderTargets.composeInMemory = true;
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    const Bytes before = windowPixels();
    renderTargets.compositeAll();
    EXPECT_TRUE(renderTargets.frameInMemory);
    EXPECT_EQ(windowPixels(), before);

    // Additive for one frame: that frame is the window's.
    RenderTexture& additive = renderTargets.target(2);
    additive.blendSource = BlendFactor::one;
    additive.blendDestination = BlendFactor::one;
    nextFrame();
    const Bytes window = windowComposite();
    nextFrame();
    renderTargets.composeInMemory = true;
    clearWindow();
    renderTargets.compositeAll();
    EXPECT_FALSE(renderTargets.frameInMemory);
    EXPECT_EQ(windowPixels(), window);

    additive.blendSource = BlendFactor::sourceAlpha;
    additive.blendDestination = BlendFactor::oneMinusSourceAlpha;
    nextFrame();
    renderTargets.compositeAll();
    EXPECT_TRUE(renderTargets.frameInMemory);
}

// One-texel-per-pixel compositing samples nearest; the texture must be
// linear again afterwards, for pictures drawn at any other scale (a window
// resized from 1024 x 768). The attribute pop restores the filters of the
// texture bound before the push, not the target's.
TEST_F(LayerBlendGlTest, CompositingLeavesTheTargetsLinearlyFiltered)
{
    renderTargets.clearAll();
    fillPicture(2, picture([](int x, int, std::uint8_t* p) {
        p[0] = p[1] = p[2] = x % 2 ? 255 : 0;  // odd columns white
        p[3] = 255;
    }));
    mainWindow.makeCurrent();
    windowComposite();
    EXPECT_EQ(windowPixelFromTop(101, 300)[0], 255);

    GLint filters[2] = {};
    const unsigned previous = boundTexture();
    glBindTexture(GL_TEXTURE_2D, renderTargets.target(2).textureName);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filters[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filters[1]);
    glBindTexture(GL_TEXTURE_2D, previous);
    EXPECT_EQ(filters[0], GL_LINEAR);
    EXPECT_EQ(filters[1], GL_LINEAR);

    // Halved, each pixel lies between an even and an odd texel; doubled,
    // odd pixels lie a quarter of the way from one to the next.
    for (int scale : {1, 4}) {
        nextFrame();
        glViewport(0, 0, width * scale / 2, height * scale / 2);
        const Bytes window = windowComposite();
        const int value = window[(100 * width + 101) * 4];
        EXPECT_GT(value, 20) << "viewport " << width * scale / 2;
        EXPECT_LT(value, 235) << "viewport " << width * scale / 2;
    }
    glViewport(0, 0, width, height);
}

}  // namespace
}  // namespace qelo::test
