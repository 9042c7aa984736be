// The software renderer's fast paths against its one-pixel path: spans
// drawn eight or four pixels at a time and runs of blended primitives of one
// colour (counted and applied later) must give the very bytes of drawing
// pixel by pixel. The references draw one pixel at a time; for the runs,
// depth-tested too, each primitive nearer than the last (the test always
// passes, the colours are unchanged), which is never counted.
#include <gtest/gtest.h>

#include <cstdint>
#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "render/software/blend.h"
#include "render/software/software_test_support.h"
#include "render/software/span_lanes.h"

namespace qelo::test {
namespace {

using software::SoftwareContext;

constexpr int side = 64;

std::vector<std::uint8_t> pictureOf(const SoftwareContext& context)
{
    const std::uint8_t* p = context.picture();
    return {p, p + side * side * 4};
}

// Draws with draw(context, reference) as the reference (one pixel at a
// time) and fast, eight and four pixels at a time; expects the same bytes
// and a picture with something in it.
template <class Draw>
void expectSamePicture(Draw draw, const char* what)
{
    using software::SpanLanes;
    SoftwareContext reference(side, side);
    software::limitSpanLanes(SpanLanes::one);
    draw(reference, true);
    const std::vector<std::uint8_t> want = pictureOf(reference);
    int drawn = 0;
    for (std::uint8_t byte : want) drawn += byte != 0;
    EXPECT_GT(drawn, side * side) << what;
    for (SpanLanes lanes : {SpanLanes::four, SpanLanes::eight}) {
        SoftwareContext fast(side, side);
        software::limitSpanLanes(lanes);
        draw(fast, false);
        const std::vector<std::uint8_t> got = pictureOf(fast);
        int differing = 0;
        for (std::size_t k = 0; k < got.size(); ++k) differing += got[k] != want[k];
        EXPECT_EQ(differing, 0) << what << ", " << static_cast<int>(lanes) << " lanes";
    }
    software::limitSpanLanes(SpanLanes::eight);
}

// Overlapping triangles and quads, runs of one colour of various lengths;
// some pixels are covered hundreds of times, some start non-zero, alone or
// in runs. Without the background the first run starts on the clear
// picture, whose pixels the counting takes as zero unread; with only two
// runs (the first empty) its pixels are not drawn over afterwards.
void drawLoad(SoftwareContext& context, bool reference, BlendFactor source, BlendFactor destination,
              bool background, int runs)
{
    pixelProjection(context);
    context.colour(0.9f, 0.2f, 0.5f, 0.7f);
    if (background) {
        rectangle(context, 0, 0, side, side / 4.0f);  // a non-zero background at the bottom
        for (int x = 1; x < side; x += 7)  // and single columns of it above, among clear pixels
            rectangle(context, static_cast<float>(x), side / 4.0f, x + 1.0f, side / 2.0f);
    }
    if (reference) context.enable(Capability::depthTest);
    context.enable(Capability::blend);
    context.blendFunction(source, destination);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(0, 1);
    const float colours[3][4] = {{0.02f, 0.5f, 0.9f, 0.06f}, {0.3f, 0.3f, 0.1f, 0.5f}, {1, 1, 1, 1}};
    float z = -0.99f;
    for (int run = 0; run < runs; ++run) {
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
            if ((run == 1 || run == 7) && k == 20) pictureOf(context);  // reading the picture mid-run
        }
    }
}

TEST(SoftwareFastPaths, CountedBlendRunsGiveThePictureOfDrawingOneByOne)
{
    const BlendFactor pairs[3][2] = {{BlendFactor::one, BlendFactor::oneMinusSourceAlpha},
                                     {BlendFactor::sourceAlpha, BlendFactor::one},
                                     {BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha}};
    for (const auto& pair : pairs)
        for (const auto& [background, runs] : {std::pair{true, 12}, std::pair{false, 12}, std::pair{false, 2}})
            expectSamePicture(
                [&](SoftwareContext& context, bool reference) {
                    drawLoad(context, reference, pair[0], pair[1], background, runs);
                },
                background ? "counted runs" : "counted runs from a clear picture");
}

// An opaque colour under (sourceAlpha, oneMinusSourceAlpha), or any colour
// under (one, zero), is drawn without blending: which holds only because
// such a blend leaves exactly the colour, whatever lies beneath.
TEST(SoftwareFastPaths, ABlendWeighingTheColourOneAndTheBackgroundNoneLeavesTheColour)
{
    const software::FactorLine pairs[2][2] = {
        {software::factorLine(BlendFactor::sourceAlpha), software::factorLine(BlendFactor::oneMinusSourceAlpha)},
        {software::factorLine(BlendFactor::one), software::factorLine(BlendFactor::zero)}};
    for (const auto& pair : pairs)
        for (int colour = 0; colour < 256; ++colour)
            for (int beneath = 0; beneath < 256; ++beneath) {
                const auto c = static_cast<std::uint8_t>(colour), b = static_cast<std::uint8_t>(beneath);
                const std::uint8_t source[4] = {c, static_cast<std::uint8_t>(255 - c), 0, 255};
                std::uint8_t pixel[4] = {b, b, static_cast<std::uint8_t>(255 - b), b};
                software::blendPixel(pixel, source, pair[0], pair[1]);
                ASSERT_EQ(std::memcmp(pixel, source, 4), 0) << colour << " over " << beneath;
            }
}

// A colour of alpha 0 or less under (sourceAlpha, oneMinusSourceAlpha) is
// not drawn: every fragment, textured or not, would leave its pixel as it
// is. Under a blend that weighs such a source by 1 it is drawn, and with a
// depth test its depths are still written.
TEST(SoftwareFastPaths, AColourOfAlphaZeroUnderAnAlphaBlendChangesNothing)
{
    SoftwareContext context(16, 16);
    pixelProjection(context);
    context.colour(0.2f, 0.4f, 0.6f, 0.8f);
    rectangle(context, 2, 2, 14, 14);
    const std::vector<std::uint8_t> before(context.picture(), context.picture() + 16 * 16 * 4);
    const auto unchanged = [&] { return std::equal(before.begin(), before.end(), context.picture()); };

    const std::vector<std::uint8_t> texels(4 * 4 * 4, 200);  // opaque grey
    context.createTexture();
    context.textureImage(4, 4, texels.data());
    context.enable(Capability::blend);
    context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    for (const bool textured : {false, true}) {
        if (textured) context.enable(Capability::texture2D);
        for (const float alpha : {0.0f, -0.3f, std::nanf("")}) {
            context.colour(1, 1, 1, alpha);
            rectangle(context, 0, 0, 12, 12);
            triangle(context, {1, 15}, {15, 1}, {15, 15});
            EXPECT_TRUE(unchanged()) << textured << " " << alpha;
        }
        context.disable(Capability::texture2D);
    }

    context.blendFunction(BlendFactor::one, BlendFactor::oneMinusSourceAlpha);
    context.colour(1, 0, 0, 0);
    rectangle(context, 0, 0, 4, 4);
    EXPECT_EQ(pixelAt(context, 3, 3)[0], 255) << "added at full weight";

    context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    context.enable(Capability::depthTest);
    context.colour(0, 1, 0, 0);
    context.begin(Primitive::quads);  // near, unseen
    context.vertex(8, 8, 0.5f);
    context.vertex(16, 8, 0.5f);
    context.vertex(16, 16, 0.5f);
    context.vertex(8, 16, 0.5f);
    context.end();
    context.disable(Capability::blend);
    context.colour(0, 0, 1, 1);
    context.begin(Primitive::quads);  // farther: hidden where the unseen one lies
    context.vertex(4, 4, -0.5f);
    context.vertex(16, 4, -0.5f);
    context.vertex(16, 16, -0.5f);
    context.vertex(4, 16, -0.5f);
    context.end();
    EXPECT_EQ(pixelAt(context, 10, 10), (Pixel{51, 102, 153, 204})) << "behind the unseen quad";
    EXPECT_EQ(pixelAt(context, 5, 5), (Pixel{0, 0, 255, 255}));
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
// coordinates repeating, negative and beyond 2^23 (read as 0); some upright
// with t constant along their rows (as the tile wall's); in perspective
// (corners at different depths) or not.
void drawTextured(SoftwareContext& context, TextureFilter filter, bool perspective)
{
    pixelProjection(context);
    if (perspective) {  // the picture's pixels at depth 1 (tan 30 = 0.577), corners nearer and farther
        context.matrixMode(MatrixMode::projection);
        context.loadIdentity();
        context.perspective(60, 1, 0.4, 20);
        context.matrixMode(MatrixMode::modelView);
        context.loadIdentity();
        context.scale(1.1547f / side, 1.1547f / side, 1);
        context.translate(-side / 2.0f, -side / 2.0f, -1);
    }
    std::mt19937 random(8);
    std::vector<std::uint8_t> texels(32 * 16 * 4);
    for (auto& texel : texels) texel = static_cast<std::uint8_t>(random());
    context.createTexture();
    context.textureImage(32, 16, texels.data());
    context.textureFilter(filter, filter);
    context.enable(Capability::texture2D);
    std::uniform_real_distribution<float> unit(0, 1);
    for (int k = 0; k < 40; ++k) {
        if (k == 20) {
            context.enable(Capability::blend);
            context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
        }
        context.colour(unit(random), unit(random), 1, unit(random));
        if (k % 5 == 2) context.colour(1, 1, 1, 1);  // the texels as they are (the tile wall's)
        const float x = unit(random) * 40 - 8, y = unit(random) * 40 - 8, size = 5 + unit(random) * 40;
        float s = unit(random) * 8 - 4;
        const float t = k == 7 ? 1e8f : unit(random) * 8 - 4;
        float reach = k % 3 == 0 ? 0.3f : 1 + unit(random) * 6;  // magnified or minified
        bool upright = k % 4 == 1;
        if (k % 8 == 5) {  // as a tile: s within [0, 1) across, or up to 1
            if (k % 16 == 5) context.colour(1, 1, 1, 1);
            s = unit(random) * 0.3f;
            reach = k == 29 ? 1 - s : 0.6f;
            upright = true;
        }
        // Depths of the corners, in front of and behind the picture's plane.
        const float z0 = perspective ? unit(random) - 0.5f : 0, z1 = perspective ? unit(random) - 0.5f : 0;
        context.begin(Primitive::quads);
        context.texCoord(s, t);
        context.vertex(x, y, z0);
        context.texCoord(s + reach, upright ? t : t + 0.2f);
        context.vertex(x + size, y, z1);
        context.texCoord(s + reach, t + reach);
        context.vertex(x + size, y + size * 0.7f, z1);
        context.texCoord(upright ? s : s - 0.1f, t + reach);
        context.vertex(upright ? x : x + 3, y + size * 0.7f, z0);
        context.end();
    }
}

// Upright tiles 58 pixels wide whose s at the first pixel's centre lies in
// [0, 1) and runs to 0.7, to exactly 1 at the right edge, past 1 at the last
// pixel only (1.015) or at the last dozen (1.2), or on beyond 2^23 (where s
// reads as 0; its left edge is far below 0 for the first centre to be 0.5):
// where s stays below 1 the texture is not wrapped, elsewhere it must be.
void drawTiles(SoftwareContext& context)
{
    pixelProjection(context);
    std::mt19937 random(9);
    std::vector<std::uint8_t> texels(32 * 16 * 4);
    for (auto& texel : texels) texel = static_cast<std::uint8_t>(random());
    context.createTexture();
    context.textureImage(32, 16, texels.data());
    context.enable(Capability::texture2D);
    context.enable(Capability::blend);
    context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    const float ends[5] = {0.7f, 1.0f, 1.015f, 1.2f, 3e8f};
    for (int k = 0; k < 5; ++k) {
        const float bottom = 2 + 12 * k;
        const float s = k < 4 ? 0.1f : static_cast<float>((0.5 - 3e8 / 116) * 116 / 115);
        context.begin(Primitive::quads);
        context.texCoord(s, 0.2f);
        context.vertex(3, bottom);
        context.texCoord(ends[k], 0.2f);
        context.vertex(61, bottom);
        context.texCoord(ends[k], 0.9f);
        context.vertex(61, bottom + 10);
        context.texCoord(s, 0.9f);
        context.vertex(3, bottom + 10);
        context.end();
    }
}

// Triangles with a colour per corner (or one colour each when `flat`), in
// perspective, depth-tested or not, blended or not, some reaching past the
// picture's sides.
void drawSmooth(SoftwareContext& context, bool depthTest, bool blend, bool flat)
{
    context.matrixMode(MatrixMode::projection);
    context.perspective(60, 1, 0.5, 20);
    context.matrixMode(MatrixMode::modelView);
    if (depthTest) context.enable(Capability::depthTest);
    if (blend) {
        context.enable(Capability::blend);
        context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    }
    std::mt19937 random(12);
    std::uniform_real_distribution<float> unit(0, 1);
    context.begin(Primitive::triangles);
    for (int k = 0; k < 300; ++k) {
        const float x = unit(random) * 8 - 4, y = unit(random) * 8 - 4, z = -2 - unit(random) * 8;
        for (int corner = 0; corner < 3; ++corner) {
            if (!flat || corner == 0)
                context.colour(unit(random) * 1.2f - 0.1f, unit(random), unit(random), unit(random));
            context.vertex(x + unit(random) * 4 - 2, y + unit(random) * 4 - 2, z + unit(random) * 6 - 3);
        }
    }
    context.end();
}

TEST(SoftwareFastPaths, SpansEightOrFourPixelsAtATimeGiveThePixelByPixelPicture)
{
    for (TextureFilter filter : {TextureFilter::nearest, TextureFilter::linear})
        for (bool perspective : {false, true})
            expectSamePicture([&](SoftwareContext& context, bool) { drawTextured(context, filter, perspective); },
                              perspective ? "textured in perspective" : "textured");
    expectSamePicture([](SoftwareContext& context, bool) { drawTiles(context); }, "tiles");
    for (bool flat : {false, true}) {
        SCOPED_TRACE(flat ? "one colour a triangle" : "a colour a corner");
        for (bool depthTest : {false, true})
            for (bool blend : {false, true})
                expectSamePicture(
                    [&](SoftwareContext& context, bool) { drawSmooth(context, depthTest, blend, flat); },
                    depthTest ? (blend ? "depth, blend" : "depth") : (blend ? "blend" : "plain"));
    }
}

}  // namespace
}  // namespace qelo::test
