// What the scenes draw in their targets, and the state they hand to the next
// routine drawing in the same target, through each renderer. The state is
// seen by what a probe quad then draws in it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "effects/effects.h"
#include "effects/dot_grid.h"
#include "effects/ring_stack.h"
#include "effects/ripple_planes.h"
#include "effects/square_swarm.h"
#include "effects/tile_wall.h"
#include "effects/tree_scene.h"
#include "gl/gl_fixture.h"
#include "render/current_drawing.h"
#include "render/image_texture.h"
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
        dotGridState() = {};
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

// A point of target k in its own frame (y from 0 at the top), 1024 pixels a unit.
Rgba at(const Pixels& pixels, double x, double y)
{
    return pixel(pixels, static_cast<int>(x * 1024.0), static_cast<int>(767.0 - y * 1024.0));
}

TEST_P(Scenes, DotGridDrawsGreyDiscsInRedRimsOnTheLattice)
{
    DrawingContext& calls = renderTargets.target(1).makeCurrent();
    // Left over from someone else: the routine clears and sets what it needs.
    calls.enable(Capability::depthTest);
    calls.colour(0.0f, 1.0f, 0.0f, 1.0f);
    DotGridState state;  // zero offsets at t = 0: dots centred on multiples of 0.1
    drawDotGrid(calls, state, 0.0f, 0.0);
    const Pixels pixels = picture(1);

    const double size = 0.4 * dotGridPulse(0.0f) + 0.9;
    const double inner = 0.05 * 0.5 * size;
    const double outer = 0.05 * 0.7 * size;
    for (const double cx : {0.1, 0.5, 0.9}) {
        for (const double cy : {0.1, 0.3, 0.6}) {
            const Rgba centre = at(pixels, cx + 0.3 * inner, cy);
            EXPECT_EQ(centre[3], 255) << cx << ", " << cy;  // grey is opaque
            EXPECT_NEAR(centre[0], centre[1], 1);
            EXPECT_NEAR(centre[1], centre[2], 1);
            const Rgba rim = at(pixels, cx, cy + 0.5 * (inner + outer));
            EXPECT_EQ(rim[1], 0);
            EXPECT_EQ(rim[2], 0);
            EXPECT_EQ(rim[0], 255);  // unblended: pure red, its strength in alpha
            EXPECT_EQ(at(pixels, cx + 0.05, cy + 0.05), (Rgba{0, 0, 0, 0}));
            EXPECT_EQ(at(pixels, cx, cy + outer + 0.004), (Rgba{0, 0, 0, 0}));
        }
    }
    const Probe after = probe(1);
    EXPECT_EQ(after.behind, after.front);
}

TEST_P(Scenes, DotGridScrollAndJitterShiftTheGrid)
{
    DotGridState state;
    state.scroll = 0.03f;  // reduced to an offset of -0.07: columns at 0.03, 0.13, ...
    state.jitter = 0.05f;  // reduced to -0.05: rows at 0.05, 0.15, ...
    drawDotGrid(renderTargets.target(1).makeCurrent(), state, 0.0f, 0.0);
    const Pixels pixels = picture(1);
    EXPECT_EQ(at(pixels, 0.14, 0.15)[3], 255);
    EXPECT_EQ(at(pixels, 0.13, 0.15 + 0.05)[3], 0);
    EXPECT_EQ(at(pixels, 0.1, 0.1)[3], 0);
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

TEST_P(Scenes, RingWidthBelowTheRadiusGivesABandAndFlareMovesTrailingEdgesOut)
{
    drawRing(ringView(), Vec3(0.0f, 0.0f, 0.0f), 1.5f, 2.0f, 100, 0.0f);
    const Pixels band = picture(2);
    EXPECT_FALSE(lit(band, 0.0f, 0.0f));
    EXPECT_FALSE(lit(band, 0.4f, 0.0f));
    EXPECT_TRUE(lit(band, 1.25f, 0.0f));
    EXPECT_TRUE(lit(band, 0.0f, 1.9f));
    EXPECT_TRUE(lit(band, -0.6f, 0.0f));
    EXPECT_FALSE(lit(band, 2.1f, 0.0f));

    // Four segments of a band 0.5 wide at radius 2, trailing edges 1 further
    // out: the first segment runs from angle 0 (+z) to 90 degrees (+x).
    drawRing(ringView(), Vec3(0.0f, 0.0f, 0.0f), 0.5f, 2.0f, 4, 1.0f);
    const Pixels flared = picture(2);
    EXPECT_TRUE(lit(flared, 0.0f, 1.9f));  // leading edge at +z, radius 1.5 to 2
    EXPECT_FALSE(lit(flared, 0.0f, 2.3f));
    EXPECT_TRUE(lit(flared, 2.7f, 0.05f));  // trailing edge near +x, radius 2.5 to 3
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

TEST_P(Scenes, RingStackLeavesAdditiveBlendingOfItsColour)
{
    ringView();
    ringStackEffect(0.0f, 0.0f, true, 0);
    EXPECT_GT(drawnPixels(picture(2)), 1000);
    // (0.5, g, 0.7, 0.2) added to the grey scaled by 0.8.
    const Probe after = probe(2);
    EXPECT_NEAR(after.front[0], 168, 1);
    EXPECT_NEAR(after.front[2], 219, 1);
    EXPECT_NEAR(after.front[3], 92, 1);
    expectNoDepthTestNorCulling(after);
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

// Three tiles of one opaque orange uploaded in target 4's context, as
// start-up does; the tile wall drawn at `localTime` into the cleared target.
class TileWall {
public:
    TileWall()
    {
        renderTargets.target(4).makeCurrent();
        const std::uint8_t orange[16] = {255, 128, 0, 255, 255, 128, 0, 255, 255, 128, 0, 255, 255, 128, 0, 255};
        for (ImageTexture& tile : tiles) tile.writePixels(orange, 2, 2);
    }
    Pixels draw(float localTime)
    {
        DrawingContext& calls = renderTargets.target(4).makeCurrent();
        calls.clear(ClearMask::colourAndDepth);
        drawTileWall(calls, state, localTime, tiles);
        return picture(4);
    }
    ImageTexture tiles[3];
    TileWallState state;
};

const Rgba orange{255, 128, 0, 255};
const Rgba clear{0, 0, 0, 0};

TEST_P(Scenes, TileWallAtTimeZeroCoversTwelveSquaresAndLeavesTexturingOff)
{
    TileWall wall;
    const Pixels pixels = wall.draw(0.0f);
    for (const float left : {0.3f, 0.41f, 0.52f, 0.63f, 0.74f, 0.85f}) {
        for (const float top : {0.3f, 0.41f}) {
            // Inside each square near its corners and at its middle.
            for (const float dx : {0.005f, 0.05f, 0.095f}) {
                for (const float dy : {0.005f, 0.05f, 0.095f}) {
                    EXPECT_TRUE(near(at(pixels, left + dx, top + dy), orange)) << left << ", " << top;
                }
            }
            // The 0.01 gaps to the right and below stay transparent.
            EXPECT_EQ(at(pixels, left + 0.105f, top + 0.05f), clear);
            EXPECT_EQ(at(pixels, left + 0.05f, top + 0.105f), clear);
        }
        // Nothing above the first row or below the second.
        EXPECT_EQ(at(pixels, left + 0.05f, 0.29f), clear);
        EXPECT_EQ(at(pixels, left + 0.05f, 0.525f), clear);
    }
    EXPECT_EQ(at(pixels, 0.29f, 0.35f), clear);
    EXPECT_EQ(at(pixels, 0.97f, 0.35f), clear);
    EXPECT_EQ(probe(4).front, (Rgba{255, 255, 255, 255}));  // white, not modulated by the tile
}

TEST_P(Scenes, TileWallWrapsBackToPointThreeAfterEachPitch)
{
    // Just before the wrap (x = 0.11 at t = 0.11 / 0.3): left edge at 0.41,
    // the sixth column up to 1.06.
    TileWall wall;
    const Pixels before = wall.draw(0.11f / 0.3f - 1e-4f);
    EXPECT_EQ(at(before, 0.40f, 0.35f), clear);
    EXPECT_TRUE(near(at(before, 0.42f, 0.35f), orange));
    EXPECT_TRUE(near(at(before, 0.999f, 0.35f), orange));
    // Three pitches and a bit travelled: the phase is 0.005 again.
    const Pixels after = wall.draw((3.0f * 0.11f + 0.005f) / 0.3f);
    EXPECT_EQ(at(after, 0.302f, 0.35f), clear);
    EXPECT_TRUE(near(at(after, 0.308f, 0.35f), orange));
    EXPECT_TRUE(near(at(after, 0.402f, 0.35f), orange));
    EXPECT_EQ(at(after, 0.410f, 0.35f), clear);
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
