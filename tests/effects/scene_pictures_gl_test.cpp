// Through each renderer, what the golden frames cannot show: the state the
// routines sharing target 3 hand to each other on their first frames, and
// the rings and modes the schedule never asks for. The state is seen by what
// a probe quad then draws in it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "effects/effects.h"
#include "effects/ring_stack.h"
#include "effects/ripple_planes.h"
#include "effects/square_swarm.h"
#include "effects/tile_wall.h"
#include "effects/tree_scene.h"
#include "gl/gl_fixture.h"
#include "render/current_drawing.h"
#include "render/render_target_bank.h"
#include "shell/fake_counter.h"
#include "shell/globals.h"
#include "shell/random.h"
#include "shell/renderer_kind.h"

namespace qelo::test {
namespace {

using Pixels = std::vector<std::uint8_t>;

// The bank of five targets made for `kind` (the GL window exists either way).
void useRenderer(RendererKind kind)
{
    showContext();
    if (activeRenderer == kind) return;
    renderTargets.create(0);
    activeRenderer = kind;
    renderTargets.create(5);
}

class Scenes : public ::testing::TestWithParam<RendererKind> {
protected:
    void SetUp() override
    {
        useRenderer(GetParam());
        testing::useFakeCounter(1000);
        // Each test starts as at start-up, whichever ran before in this process.
        srand(1);
        ripplePlanesState() = {};
        squareSwarmState() = {};
        tileWallState() = {};
        treeSceneState() = {};
    }
    // Tests run by hand share the process: hand the GL bank back.
    void TearDown() override { useRenderer(RendererKind::gl); }
    testing::FakeCounterScope restoreCounter;
};

Pixels picture(int k)
{
    makeWindowCurrent();
    const std::uint8_t* p = renderTargets.readPicture(k);
    return Pixels(p, p + std::size_t(mainWindow.width) * mainWindow.height * 4);
}

Rgba pixel(const Pixels& pixels, int x, int y)
{
    const std::uint8_t* p = pixels.data() + (std::size_t(y) * mainWindow.width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

int drawnPixels(const Pixels& pixels)
{
    int drawn = 0;
    for (std::size_t i = 3; i < pixels.size(); i += 4) drawn += pixels[i] != 0;
    return drawn;
}

// What quads in the current colour do when drawn in the state a routine left
// in target k (its enables, blend function, colour, texture), over a grey of
// (51, 51, 51, 51) at middle depth: in front of it, behind it (kept only
// without depth test), and clockwise in front (dropped only by culling). The
// target is cleared first and its state is as before afterwards, but for
// the matrices' and the probe's pixels.
struct Probe {
    Rgba front, behind, clockwise;
};

Probe probe(int k)
{
    DrawingContext& calls = renderTargets.target(k).makeCurrent();
    calls.pushAttributes();
    calls.matrixMode(MatrixMode::projection);
    calls.pushMatrix();
    calls.loadIdentity();
    calls.ortho(0, 1024, 0, 768, -1, 1);
    calls.matrixMode(MatrixMode::modelView);
    calls.pushMatrix();
    calls.loadIdentity();
    calls.clear(ClearMask::colourAndDepth);
    calls.disable(Capability::blend);
    calls.disable(Capability::texture2D);
    calls.disable(Capability::cullFace);
    calls.enable(Capability::depthTest);
    calls.colour(0.2f, 0.2f, 0.2f, 0.2f);
    auto quad = [&](float left, float right, float z, bool clockwise) {
        calls.begin(Primitive::quads);
        calls.vertex(left, 0, z);
        calls.vertex(clockwise ? left : right, clockwise ? 100 : 0, z);
        calls.vertex(right, 100, z);
        calls.vertex(clockwise ? right : left, clockwise ? 0 : 100, z);
        calls.end();
    };
    quad(0, 300, 0, false);
    calls.popAttributes();
    quad(0, 100, 0.5f, false);  // z = 0.5 is nearer than 0
    quad(100, 200, -0.5f, false);
    quad(200, 300, 0.5f, true);
    calls.pushAttributes();
    calls.matrixMode(MatrixMode::projection);
    calls.popMatrix();
    calls.matrixMode(MatrixMode::modelView);
    calls.popMatrix();
    calls.popAttributes();
    const Pixels pixels = picture(k);
    return {pixel(pixels, 50, 50), pixel(pixels, 150, 50), pixel(pixels, 250, 50)};
}

// Depth test and culling off: every probe quad drawn alike.
void expectNoDepthTestNorCulling(const Probe& probe)
{
    EXPECT_EQ(probe.behind, probe.front);
    EXPECT_EQ(probe.clockwise, probe.front);
}

// Target 2 cleared, looking straight down the y axis at the x-z plane: one
// unit of x or z is 100 pixels, the origin at pixel (512, 384).
DrawingContext& ringView()
{
    DrawingContext& calls = renderTargets.target(2).makeCurrent();
    calls.clear(ClearMask::colourAndDepth);
    calls.matrixMode(MatrixMode::projection);
    calls.loadIdentity();
    calls.ortho(-5.12, 5.12, -3.84, 3.84, -10.0, 10.0);
    calls.matrixMode(MatrixMode::modelView);
    calls.loadIdentity();
    calls.rotate(-90.0f, 1.0f, 0.0f, 0.0f);  // +z of the ring plane points up the picture
    calls.disable(Capability::blend);
    calls.disable(Capability::texture2D);
    calls.disable(Capability::depthTest);
    calls.colour(1.0f, 1.0f, 1.0f, 1.0f);
    return calls;
}

bool lit(const Pixels& pixels, float x, float z)
{
    return pixel(pixels, 512 + int(std::lround(x * 100.0f)), 384 + int(std::lround(z * 100.0f)))[3] > 128;
}

// Width equal to, well beyond (a band from -2 to 1 would reach 2 on the far
// side) or NaN against the radius: a filled disc stopping at the radius.
TEST_P(Scenes, RingWidthAtLeastTheRadiusGivesAFilledDisc)
{
    DrawingContext& calls = ringView();
    drawRing(calls, Vec3(0.0f, 0.0f, 0.0f), 3.0f, 1.0f, 100, 0.0f);
    drawRing(calls, Vec3(3.0f, 0.0f, 0.0f), 1.0f, 1.0f, 100, 0.0f);
    drawRing(calls, Vec3(-3.0f, 0.0f, 1.0f), std::numeric_limits<float>::quiet_NaN(), 1.0f, 50, 0.0f);
    const Pixels pixels = picture(2);
    EXPECT_TRUE(lit(pixels, 0.0f, 0.0f));
    for (int k = 0; k < 8; ++k) {
        const float a = static_cast<float>(k) * 0.785f;
        EXPECT_TRUE(lit(pixels, 0.9f * std::sin(a), 0.9f * std::cos(a))) << k;
        EXPECT_FALSE(lit(pixels, 1.6f * std::sin(a), 1.6f * std::cos(a))) << k;
    }
    EXPECT_TRUE(lit(pixels, 3.0f, 0.0f));
    EXPECT_TRUE(lit(pixels, 3.0f, 0.7f));
    EXPECT_TRUE(lit(pixels, -3.0f, 1.0f));
}

TEST_P(Scenes, RingOfNoSegmentsDrawsNothingButStillDisablesCulling)
{
    DrawingContext& calls = ringView();
    calls.enable(Capability::cullFace);
    drawRing(calls, Vec3(0.0f, 0.0f, 0.0f), 0.5f, 2.0f, 0, 0.0f);
    EXPECT_EQ(drawnPixels(picture(2)), 0);
    const Probe after = probe(2);
    EXPECT_EQ(after.clockwise, after.front);
}

TEST_P(Scenes, UnscheduledRingStackModesLeaveTheTargetAlone)
{
    ringView().colour(1.0f, 1.0f, 1.0f, 0.5f);
    ringStackEffect(1.0f, 0.0f, true, 9);
    EXPECT_EQ(drawnPixels(picture(2)), 0);
    EXPECT_EQ(probe(2).front, (Rgba{255, 255, 255, 128}));  // still unblended
}

// One frame of one routine into target 3, cleared first as every frame is.
Pixels frame(void (*routine)(float, float, bool, std::int32_t), float localTime, bool firstFrame)
{
    renderTargets.clearAll();
    routine(localTime, 0.0f, firstFrame, 0);
    return picture(3);
}

TEST_P(Scenes, RipplesAddHalfWhiteRingsAndLeaveAdditiveWhite)
{
    DrawingContext& calls = renderTargets.target(3).makeCurrent();
    calls.enable(Capability::depthTest);
    calls.enable(Capability::texture2D);
    const Pixels pixels = frame(ripplePlanesEffect, 1.8f, true);
    // Overlapping half-white rings: some pixels brighter than one ring alone.
    int single = 0;
    int crossed = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        if (pixels[i + 3] == 128 || pixels[i + 3] == 127) ++single;
        if (pixels[i + 3] >= 190) ++crossed;
    }
    EXPECT_GT(single, 1000);
    EXPECT_GT(crossed, 100);

    // White at 0.5 added to the grey scaled by 0.5.
    const Probe after = probe(3);
    EXPECT_EQ(after.front[0], 255);
    EXPECT_NEAR(after.front[3], 153, 1);
    expectNoDepthTestNorCulling(after);
}

TEST_P(Scenes, SwarmAfterRipplesIsWhiteAtFortyPercentHoweverManySquaresOverlap)
{
    frame(ripplePlanesEffect, 1.8f, true);
    const Pixels pixels = frame(squareSwarmEffect, 3.0f, true);
    std::size_t covered = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const int r = pixels[i], g = pixels[i + 1], b = pixels[i + 2], a = pixels[i + 3];
        if (a == 0) {
            ASSERT_EQ(r + g + b, 0) << "pixel " << i / 4;
            continue;
        }
        ++covered;
        ASSERT_TRUE(r == 255 && g == 255 && b == 255 && a == 102)
            << "pixel " << i / 4 << ": " << r << " " << g << " " << b << " " << a;
    }
    EXPECT_GT(covered, 10000u);
    EXPECT_LT(covered, 1024u * 768u);
    const Probe after = probe(3);
    EXPECT_EQ(after.front, (Rgba{255, 255, 255, 102}));  // unblended
    expectNoDepthTestNorCulling(after);
}

// Half-transparent ground-ring pixels: no green (the tree and the sprites add
// some at this time), alpha well below the tree's opaque 255; `opaqueSum`
// counts those whose red + blue make a full 255.
struct RingPixels {
    std::size_t count = 0;
    std::size_t opaqueSum = 0;
};

RingPixels halfTransparentRings(const Pixels& pixels)
{
    RingPixels rings;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const int r = pixels[i], g = pixels[i + 1], b = pixels[i + 2], a = pixels[i + 3];
        if (g != 0 || a < 60 || a > 200 || b == 0) continue;
        ++rings.count;
        if (std::abs(r + b - 255) <= 2) ++rings.opaqueSum;
    }
    return rings;
}

TEST_P(Scenes, TreeSceneDrawsItsFirstRingsUnblendedAfterTheSwarm)
{
    frame(squareSwarmEffect, 1.0f, true);  // leaves blending off in target 3

    // Unblended, a ring of colour (1 - w, 0, w, 1 - w) is written as is: red
    // and blue add up to one. Blended with its own alpha over black, both
    // shrink by 1 - w.
    const RingPixels first = halfTransparentRings(frame(treeSceneEffect, 0.7f, true));
    ASSERT_GT(first.count, 1000u);
    EXPECT_GT(first.opaqueSum, first.count * 95 / 100);

    const RingPixels second = halfTransparentRings(frame(treeSceneEffect, 0.7f, false));
    ASSERT_GT(second.count, 1000u);
    EXPECT_LT(second.opaqueSum, second.count * 5 / 100);
    expectNoDepthTestNorCulling(probe(3));
}

TEST_P(Scenes, OtherTileWallModesLeaveTheTargetAndGeneratorAlone)
{
    DrawingContext& calls = renderTargets.target(4).makeCurrent();
    calls.enable(Capability::blend);
    calls.blendFunction(BlendFactor::one, BlendFactor::oneMinusSourceAlpha);
    calls.colour(1.0f, 1.0f, 1.0f, 0.5f);
    const std::uint32_t before = randState();
    tileWallEffect(2.0f, 0.1f, true, 1);
    EXPECT_EQ(randState(), before);
    EXPECT_FALSE(tileWallState().tileClock);
    EXPECT_EQ(drawnPixels(picture(4)), 0);
    EXPECT_NEAR(probe(4).front[3], 153, 1);  // still blending as before
}

INSTANTIATE_TEST_SUITE_P(BothRenderers, Scenes, ::testing::Values(RendererKind::gl, RendererKind::software),
                         [](const ::testing::TestParamInfo<RendererKind>& info) {
                             return info.param == RendererKind::gl ? "gl" : "software";
                         });

}  // namespace
}  // namespace qelo::test
