#include "capture/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <vector>

namespace {

using namespace qelo;

struct ReadPicture {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> pixels;  // top row first
};

ReadPicture readPng(const std::string& path)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ReadPicture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    picture.channels = PNG_IMAGE_PIXEL_CHANNELS(image.format);
    image.format = picture.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    picture.pixels.resize(PNG_IMAGE_SIZE(image));
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) picture.pixels.clear();
    return picture;
}

struct PngWriterTest : ::testing::Test {
    std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("qelo-png-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    void SetUp() override { std::filesystem::create_directories(directory); }
    void TearDown() override { std::filesystem::remove_all(directory); }
};

// 3 x 2 RGBA, row 0 first in memory; every byte distinct.
std::vector<std::uint8_t> sample()
{
    std::vector<std::uint8_t> rgba(3 * 2 * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(10 * i + 1);
    return rgba;
}

TEST_F(PngWriterTest, GlReadBackOrderIsFlippedSoTheFileStartsAtTheTop)
{
    const auto rgba = sample();
    const std::string path = (directory / "a.png").string();
    ASSERT_EQ(writePng(path, {rgba.data(), 3, 2, true, true}), "");
    const ReadPicture read = readPng(path);
    ASSERT_EQ(read.width, 3);
    ASSERT_EQ(read.height, 2);
    ASSERT_EQ(read.channels, 4);
    // The file's first row is memory row 1 (the top of a bottom-up picture).
    EXPECT_TRUE(std::equal(read.pixels.begin(), read.pixels.begin() + 12, rgba.begin() + 12));
    EXPECT_TRUE(std::equal(read.pixels.begin() + 12, read.pixels.end(), rgba.begin()));
}

TEST_F(PngWriterTest, WithoutAlphaWritesRgbInRowOrder)
{
    const auto rgba = sample();
    const std::string path = (directory / "b.png").string();
    ASSERT_EQ(writePng(path, {rgba.data(), 3, 2, false, false}), "");
    const ReadPicture read = readPng(path);
    ASSERT_EQ(read.channels, 3);
    ASSERT_EQ(read.pixels.size(), 18u);
    for (int texel = 0; texel < 6; ++texel)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(read.pixels[texel * 3 + c], rgba[texel * 4 + c]) << texel;
}

TEST_F(PngWriterTest, FailuresAreReportedNotCrashed)
{
    const auto rgba = sample();
    EXPECT_NE(writePng((directory / "missing" / "c.png").string(), {rgba.data(), 3, 2, false, false}), "");
    EXPECT_NE(writePng((directory / "d.png").string(), {nullptr, 3, 2, false, false}), "");
    EXPECT_NE(writePng((directory / "e.png").string(), {rgba.data(), 0, 2, false, false}), "");
}

}  // namespace
