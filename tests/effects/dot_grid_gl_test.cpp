// The dot grid's picture in target 1: grey discs in red rims on transparency.
#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "effects/dot_grid.h"
#include "gl/gl_fixture.h"
#include "shell/fake_counter.h"
#include "shell/globals.h"
#include "shell/random.h"

namespace qelo::test {
namespace {

class DotGridPicture : public ShowGlTest {
protected:
    void SetUp() override
    {
        ShowGlTest::SetUp();
        testing::useFakeCounter(1000);
        renderTargets.target(1).makeCurrent();
    }
    testing::FakeCounterScope restoreCounter;
};

// A point of target 1 in its own frame (y from 0 at the top), 1024 pixels a unit.
Rgba at(double x, double y)
{
    return targetPixel(1, static_cast<int>(x * 1024.0), static_cast<int>(767.0 - y * 1024.0));
}

TEST_F(DotGridPicture, GreyDiscsInRedRimsOnTheLattice)
{
    // Zero offsets at t = 0: dots centred on multiples of 0.1.
    DotGridState state;
    // Left over from someone else: the routine clears and sets what it needs.
    glEnable(GL_DEPTH_TEST);
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    drawDotGrid(state, 0.0f, 0.0);

    const double size = 0.4 * dotGridPulse(0.0f) + 0.9;
    const double inner = 0.05 * 0.5 * size;
    const double outer = 0.05 * 0.7 * size;
    for (const double cx : {0.1, 0.5, 0.9}) {
        for (const double cy : {0.1, 0.3, 0.6}) {
            const Rgba centre = at(cx + 0.3 * inner, cy);
            EXPECT_EQ(centre[3], 255) << cx << ", " << cy;  // grey is opaque
            EXPECT_NEAR(centre[0], centre[1], 1);
            EXPECT_NEAR(centre[1], centre[2], 1);
            const Rgba rim = at(cx, cy + 0.5 * (inner + outer));
            EXPECT_EQ(rim[1], 0);
            EXPECT_EQ(rim[2], 0);
            EXPECT_EQ(rim[0], 255);  // unblended: pure red, its strength in alpha
            // Between the dots: transparent.
            EXPECT_EQ(at(cx + 0.05, cy + 0.05), (Rgba{0, 0, 0, 0}));
            EXPECT_EQ(at(cx, cy + outer + 0.004), (Rgba{0, 0, 0, 0}));
        }
    }
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(DotGridPicture, ScrollAndJitterShiftTheGrid)
{
    DotGridState state;
    state.scroll = 0.03f;  // reduced to an offset of -0.07: columns at 0.03, 0.13, ...
    state.jitter = 0.05f;  // reduced to -0.05: rows at 0.05, 0.15, ...
    drawDotGrid(state, 0.0f, 0.0);
    EXPECT_EQ(at(0.14, 0.15)[3], 255);
    EXPECT_EQ(at(0.13, 0.15 + 0.05)[3], 0);
    EXPECT_EQ(at(0.1, 0.1)[3], 0);
}

TEST_F(DotGridPicture, InMemoryTheGridHasTheDriversPixelsAndDrawsTheSame)
{
    // Frames with the grid cut by every edge of the view, at several pulses;
    // the paced tests due (fake time moves on between frames).
    const std::vector<std::uint8_t> cleared(1024u * 768u * 4u, 0);
    DotGridState gl;
    gl.scroll = 0.0437f;
    gl.jitter = 7.31f;
    DotGridState memory = gl;
    std::vector<std::uint8_t> picture(1024u * 768u * 4u, 7);
    const float times[] = {0.0f, 1.37f, 2.9f, 14.05f, 33.3f};
    for (const float t : times) {
        testing::fakeMilliseconds += 150;
        const std::uint32_t seed = 12345u + static_cast<std::uint32_t>(t * 100);
        const std::uint32_t counterAtFrame = testing::fakeMilliseconds;

        srand(seed);
        renderTargets.target(1).makeCurrent();
        drawDotGrid(gl, t, 0.016);
        const std::uint32_t afterGl = randState();

        testing::fakeMilliseconds = counterAtFrame;
        srand(seed);
        drawDotGridInMemory(memory, t, 0.016, {picture.data(), 1024, 768});
        EXPECT_EQ(randState(), afterGl) << t;
        EXPECT_EQ(memory.scroll, gl.scroll);
        EXPECT_EQ(memory.jitter, gl.jitter);

        const std::vector<std::uint8_t> driver = targetPixels(1);
        int differing = 0;
        for (std::size_t p = 0; p < picture.size(); p += 4)
            if (std::memcmp(&picture[p], &driver[p], 4) != 0) ++differing;
        EXPECT_EQ(differing, 0) << t;
        EXPECT_NE(picture, cleared);
    }
}

}  // namespace
}  // namespace qelo::test
