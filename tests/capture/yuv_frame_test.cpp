// Frames to yuv420p: the vector path gives the scalar path's bytes for any
// size (odd columns and rows pair with themselves), and the primaries land
// where BT.601's video range puts them.
#include "capture/yuv_frame.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using namespace qelo;

std::vector<std::uint8_t> converted(const std::vector<std::uint8_t>& rgba, int width, int height, YuvPath path)
{
    std::vector<std::uint8_t> yuv(yuv420Bytes(width, height), 0xAA);
    rgbaToYuv420(rgba.data(), width, height, yuv.data(), path);
    return yuv;
}

TEST(YuvFrame, VectorPathMatchesScalarPathForEverySize)
{
    std::mt19937 random(11);
    for (const auto& [width, height] : {std::pair{48, 4}, {37, 5}, {17, 1}, {1, 3}}) {
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
        for (auto& byte : rgba) byte = static_cast<std::uint8_t>(random());
        EXPECT_EQ(converted(rgba, width, height, YuvPath::avx2), converted(rgba, width, height, YuvPath::scalar))
            << width << " x " << height;
    }
}

TEST(YuvFrame, PrimariesInTheVideoRange)
{
    // One 2 x 2 block each of white, black, red, green and blue, side by side.
    const std::uint8_t colours[5][3] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const int width = 10;
    std::vector<std::uint8_t> rgba(width * 2 * 4);
    for (int x = 0; x < width; ++x)
        for (int row = 0; row < 2; ++row)
            for (int c = 0; c < 4; ++c) rgba[(row * width + x) * 4 + c] = c < 3 ? colours[x / 2][c] : 7;
    const std::vector<std::uint8_t> yuv = converted(rgba, width, 2, YuvPath::scalar);
    const int expected[5][3] = {{235, 128, 128}, {16, 128, 128}, {81, 90, 240}, {145, 54, 34}, {41, 240, 110}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(yuv[2 * k], expected[k][0]) << k;
        EXPECT_EQ(yuv[width + 2 * k + 1], expected[k][0]) << k;
        EXPECT_EQ(yuv[2 * width + k], expected[k][1]) << k;
        EXPECT_EQ(yuv[2 * width + 5 + k], expected[k][2]) << k;
    }
}

}  // namespace
