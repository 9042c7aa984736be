// The comparison behind the golden frames: what it lets through (driver
// rounding) and what it must catch (a changed scene), and the shrinking that
// makes the first small.
#include <gtest/gtest.h>

#include <filesystem>

#include "picture.h"

namespace qelo {
namespace {

RgbPicture flat(std::int32_t width, std::int32_t height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    RgbPicture p{width, height, {}};
    for (std::int32_t i = 0; i < width * height; ++i) p.rgb.insert(p.rgb.end(), {r, g, b});
    return p;
}

void setPixel(RgbPicture& p, std::int32_t x, std::int32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) + static_cast<std::size_t>(x)) * 3;
    p.rgb[i] = r;
    p.rgb[i + 1] = g;
    p.rgb[i + 2] = b;
}

TEST(GoldenShrink, AveragesEachBlockRoundedToNearest)
{
    RgbPicture p = flat(8, 4, 0, 0, 0);
    // Top-left 4x4 block: one white pixel -> 255/16 = 15.9 -> 16.
    setPixel(p, 1, 2, 255, 255, 255);
    // Top-right block: half the block at 100 in red only.
    for (std::int32_t y = 0; y < 2; ++y)
        for (std::int32_t x = 4; x < 8; ++x) setPixel(p, x, y, 100, 0, 0);
    const RgbPicture small = boxShrink(p, 4);
    ASSERT_EQ(small.width, 2);
    ASSERT_EQ(small.height, 1);
    EXPECT_EQ(small.rgb, (std::vector<std::uint8_t>{16, 16, 16, 50, 0, 0}));
}

TEST(GoldenShrink, RefusesSizesNotDivisibleByTheFactor)
{
    EXPECT_TRUE(boxShrink(flat(10, 8, 1, 2, 3), 4).rgb.empty());
    EXPECT_TRUE(boxShrink(flat(8, 8, 1, 2, 3), 0).rgb.empty());
    EXPECT_TRUE(boxShrink(RgbPicture{}, 4).rgb.empty());
}

TEST(GoldenCompare, PassesRoundingDifferencesWithinTheTolerance)
{
    const RgbPicture golden = flat(16, 16, 100, 150, 200);
    RgbPicture actual = golden;
    for (std::size_t i = 0; i < actual.rgb.size(); i += 2) actual.rgb[i] = static_cast<std::uint8_t>(actual.rgb[i] + 6);
    const Comparison c = compare(golden, actual, Tolerance{6, 0.0});
    EXPECT_TRUE(c.passes);
    EXPECT_EQ(c.outliers, 0);
    EXPECT_EQ(c.largestDifference, 6);
}

TEST(GoldenCompare, AllowsOnlyTheGivenFractionOfPixelsBeyondIt)
{
    const RgbPicture golden = flat(10, 10, 0, 0, 0);
    RgbPicture actual = golden;
    setPixel(actual, 3, 3, 0, 0, 7);  // one channel one level beyond
    EXPECT_TRUE(compare(golden, actual, Tolerance{6, 0.01}).passes);
    setPixel(actual, 4, 4, 200, 0, 0);
    const Comparison c = compare(golden, actual, Tolerance{6, 0.01});
    EXPECT_FALSE(c.passes);
    EXPECT_EQ(c.outliers, 2);
    EXPECT_EQ(c.largestDifference, 200);
}

TEST(GoldenCompare, FailsOnADifferentSizeOrAnEmptyPicture)
{
    EXPECT_FALSE(compare(flat(4, 4, 0, 0, 0), flat(4, 3, 0, 0, 0), Tolerance{}).passes);
    EXPECT_FALSE(compare(RgbPicture{}, RgbPicture{}, Tolerance{}).passes);
    EXPECT_TRUE(differencePicture(flat(4, 4, 0, 0, 0), flat(3, 4, 0, 0, 0), Tolerance{}).rgb.empty());
}

TEST(GoldenCompare, DifferencePictureAmplifiesAndMarksOutliersRed)
{
    RgbPicture golden = flat(2, 1, 10, 10, 10);
    RgbPicture actual = golden;
    setPixel(actual, 0, 0, 12, 10, 10);   // within: red 2 x 8
    setPixel(actual, 1, 0, 10, 10, 110);  // beyond: red marked, blue saturates
    const RgbPicture d = differencePicture(golden, actual, Tolerance{6, 0.0}, 8);
    EXPECT_EQ(d.rgb, (std::vector<std::uint8_t>{16, 0, 0, 255, 0, 255}));
}

TEST(GoldenPng, RoundTripsAndNamesUnreadableFiles)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qelo_golden_test";
    std::filesystem::create_directories(dir);
    RgbPicture p = flat(3, 2, 1, 2, 3);
    setPixel(p, 2, 1, 250, 128, 0);
    const std::string path = (dir / "p.png").string();
    ASSERT_EQ(writeRgbPng(path, p), "");
    RgbPicture back;
    ASSERT_EQ(readPng(path, back), "");
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.rgb, p.rgb);

    RgbPicture missing;
    const std::string error = readPng((dir / "none.png").string(), missing);
    EXPECT_NE(error.find("none.png"), std::string::npos);
    EXPECT_FALSE(writeRgbPng((dir / "bad.png").string(), RgbPicture{2, 2, {1, 2, 3}}).empty());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qelo
