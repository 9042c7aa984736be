// Pictures of the swarm and the tree scene in target 3, and the GL state the
// two leave each other in that shared context.
#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "effects/square_swarm.h"
#include "effects/tree_scene.h"
#include "gl/gl_fixture.h"
#include "shell/fake_counter.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "timeline/scene_list.h"
#include "shell/random.h"

namespace qelo {
namespace {

using Pixels = std::vector<std::uint8_t>;

class SwarmAndTree : public test::ShowGlTest {
protected:
    // One frame of one routine into target 3, cleared first as every frame is.
    static Pixels frame(void (*routine)(float, float, bool, std::int32_t), float localTime, bool firstFrame)
    {
        renderTargets.clearAll();
        routine(localTime, 0.0f, firstFrame, 0);
        return test::targetPixels(3);
    }

    static bool enabledInTarget3(GLenum capability)
    {
        renderTargets.target(3).makeCurrent();
        const bool enabled = glIsEnabled(capability) == GL_TRUE;
        mainWindow.makeCurrent();
        return enabled;
    }
};

TEST_F(SwarmAndTree, SwarmPixelsAreWhiteAtFortyPercentHoweverManySquaresOverlap)
{
    const Pixels pixels = frame(squareSwarmEffect, 3.0f, true);
    std::size_t covered = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        const int r = pixels[i], g = pixels[i + 1], b = pixels[i + 2], a = pixels[i + 3];
        if (a == 0) {
            ASSERT_EQ(r + g + b, 0) << "pixel " << i / 4;
            continue;
        }
        ++covered;
        ASSERT_TRUE(r == 255 && g == 255 && b == 255 && a == 102) << "pixel " << i / 4 << ": " << r << " " << g
                                                                   << " " << b << " " << a;
    }
    EXPECT_GT(covered, 10000u);
    EXPECT_LT(covered, 1024u * 768u);
    EXPECT_FALSE(enabledInTarget3(GL_BLEND));
    EXPECT_FALSE(enabledInTarget3(GL_DEPTH_TEST));
}

// Half-transparent ground-ring pixels: no green (the tree and the sprites add
// some at this time), alpha well below the tree's opaque 255.
struct RingPixels {
    std::size_t count = 0;
    std::size_t opaqueSum = 0;  // pixels whose red + blue make a full 255
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

TEST_F(SwarmAndTree, TreeSceneDrawsItsFirstRingsUnblendedAfterTheSwarm)
{
    frame(squareSwarmEffect, 1.0f, true);  // leaves blending off in target 3

    // Unblended, a ring of colour (1 - w, 0, w, 1 - w) is written as is: red
    // and blue add up to one. Blended with its own alpha over black, both
    // shrink by 1 - w.
    const RingPixels first = halfTransparentRings(frame(treeSceneEffect, 0.7f, true));
    ASSERT_GT(first.count, 1000u);
    EXPECT_GT(first.opaqueSum, first.count * 95 / 100);

    EXPECT_TRUE(enabledInTarget3(GL_BLEND));
    EXPECT_FALSE(enabledInTarget3(GL_DEPTH_TEST));
    EXPECT_FALSE(enabledInTarget3(GL_TEXTURE_2D));

    const RingPixels second = halfTransparentRings(frame(treeSceneEffect, 0.7f, false));
    ASSERT_GT(second.count, 1000u);
    EXPECT_LT(second.opaqueSum, second.count * 5 / 100);
}

// A first swarm frame (its curve made from `pathSeed`) with the spin axis
// tilted by `tilt`, through GL or in memory; the generator's state after it
// in `after`.
Pixels swarmFrame(bool inMemory, std::int32_t pathSeed, float tilt, float localTime, std::uint32_t& after)
{
    SquareSwarmState& state = squareSwarmState();
    state.swarmSeed = pathSeed;
    state.tilt = tilt;
    state.reshapeClock.reset();
    state.tiltClock.reset();
    testing::useFakeCounter(5000);
    srand(12345);
    renderTargets.composeInMemory = inMemory;
    renderTargets.clearAll();
    squareSwarmEffect(localTime, 0.0f, true, 0);
    after = randState();
    renderTargets.composeInMemory = false;
    return test::targetPixels(3);
}

int differing(const Pixels& a, const Pixels& b)
{
    int n = 0;
    for (std::size_t p = 0; p < a.size(); p += 4) n += a[p] != b[p] || a[p + 1] != b[p + 1] || a[p + 2] != b[p + 2] || a[p + 3] != b[p + 3];
    return n;
}

// Tree frames through GL or in memory (the ground and the tree; GL's sprites
// over them), after a swarm frame as in the show; the generator's state
// after each in `after`. `leave`, if given, changes target 3's state after
// the swarm.
std::vector<Pixels> treeFrames(bool inMemory, std::vector<std::uint32_t>& after, void (*leave)() = nullptr)
{
    testing::useFakeCounter(5000);
    srand(777);
    renderTargets.composeInMemory = false;
    renderTargets.clearAll();
    squareSwarmEffect(1.0f, 0.0f, true, 0);
    if (leave) {
        renderTargets.target(3).makeCurrent();
        leave();
    }
    renderTargets.composeInMemory = inMemory;
    std::vector<Pixels> frames;
    bool first = true;
    for (const float time : {0.0f, 0.6f, 7.25f, 21.0f, 44.9f}) {
        renderTargets.clearAll();
        treeSceneEffect(time, 0.0f, first, 0);
        first = false;
        after.push_back(randState());
        frames.push_back(test::targetPixels(3));
    }
    renderTargets.composeInMemory = false;
    return frames;
}

}  // namespace
}  // namespace qelo
