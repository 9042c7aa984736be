// What the software renderer writes for a covered pixel: depth test, blend
// factors, culling, texturing (filters, repeat, modulate, perspective), and
// the state that carries from one call to the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/software/software_test_support.h"

namespace qelo::test {
namespace {

using software::SoftwareContext;

void depthQuad(SoftwareContext& context, float z, float red, float green)
{
    context.colour(red, green, 0, 1);
    context.begin(Primitive::quads);
    context.vertex(0, 0, z);
    context.vertex(8, 0, z);
    context.vertex(8, 8, z);
    context.vertex(0, 8, z);
    context.end();
}

TEST(SoftwareShading, TheNearerSurfaceWinsAndEqualDepthFails)
{
    SoftwareContext context(8, 8);
    pixelProjection(context);  // looking down -z: z = 0.5 is nearer than z = -0.5
    context.enable(Capability::depthTest);
    depthQuad(context, -0.5f, 1, 0);
    depthQuad(context, 0.5f, 0, 1);
    EXPECT_EQ(pixelAt(context, 3, 3), (Pixel{0, 255, 0, 255}));  // far drawn first, near replaces it
    depthQuad(context, -0.5f, 1, 0);
    EXPECT_EQ(pixelAt(context, 3, 3), (Pixel{0, 255, 0, 255}));  // far drawn after: hidden
    depthQuad(context, 0.5f, 1, 1);
    EXPECT_EQ(pixelAt(context, 3, 3), (Pixel{0, 255, 0, 255}));  // LESS: equal depth fails
    context.clear(ClearMask::depth);
    depthQuad(context, -0.5f, 1, 0);
    EXPECT_EQ(pixelAt(context, 3, 3), (Pixel{255, 0, 0, 255}));  // a cleared depth buffer is the farthest
    depthQuad(context, 0.5f, 0, 1);
    context.clear(ClearMask::colour);
    depthQuad(context, -0.5f, 1, 0);
    EXPECT_EQ(pixelAt(context, 3, 3), (Pixel{0, 0, 0, 0}));  // clearing the colour keeps the depths
    context.clear(ClearMask::colourAndDepth);
    depthQuad(context, -0.5f, 1, 0);
    EXPECT_EQ(pixelAt(context, 3, 3), (Pixel{255, 0, 0, 255}));
}

TEST(SoftwareShading, BlendFactorsWeighSourceAndDestinationInEightBits)
{
    auto mul = [](int a, int b) { return (a * b + 127) / 255; };  // round(a * b / 255)
    const int destination[4] = {200, 100, 50, 255};
    const int source[4] = {102, 204, 26, 77};  // 0.4, 0.8, 0.1, 0.3 in bytes
    const BlendFactor factors[4] = {BlendFactor::zero, BlendFactor::one, BlendFactor::sourceAlpha,
                                    BlendFactor::oneMinusSourceAlpha};
    auto weight = [&](BlendFactor f) {
        return f == BlendFactor::zero ? 0 : f == BlendFactor::one ? 255 : f == BlendFactor::sourceAlpha ? 77 : 178;
    };
    for (BlendFactor sf : factors)
        for (BlendFactor df : factors) {
            SoftwareContext context(8, 8);
            pixelProjection(context);
            context.colour(200 / 255.f, 100 / 255.f, 50 / 255.f, 1);
            rectangle(context, 0, 0, 8, 8);
            context.enable(Capability::blend);
            context.blendFunction(sf, df);
            context.colour(0.4f, 0.8f, 0.1f, 0.3f);
            rectangle(context, 0, 0, 8, 8);
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(pixelAt(context, 5, 2)[c],
                          std::min(255, mul(source[c], weight(sf)) + mul(destination[c], weight(df))))
                    << int(sf) << " " << int(df) << " channel " << c;
        }
}

TEST(SoftwareShading, CullingDropsClockwiseTrianglesOnly)
{
    SoftwareContext context(8, 8);
    pixelProjection(context);
    context.enable(Capability::cullFace);
    triangle(context, {0, 0}, {0, 8}, {8, 0});  // clockwise
    EXPECT_EQ(pixelAt(context, 1, 1)[3], 0);
    triangle(context, {0, 0}, {8, 0}, {0, 8});  // counter-clockwise
    EXPECT_EQ(pixelAt(context, 1, 1)[3], 255);
    context.clear(ClearMask::colour);
    context.disable(Capability::cullFace);
    triangle(context, {0, 0}, {0, 8}, {8, 0});
    EXPECT_EQ(pixelAt(context, 1, 1)[3], 255);
}

// A 2 x 2 texture: bottom row red, green; top row blue, white (alpha 255, 128 for white).
void checkerTexture(SoftwareContext& context, TextureFilter filter)
{
    const std::uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
    context.createTexture();
    context.textureImage(2, 2, texels);
    context.textureFilter(filter, filter);
    context.enable(Capability::texture2D);
}

void texturedSquare(SoftwareContext& context, float size, float repeats)
{
    context.begin(Primitive::quads);
    context.texCoord(0, 0);
    context.vertex(0, 0);
    context.texCoord(repeats, 0);
    context.vertex(size, 0);
    context.texCoord(repeats, repeats);
    context.vertex(size, size);
    context.texCoord(0, repeats);
    context.vertex(0, size);
    context.end();
}

TEST(SoftwareShading, NearestFilteringRepeatsAndModulates)
{
    SoftwareContext context(16, 16);
    pixelProjection(context);
    checkerTexture(context, TextureFilter::nearest);
    texturedSquare(context, 16, 2);  // each texel 4 x 4 pixels, twice over
    EXPECT_EQ(pixelAt(context, 1, 1), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(context, 6, 1), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(context, 1, 6), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(context, 14, 14), (Pixel{255, 255, 255, 128}));
    EXPECT_EQ(pixelAt(context, 9, 9), (Pixel{255, 0, 0, 255}));  // the second repeat

    context.colour(0.5f, 1, 0.25f, 0.5f);  // GL_MODULATE, alpha too
    texturedSquare(context, 16, 2);
    EXPECT_EQ(pixelAt(context, 14, 14), (Pixel{128, 255, 64, 64}));
    context.disable(Capability::texture2D);
    texturedSquare(context, 16, 2);
    EXPECT_EQ(pixelAt(context, 1, 1), (Pixel{128, 255, 64, 128}));
}

TEST(SoftwareShading, LinearFilteringWeighsTheFourNearestTexelsAcrossTheBorder)
{
    SoftwareContext context(8, 8);
    pixelProjection(context);
    checkerTexture(context, TextureFilter::linear);
    texturedSquare(context, 8, 1);
    // Pixel (1, 3): s = 0.1875, t = 0.4375 -> u = -0.125 (7/8 of column 0 and
    // 1/8 of column 1, wrapped), v = 0.375 (5/8 row 0, 3/8 row 1).
    const double red = (7 * 5 * 255.0 + 1 * 3 * 255.0) / 64, green = (1 * 5 * 255.0 + 1 * 3 * 255.0) / 64;
    const double blue = (7 * 3 * 255.0 + 1 * 3 * 255.0) / 64;
    const double alpha = (7 * 5 + 1 * 5 + 7 * 3) * 255.0 / 64 + 3 * 128.0 / 64;
    const Pixel got = pixelAt(context, 1, 3);
    EXPECT_NEAR(got[0], red, 1);
    EXPECT_NEAR(got[1], green, 1);
    EXPECT_NEAR(got[2], blue, 1);
    EXPECT_NEAR(got[3], alpha, 1);
    // No texture bound: texturing has no effect.
    context.bindTexture(0);
    context.colour(0.2f, 0.4f, 0.6f, 0.8f);
    texturedSquare(context, 8, 1);
    EXPECT_EQ(pixelAt(context, 1, 3), (Pixel{51, 102, 153, 204}));
}

TEST(SoftwareShading, TextureCoordinatesFollowThePerspective)
{
    // Eight stripes along s; a floor y = -1 from z = -1 (s = 0) to z = -9 (s = 1).
    std::vector<std::uint8_t> stripes;
    for (int k = 0; k < 8; ++k) stripes.insert(stripes.end(), {std::uint8_t(k * 30), 0, 0, 255});
    SoftwareContext context(64, 64);
    context.matrixMode(MatrixMode::projection);
    context.perspective(90, 1, 0.5, 100);
    context.matrixMode(MatrixMode::modelView);
    context.createTexture();
    context.textureImage(8, 1, stripes.data());
    context.textureFilter(TextureFilter::nearest, TextureFilter::nearest);
    context.enable(Capability::texture2D);
    context.begin(Primitive::quads);
    context.texCoord(0, 0.5f);
    context.vertex(-4, -1, -1);
    context.texCoord(1, 0.5f);
    context.vertex(-4, -1, -9);
    context.texCoord(1, 0.5f);
    context.vertex(4, -1, -9);
    context.texCoord(0, 0.5f);
    context.vertex(4, -1, -1);
    context.end();
    int checked = 0;
    for (int row = 0; row < 32; ++row) {
        // The ray through the row's centre meets the floor at z = 1 / y_ndc.
        const double yNdc = (row + 0.5) / 32 - 1;
        const double s = (-1 / yNdc - 1) / 8;
        if (s <= 0 || s >= 1) continue;
        const double texel = s * 8;
        if (std::abs(texel - std::round(texel)) < 0.2) continue;  // near a stripe's border
        EXPECT_EQ(pixelAt(context, 32, row)[0], int(texel) * 30) << "row " << row;
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

TEST(SoftwareShading, MatricesAndEnablesCarryAcrossCalls)
{
    SoftwareContext context(16, 16);
    pixelProjection(context);
    context.translate(8, 0, 0);
    context.pushMatrix();
    context.translate(0, 8, 0);
    context.matrixMode(MatrixMode::projection);  // a push there leaves the model-view alone
    context.pushMatrix();
    context.popMatrix();
    context.matrixMode(MatrixMode::modelView);
    context.colour(1, 0, 0, 1);
    rectangle(context, 0, 0, 4, 4);  // at (8, 8)
    context.popMatrix();
    context.colour(0, 1, 0, 1);
    rectangle(context, 0, 0, 4, 4);  // at (8, 0)
    EXPECT_EQ(pixelAt(context, 9, 9), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(context, 9, 1), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(context, 1, 1), (Pixel{0, 0, 0, 0}));

    context.popMatrix();  // the last matrix stays; said once on stderr
    context.enable(Capability::blend);
    context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    context.colour(0, 0, 1, 0.5f);
    rectangle(context, 0, 0, 4, 4);
    rectangle(context, 0, 0, 4, 4);  // blending and the colour held for the next primitive too
    // Alpha 0.5 is 128: green 255 -> 127 -> 63, blue 0 -> 128 -> 192, alpha 255 -> 191 -> 159.
    EXPECT_EQ(pixelAt(context, 9, 1), (Pixel{0, 63, 192, 159}));
}

TEST(SoftwareShading, TexturesKeepTheirImagesAndRefuseBadSizesOnce)
{
    SoftwareContext context(4, 4);
    const TextureId first = context.createTexture();
    const std::uint8_t image[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    context.textureImage(2, 2, image);
    const std::uint8_t corner[4] = {99, 98, 97, 96};
    context.textureSubImage(1, 1, corner);
    testing::internal::CaptureStderr();
    context.textureImage(3, 2, image);  // not a power of two: refused, the image kept
    context.textureImage(2, 6, image);
    context.textureSubImage(4, 1, corner);  // larger than the texture
    const std::string said = testing::internal::GetCapturedStderr();
    std::uint8_t back[16] = {};
    context.readTextureImage(back);
    EXPECT_EQ(std::vector<int>(back, back + 8), (std::vector<int>{99, 98, 97, 96, 5, 6, 7, 8}));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;  // each kind of misuse said once

    const TextureId second = context.createTexture();  // bound, still without an image
    EXPECT_NE(second, first);
    context.bindTexture(first);
    context.deleteTexture(first);
    std::uint8_t untouched[16] = {};
    testing::internal::CaptureStderr();
    context.readTextureImage(untouched);  // nothing bound any more
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(untouched[0], 0);
}

TEST(SoftwareShading, BindingAnUnknownNameMakesAnEmptyTextureOfThatName)
{
    SoftwareContext context(4, 4);
    context.bindTexture(2);  // a name made by another context
    const std::uint8_t image[16] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};
    testing::internal::CaptureStderr();
    context.textureImage(2, 2, image);
    std::uint8_t back[16] = {};
    context.readTextureImage(back);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(std::vector<int>(back, back + 16), std::vector<int>(image, image + 16));
    const TextureId first = context.createTexture(), second = context.createTexture(), third = context.createTexture();
    EXPECT_TRUE(first != 2 && second != 2 && third != 2 && first != second && second != third)
        << first << " " << second << " " << third;
    context.bindTexture(2);  // still there with its image
    context.readTextureImage(back);
    EXPECT_EQ(back[4], 50);
}

}  // namespace
}  // namespace qelo::test
