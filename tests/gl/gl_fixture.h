#pragma once
// Headless GL for tests.
//
// Derive a test fixture from ShowGlTest (or call showContext() yourself): its
// SetUp makes, once per process, the show's window on SDL's offscreen driver
// (1024 x 768, an EGL pbuffer, Mesa llvmpipe, no X server) and the bank of
// five render targets exactly as start-up does, and makes the window's context
// current. ctest runs every test in a process of its own, so a test may leave
// any GL state behind; tests in one process (running the binary by hand)
// share the window and the targets.
//
// Pixels are RGBA bytes. Row 0 is the bottom row (GL's order) unless a name
// says "FromTop".
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace qelo::test {

using Rgba = std::array<int, 4>;

// Creates the window and the five targets on first use; the window's context
// is current on return. Fails the calling test if the window cannot be made.
void showContext();

// The window's back buffer (the 1024 x 768 viewport), row 0 at the bottom.
std::vector<std::uint8_t> windowPixels();
// One window pixel; y counts rows from the window's top edge.
Rgba windowPixelFromTop(int x, int y);
// Clears the window's colour and depth to black, as the frame loop does.
void clearWindow();

// Target k's picture through RenderTexture::readPixels: 1024 x 768, row 0 at
// the bottom (the target's own window coordinates). Leaves the window current.
std::vector<std::uint8_t> targetPixels(int k);
Rgba targetPixel(int k, int x, int y);

// Projection of one unit a pixel over the 1024 x 768 viewport, origin at the
// bottom left; identity model-view.
void orthoPixels();

// The 2D texture bound in the current context (0 for none).
unsigned boundTexture();
// Width of level 0 of texture `name` in the current context (binding it):
// 0 when the name holds no picture there.
int textureWidthIn(unsigned name);

// Whether two colours differ by at most `tolerance` in every channel.
bool near(const Rgba& a, const Rgba& b, int tolerance = 1);

class ShowGlTest : public ::testing::Test {
protected:
    void SetUp() override { showContext(); }
};

}  // namespace qelo::test
