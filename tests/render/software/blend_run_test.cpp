// Runs of blended primitives of one colour, which the software renderer
// counts and applies later: the picture must be the one drawing them one by
// one gives. The reference draws the same load depth-tested, each primitive
// nearer than the last (the depth test always passes, blending unchanged),
// which is never deferred.
#include <gtest/gtest.h>

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

TEST(SoftwareBlendRuns, CountedRunsGiveThePictureOfDrawingOneByOne)
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

TEST(SoftwareBlendRuns, ClearingDropsCountedBlendsAndOtherDrawsComeAfterThem)
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

}  // namespace
}  // namespace qelo::test
