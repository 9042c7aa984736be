// The software renderer's fast paths against its one-pixel path: runs of
// blended primitives of one colour (counted and applied later) and textured
// spans drawn eight pixels at a time must give the very bytes of drawing
// pixel by pixel. The reference draws the same load depth-tested, each
// primitive nearer than the last (the test always passes, the colours are
// unchanged), which takes neither fast path.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "render/software/software_test_support.h"

namespace qelo::test {
namespace {

using software::SoftwareContext;

constexpr int side = 64;

std::vector<std::uint8_t> pictureOf(const SoftwareContext& context)
{
    const std::uint8_t* p = context.picture();
    return {p, p + side * side * 4};
}

// Overlapping triangles and quads, runs of one colour of various lengths;
// some pixels are covered hundreds of times, some start non-zero.
void drawLoad(SoftwareContext& context, bool reference, BlendFactor source, BlendFactor destination)
{
    pixelProjection(context);
    context.colour(0.9f, 0.2f, 0.5f, 0.7f);
    rectangle(context, 0, 0, side, side / 4.0f);  // a non-zero background at the bottom
    if (reference) context.enable(Capability::depthTest);
    context.enable(Capability::blend);
    context.blendFunction(source, destination);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(0, 1);
    const float colours[3][4] = {{0.02f, 0.5f, 0.9f, 0.06f}, {0.3f, 0.3f, 0.1f, 0.5f}, {1, 1, 1, 1}};
    float z = -0.99f;
    for (int run = 0; run < 12; ++run) {
        const float* c = colours[run % 3];
        context.colour(c[0], c[1], c[2], c[3]);
        const int length = run == 4 ? 1 : 40 * run;
        for (int k = 0; k < length; ++k, z += 0.0003f) {
            const float x = unit(random) * side * 0.6f, y = unit(random) * side * 0.6f;
            context.begin(k % 2 ? Primitive::quads : Primitive::triangles);
            context.vertex(x, y, z);
            context.vertex(x + 8 + unit(random) * 20, y + unit(random) * 3, z);
            context.vertex(x + 20, y + 25, z);
            if (k % 2) context.vertex(x - unit(random) * 5, y + 20, z);
            context.end();
            if (run == 7 && k == 100) pictureOf(context);  // reading the picture mid-run
        }
    }
}

TEST(SoftwareFastPaths, CountedBlendRunsGiveThePictureOfDrawingOneByOne)
{
    const BlendFactor pairs[3][2] = {{BlendFactor::one, BlendFactor::oneMinusSourceAlpha},
                                     {BlendFactor::sourceAlpha, BlendFactor::one},
                                     {BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha}};
    for (const auto& pair : pairs) {
        SoftwareContext counted(side, side), reference(side, side);
        drawLoad(counted, false, pair[0], pair[1]);
        drawLoad(reference, true, pair[0], pair[1]);
        const std::vector<std::uint8_t> got = pictureOf(counted), want = pictureOf(reference);
        int differing = 0;
        for (std::size_t k = 0; k < got.size(); ++k) differing += got[k] != want[k];
        EXPECT_EQ(differing, 0) << int(pair[0]) << " " << int(pair[1]);
        EXPECT_GT(pixelAt(counted, 20, 30)[3], 0);
    }
}

TEST(SoftwareFastPaths, ClearingDropsCountedBlendsAndOtherDrawsComeAfterThem)
{
    SoftwareContext context(8, 8);
    pixelProjection(context);
    countDraws(context);
    for (int k = 0; k < 5; ++k) rectangle(context, 0, 0, 8, 8);
    context.clear(ClearMask::colour);
    for (int k = 0; k < 3; ++k) rectangle(context, 0, 0, 4, 8);
    EXPECT_EQ(pixelAt(context, 1, 1)[0], 3);
    EXPECT_EQ(pixelAt(context, 6, 1)[0], 0);
    for (int k = 0; k < 3; ++k) rectangle(context, 0, 0, 4, 8);
    context.disable(Capability::blend);  // replaces what the run left
    context.colour(0, 1, 0, 1);
    rectangle(context, 0, 0, 2, 8);
    EXPECT_EQ(pixelAt(context, 1, 1), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(context, 3, 1), (Pixel{6, 0, 0, 0}));
}

// Textured quads, blended or not, both filters, magnified and minified,
// coordinates repeating, negative and beyond 2^23 (read as 0).
void drawTextured(SoftwareContext& context, bool reference, TextureFilter filter)
{
    pixelProjection(context);
    std::mt19937 random(8);
    std::vector<std::uint8_t> texels(32 * 16 * 4);
    for (auto& texel : texels) texel = static_cast<std::uint8_t>(random());
    context.createTexture();
    context.textureImage(32, 16, texels.data());
    context.textureFilter(filter, filter);
    context.enable(Capability::texture2D);
    if (reference) context.enable(Capability::depthTest);
    std::uniform_real_distribution<float> unit(0, 1);
    float z = -0.99f;
    for (int k = 0; k < 40; ++k, z += 0.01f) {
        if (k == 20) {
            context.enable(Capability::blend);
            context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
        }
        context.colour(unit(random), unit(random), 1, unit(random));
        const float x = unit(random) * 40 - 8, y = unit(random) * 40 - 8, size = 5 + unit(random) * 40;
        const float s = unit(random) * 8 - 4, t = k == 7 ? 1e8f : unit(random) * 8 - 4;
        const float reach = k % 3 == 0 ? 0.3f : 1 + unit(random) * 6;  // magnified or minified
        context.begin(Primitive::quads);
        context.texCoord(s, t);
        context.vertex(x, y, z);
        context.texCoord(s + reach, t + 0.2f);
        context.vertex(x + size, y, z);
        context.texCoord(s + reach, t + reach);
        context.vertex(x + size, y + size * 0.7f, z);
        context.texCoord(s - 0.1f, t + reach);
        context.vertex(x + 3, y + size * 0.7f, z);
        context.end();
    }
}

TEST(SoftwareFastPaths, TexturedSpansEightAtATimeGiveThePixelByPixelPicture)
{
    for (TextureFilter filter : {TextureFilter::nearest, TextureFilter::linear}) {
        SoftwareContext fast(side, side), reference(side, side);
        drawTextured(fast, false, filter);
        drawTextured(reference, true, filter);
        const std::vector<std::uint8_t> got = pictureOf(fast), want = pictureOf(reference);
        int differing = 0, drawn = 0;
        for (std::size_t k = 0; k < got.size(); ++k) {
            differing += got[k] != want[k];
            drawn += want[k] != 0;
        }
        EXPECT_EQ(differing, 0) << int(filter);
        EXPECT_GT(drawn, side * side * 2);
    }
}

}  // namespace
}  // namespace qelo::test
