// The software renderer drawing the show's three heaviest kinds of load into
// one 1024 x 768 SoftwareContext, each iteration one frame of it (clear
// included), on one core:
// - TreeFrame: 3000 small depth-tested, per-vertex-coloured triangles in
//   500 fans, 60 blended rings of 40 quads, 6 textured blended sprites of the
//   picture's full height, all in perspective;
// - LargeBlendedQuads: 1400 constant-colour blended quads of 400 x 300
//   pixels in a 2-D projection (about 210 full pictures of blending);
// - SmallSquares: 5000 blended squares of 12 x 12 pixels;
// - RingStack: 1400 quads of 400 x 300 pixels in one colour, GL_ONE /
//   GL_ONE_MINUS_SRC_ALPHA, no depth test, no texture (the ring stack's load);
// - TreeCones: the tree's branches as the show draws them: 3000 cones of 6
//   depth-tested triangles, each under its own push, translate, three
//   rotates and pop;
// - TileWall: 48 textured blended tiles of 100 x 100 pixels, a 256 x 256
//   texture minified with the linear filter.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "render/software/software_context.h"

namespace {

using qelo::BlendFactor;
using qelo::Capability;
using qelo::ClearMask;
using qelo::MatrixMode;
using qelo::Primitive;
using qelo::software::SoftwareContext;

constexpr int width = 1024, height = 768;

void perspectiveView(SoftwareContext& context)
{
    context.matrixMode(MatrixMode::projection);
    context.loadIdentity();
    context.perspective(45.0, 1.3333333333333333, 0.10000000149011612, 1000.0);
    context.matrixMode(MatrixMode::modelView);
    context.loadIdentity();
    context.lookAt(0, 2, 12, 0, 2, 0, 0, 1, 0);
}

void flatView(SoftwareContext& context)
{
    context.matrixMode(MatrixMode::projection);
    context.loadIdentity();
    context.ortho(0, 1, 0.75, 0, 0, 1);
    context.matrixMode(MatrixMode::modelView);
    context.loadIdentity();
}

void treeFrame(SoftwareContext& context, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0, 1);
    context.clear(ClearMask::colourAndDepth);
    perspectiveView(context);
    context.disable(Capability::blend);
    context.enable(Capability::depthTest);
    context.begin(Primitive::triangles);
    for (int fan = 0; fan < 500; ++fan) {  // branches: six-sided cones, a few pixels wide
        const float x = unit(random) * 10 - 5, y = unit(random) * 6 - 1, z = unit(random) * 6 - 3;
        for (int k = 0; k < 6; ++k) {
            const float a0 = k * 1.0472f, a1 = (k + 1) * 1.0472f;
            context.colour(0.3f, 0.2f + 0.1f * k, 0.1f, 1);
            context.vertex(x, y + 0.4f, z);
            context.colour(0.5f, 0.3f, 0.2f, 1);
            context.vertex(x + 0.1f * std::cos(a0), y, z + 0.1f * std::sin(a0));
            context.vertex(x + 0.1f * std::cos(a1), y, z + 0.1f * std::sin(a1));
        }
    }
    context.end();
    context.disable(Capability::depthTest);
    context.enable(Capability::blend);
    context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::one);
    for (int ring = 0; ring < 60; ++ring) {  // ground rings: 40 quads each
        const float radius = 0.5f + ring * 0.15f;
        context.colour(0.2f, 0.5f, 1.0f, 0.3f);
        context.begin(Primitive::quads);
        for (int k = 0; k < 40; ++k) {
            const float a0 = k * 0.157f, a1 = (k + 1) * 0.157f;
            context.vertex(radius * std::cos(a0), -1, radius * std::sin(a0));
            context.vertex(radius * std::cos(a1), -1, radius * std::sin(a1));
            context.vertex((radius + 0.1f) * std::cos(a1), -1, (radius + 0.1f) * std::sin(a1));
            context.vertex((radius + 0.1f) * std::cos(a0), -1, (radius + 0.1f) * std::sin(a0));
        }
        context.end();
    }
    context.enable(Capability::texture2D);
    context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    context.colour(1, 1, 1, 0.8f);
    for (int sprite = 0; sprite < 6; ++sprite) {  // portraits: full height, a sixth of the width each
        const float left = -6.5f + sprite * 2.2f;
        context.begin(Primitive::quads);
        context.texCoord(0, 0);
        context.vertex(left, -3, 0);
        context.texCoord(1, 0);
        context.vertex(left + 2, -3, 0);
        context.texCoord(1, 1);
        context.vertex(left + 2, 7, 0);
        context.texCoord(0, 1);
        context.vertex(left, 7, 0);
        context.end();
    }
    context.disable(Capability::texture2D);
}

void BM_SoftwareTreeFrame(benchmark::State& state)
{
    SoftwareContext context(width, height);
    std::vector<std::uint8_t> portrait(256 * 256 * 4);
    for (std::size_t k = 0; k < portrait.size(); ++k) portrait[k] = static_cast<std::uint8_t>(k * 7);
    context.createTexture();
    context.textureImage(256, 256, portrait.data());
    std::uint32_t seed = 1;
    for (auto _ : state) treeFrame(context, seed++);
}
BENCHMARK(BM_SoftwareTreeFrame)->Unit(benchmark::kMillisecond);

// `count` axis-aligned quads of size x size at random places of
// [0, spreadX) x [0, spreadY) in the flat view, blended with the factors
// given; each quad's own random colour at `alpha`, or one colour for all
// when `oneColour` (a run the renderer may count and apply later).
struct QuadLoad {
    int count;
    float spreadX, spreadY, sizeX, sizeY;
    BlendFactor source, destination;
    float alpha;
    bool oneColour;
};

void randomQuads(benchmark::State& state, const QuadLoad& load, std::uint32_t seed)
{
    SoftwareContext context(width, height);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0, 1);
    for (auto _ : state) {
        context.clear(ClearMask::colourAndDepth);
        flatView(context);
        context.enable(Capability::blend);
        context.blendFunction(load.source, load.destination);
        if (load.oneColour) context.colour(0.02f, 0.03f, 0.05f, load.alpha);
        context.begin(Primitive::quads);
        for (int k = 0; k < load.count; ++k) {
            const float x = unit(random) * load.spreadX, y = unit(random) * load.spreadY;
            if (!load.oneColour) context.colour(unit(random), unit(random), unit(random), load.alpha);
            context.vertex(x, y);
            context.vertex(x + load.sizeX, y);
            context.vertex(x + load.sizeX, y + load.sizeY);
            context.vertex(x, y + load.sizeY);
        }
        context.end();
        benchmark::DoNotOptimize(context.picture()[0]);
    }
}

// 1400 large quads of their own colours at alpha 0.1.
void BM_SoftwareLargeBlendedQuads(benchmark::State& state)
{
    randomQuads(state, {1400, 0.6f, 0.45f, 0.39f, 0.29f, BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha, 0.1f, false}, 2);
}
BENCHMARK(BM_SoftwareLargeBlendedQuads)->Unit(benchmark::kMillisecond);

// 5000 small opaque squares added.
void BM_SoftwareSmallSquares(benchmark::State& state)
{
    randomQuads(state, {5000, 1.0f, 0.75f, 0.0117f, 0.0117f, BlendFactor::one, BlendFactor::one, 1.0f, false}, 3);
}
BENCHMARK(BM_SoftwareSmallSquares)->Unit(benchmark::kMillisecond);

// The ring stack's load: 1400 large pieces of one colour added over each other.
void BM_SoftwareRingStack(benchmark::State& state)
{
    randomQuads(state, {1400, 0.6f, 0.45f, 0.39f, 0.29f, BlendFactor::one, BlendFactor::oneMinusSourceAlpha, 0.06f, true}, 4);
}
BENCHMARK(BM_SoftwareRingStack)->Unit(benchmark::kMillisecond);

void BM_SoftwareTileWall(benchmark::State& state)
{
    SoftwareContext context(width, height);
    std::vector<std::uint8_t> tile(256 * 256 * 4);
    for (std::size_t k = 0; k < tile.size(); ++k) tile[k] = static_cast<std::uint8_t>(k * 13 + k / 1024);
    context.createTexture();
    context.textureImage(256, 256, tile.data());
    for (auto _ : state) {
        context.clear(ClearMask::colourAndDepth);
        flatView(context);
        context.enable(Capability::blend);
        context.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
        context.enable(Capability::texture2D);
        context.colour(1, 1, 1, 0.9f);
        for (int k = 0; k < 48; ++k) {  // 8 x 6 tiles of 100 x 100 pixels
            const float x = (k % 8) * 0.125f + 0.01f, y = (k / 8) * 0.125f;
            context.begin(Primitive::quads);
            context.texCoord(0, 0);
            context.vertex(x, y);
            context.texCoord(1, 0);
            context.vertex(x + 100.0f / 1024, y);
            context.texCoord(1, 1);
            context.vertex(x + 100.0f / 1024, y + 100.0f / 1024);
            context.texCoord(0, 1);
            context.vertex(x, y + 100.0f / 1024);
            context.end();
        }
        context.disable(Capability::texture2D);
        benchmark::DoNotOptimize(context.picture()[0]);
    }
}
BENCHMARK(BM_SoftwareTileWall)->Unit(benchmark::kMillisecond);

void BM_SoftwareTreeCones(benchmark::State& state)
{
    SoftwareContext context(width, height);
    std::mt19937 random(6);
    std::uniform_real_distribution<float> unit(0, 1);
    for (auto _ : state) {
        context.clear(ClearMask::colourAndDepth);
        perspectiveView(context);
        context.enable(Capability::depthTest);
        for (int cone = 0; cone < 3000; ++cone) {
            context.pushMatrix();
            context.translate(unit(random) * 10 - 5, unit(random) * 6 - 1, unit(random) * 6 - 3);
            context.rotate(unit(random) * 360, 0, 1, 0);
            context.rotate(unit(random) * 90, 1, 0, 0);
            context.rotate(unit(random) * 360, 0, 1, 0);
            context.begin(Primitive::triangles);
            for (int k = 0; k < 6; ++k) {
                const float a0 = k * 1.0472f, a1 = (k + 1) * 1.0472f;
                context.colour(0.3f, 0.2f + 0.1f * k, 0.1f, 1);
                context.vertex(0, 0.3f, 0);
                context.colour(0.5f, 0.3f, 0.2f, 1);
                context.vertex(0.05f * std::cos(a0), 0, 0.05f * std::sin(a0));
                context.vertex(0.05f * std::cos(a1), 0, 0.05f * std::sin(a1));
            }
            context.end();
            context.popMatrix();
        }
        context.disable(Capability::depthTest);
        benchmark::DoNotOptimize(context.picture()[0]);
    }
}
BENCHMARK(BM_SoftwareTreeCones)->Unit(benchmark::kMillisecond);

}  // namespace
