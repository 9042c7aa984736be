// Pixel work handed to the queue's thread gives the pictures of doing it at
// once: in order within a context, around texture changes, clears and reads
// of the picture, while another context draws on its own thread because
// the queue is behind.
#include "render/software/raster_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "render/software/software_test_support.h"

namespace qelo::test {
namespace {

using software::RasterQueue;
using software::SoftwareContext;

constexpr int side = 256;

std::vector<std::uint8_t> pictureOf(const SoftwareContext& context)
{
    const std::uint8_t* p = context.picture();
    return {p, p + side * side * 4};
}

std::vector<std::uint8_t> texels(std::uint8_t seed)
{
    std::vector<std::uint8_t> rgba(16 * 16 * 4);
    for (std::size_t k = 0; k < rgba.size(); ++k) rgba[k] = static_cast<std::uint8_t>(k * 7 + seed * 31);
    return rgba;
}

// Textured quads where many pixels see only quads drawn before the
// texture changed.
void texturedQuads(SoftwareContext& context, std::mt19937& random, int count)
{
    std::uniform_real_distribution<float> unit(-side / 3.0f, side);
    for (int k = 0; k < count; ++k) {
        const float x = unit(random), y = unit(random);
        context.begin(Primitive::quads);
        context.texCoord(0, 0), context.vertex(x, y);
        context.texCoord(3, 0), context.vertex(x + side / 3.0f, y);
        context.texCoord(3, 2), context.vertex(x + side / 3.0f, y + side / 3.0f);
        context.texCoord(0, 2), context.vertex(x, y + side / 3.0f);
        context.end();
    }
}

// Work on `a` queued, and not yet run, when its texture changes, when it is
// cleared and when `b` is cleared; the pictures of both, read mid-way and
// at the end.
std::vector<std::vector<std::uint8_t>> drawBoth(SoftwareContext& a, SoftwareContext& b)
{
    std::vector<std::vector<std::uint8_t>> seen;
    std::mt19937 random(3);
    std::uniform_real_distribution<float> unit(0, side);
    for (SoftwareContext* context : {&a, &b}) pixelProjection(*context);

    a.createTexture();
    a.textureImage(16, 16, texels(1).data());
    a.enable(Capability::texture2D);
    a.enable(Capability::blend);
    a.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    texturedQuads(a, random, 60);
    a.textureImage(16, 16, texels(2).data());  // what the later quads sample
    texturedQuads(a, random, 60);
    seen.push_back(pictureOf(a));
    texturedQuads(a, random, 150);
    a.clear(ClearMask::colour);  // with those quads still queued
    texturedQuads(a, random, 30);
    a.disable(Capability::texture2D);

    b.clear(ClearMask::colourAndDepth);
    b.enable(Capability::depthTest);
    for (int k = 0; k < 200; ++k) {
        b.colour(unit(random) / side, 0.5f, 1 - unit(random) / side, 1);
        triangle(b, {unit(random), unit(random)}, {unit(random), unit(random)}, {unit(random), unit(random)});
    }

    a.colour(0.2f, 0.9f, 0.4f, 0.3f);  // a run of one blended colour: counted
    for (int k = 0; k < 400; ++k) rectangle(a, unit(random), unit(random), unit(random), unit(random));
    a.alternatePictures();  // the run, still queued, belongs to the first picture
    a.clear(ClearMask::colour);
    a.colour(0.9f, 0.1f, 0.4f, 0.6f);
    for (int k = 0; k < 100; ++k) rectangle(a, unit(random), unit(random), unit(random), unit(random));
    seen.push_back(pictureOf(a));
    a.alternatePictures();
    seen.push_back(pictureOf(a));
    seen.push_back(pictureOf(b));
    return seen;
}

TEST(SoftwareRasterQueue, QueuedWorkGivesThePicturesOfWorkDoneAtOnce)
{
    SoftwareContext directA(side, side, nullptr), directB(side, side, nullptr);
    const auto want = drawBoth(directA, directB);
    RasterQueue queue;
    for (int round = 0; round < 3; ++round) {  // the threads meet differently each time
        SoftwareContext queuedA(side, side, &queue), queuedB(side, side, &queue);
        const auto got = drawBoth(queuedA, queuedB);
        for (std::size_t k = 0; k < want.size(); ++k) {
            int differing = 0;
            for (std::size_t i = 0; i < want[k].size(); ++i) differing += got[k][i] != want[k][i];
            EXPECT_EQ(differing, 0) << "picture " << k << ", round " << round;
        }
    }
}

}  // namespace
}  // namespace qelo::test
