#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "libjpeg_codec.h"
#include "picture/jpeg_file.h"
#include "picture/portrait.h"
#include "picture/tiles.h"

namespace {

using namespace qelo::assetgen;
using DecodedJpeg = qelo::jpegtest::Rgba;  // RGBA, opaque

const std::filesystem::path pictureDir = std::filesystem::path(QELO_DATA_DIR) / "grafiikkaa";

std::vector<std::uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DecodedJpeg decodeJpeg(const std::vector<std::uint8_t>& file)
{
    DecodedJpeg decoded;
    EXPECT_TRUE(qelo::jpegtest::decodeWithLibjpeg(file, decoded));
    return decoded;
}

std::string portraitFile(int i) { return "ihminen" + std::to_string(i + 1) + ".jpg"; }
std::string tileFile(int i) { return "tile" + std::to_string(i + 1) + ".jpg"; }

// What the show makes of a pixel: its opacity is the mean of R, G and B.
int opacity(const DecodedJpeg& d, int x, int y)
{
    const auto* p = &d.pixels[(static_cast<std::size_t>(y) * d.width + x) * 4];
    return (p[0] + p[1] + p[2]) / 3;
}

double fractionWithOpacity(const DecodedJpeg& d, int from, int to)
{
    int n = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            n += opacity(d, x, y) >= from && opacity(d, x, y) <= to;
    return static_cast<double>(n) / (d.width * d.height);
}

// Byte equality with a fresh drawing also proves the drawing deterministic.
TEST(Pictures, ShippedFilesAreWhatTheGeneratorMakesNow)
{
    for (int i = 0; i < portraitCount; ++i)
        EXPECT_TRUE(readFile(pictureDir / portraitFile(i)) == encodeJpeg(drawPortrait(portraitStyle(i))))
            << portraitFile(i) << " is stale: regenerate data/";
    for (int i = 0; i < tileCount; ++i)
        EXPECT_TRUE(readFile(pictureDir / tileFile(i)) == encodeJpeg(drawTile(i)))
            << tileFile(i) << " is stale: regenerate data/";
}

TEST(Pictures, PortraitsAreBrightFiguresOnSeeThroughBlack)
{
    for (int i = 0; i < portraitCount; ++i) {
        const DecodedJpeg d = decodeJpeg(readFile(pictureDir / portraitFile(i)));
        // Top corners are background: transparent in the show.
        EXPECT_LT(opacity(d, 2, 2), 12) << portraitFile(i);
        EXPECT_LT(opacity(d, d.width - 3, 2), 12) << portraitFile(i);
        // The figure is large and bright enough to be seen at opacity = brightness.
        EXPECT_GT(fractionWithOpacity(d, 110, 255), 0.35) << portraitFile(i);
        // The face is solid.
        int sum = 0, count = 0;
        for (int y = 170; y < 230; ++y)
            for (int x = 108; x < 148; ++x, ++count)
                sum += opacity(d, x, y);
        EXPECT_GT(sum / count, 110) << portraitFile(i);
    }
}

TEST(Pictures, PortraitsDifferClearlyFromEachOther)
{
    std::vector<DecodedJpeg> all;
    for (int i = 0; i < portraitCount; ++i)
        all.push_back(decodeJpeg(readFile(pictureDir / portraitFile(i))));
    for (int a = 0; a < portraitCount; ++a) {
        for (int b = a + 1; b < portraitCount; ++b) {
            ASSERT_EQ(all[a].pixels.size(), all[b].pixels.size());
            double sum = 0;  // over R, G and B
            for (std::size_t k = 0; k < all[a].pixels.size(); ++k)
                sum += std::abs(int(all[a].pixels[k]) - int(all[b].pixels[k]));
            EXPECT_GT(sum / static_cast<double>(all[a].pixels.size() / 4 * 3), 25.0) << portraitFile(a) << " vs " << portraitFile(b);
        }
    }
}

TEST(Pictures, TilesHaveBothSolidAndSeeThroughParts)
{
    for (int i = 0; i < tileCount; ++i) {
        const DecodedJpeg d = decodeJpeg(readFile(pictureDir / tileFile(i)));
        EXPECT_GT(fractionWithOpacity(d, 0, 25), 0.2) << tileFile(i);
        EXPECT_GT(fractionWithOpacity(d, 110, 255), 0.2) << tileFile(i);
    }
}

}  // namespace
