// Triangles in memory: what no driver comparison shows, that nothing is
// written outside the picture whatever the coordinates.
#include "render/software_triangles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace qelo {
namespace {

constexpr std::uint32_t white = 0xFFFFFFFFu;

// A 16 x 8 picture inside guard bytes that must stay untouched.
struct GuardedPicture {
    static constexpr std::size_t guard = 4096;
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(guard * 2 + 16 * 8 * 4, 0xAB);
    PictureView view() { return {bytes.data() + guard, 16, 8}; }
    bool guardsIntact() const
    {
        for (std::size_t i = 0; i < guard; ++i)
            if (bytes[i] != 0xAB || bytes[bytes.size() - 1 - i] != 0xAB) return false;
        return true;
    }
    int covered() const
    {
        int n = 0;
        for (std::size_t p = guard; p < bytes.size() - guard; p += 4) n += bytes[p] == 0xFF;
        return n;
    }
};

TEST(SoftwareTriangles, CoverNothingOutsideThePictureWhateverTheCoordinates)
{
    GuardedPicture picture;
    const float huge = 1e30f;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const WindowPoint far[][3] = {
        {{-huge, -huge}, {huge, -huge}, {0, huge}},            // the whole plane and beyond int range
        {{-40, -40}, {100, -40}, {-40, 100}},                 // over every edge
        {{8, 4}, {8, 4}, {8, 4}},                              // a point
        {{-1e9f, 3}, {1e9f, 3.5f}, {0, 1e9f}},
    };
    for (const auto& t : far) fillTriangle(picture.view(), t[0], t[1], t[2], white);
    EXPECT_TRUE(picture.guardsIntact());

    const ViewportTransform viewport = viewportTransform(0, 0, 16, 8);
    const ClipVertex bad[][3] = {
        {{nan, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}},
        {{0, 0, 0, inf}, {1, 0, 0, 1}, {0, 1, 0, 1}},
        {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}},              // w = 0 everywhere
        {{-huge, 0, 0, 1e-30f}, {huge, 1, 0, 1}, {0, -huge, 0, -1}},
    };
    GuardedPicture clean;
    for (const auto& t : bad) drawTriangle(clean.view(), viewport, t[0], t[1], t[2], white);
    EXPECT_TRUE(clean.guardsIntact());
}

TEST(SoftwareTriangles, TwoHalvesOfASquareCoverItsPixelsWithoutGapOrSpill)
{
    // Corners on pixel corners: the pixels whose centres lie inside, 4 x 3.
    GuardedPicture picture;
    std::fill(picture.bytes.begin() + GuardedPicture::guard, picture.bytes.end() - GuardedPicture::guard, 0);
    fillTriangle(picture.view(), {2, 1}, {6, 1}, {6, 4}, white);
    fillTriangle(picture.view(), {2, 1}, {6, 4}, {2, 4}, white);
    EXPECT_EQ(picture.covered(), 12);
    EXPECT_TRUE(picture.guardsIntact());
}

TEST(SoftwareTriangles, ColoursRoundToTheNearestByte)
{
    EXPECT_EQ(unormByte(0.0f), 0);
    EXPECT_EQ(unormByte(1.0f), 255);
    EXPECT_EQ(unormByte(0.5f), 128);
    EXPECT_EQ(unormByte(-3.0f), 0);
    EXPECT_EQ(unormByte(7.0f), 255);
    EXPECT_EQ(packColour(1.0f, 0.0f, 0.0f, 0.4f), 0x660000FFu);
}

}  // namespace
}  // namespace qelo
