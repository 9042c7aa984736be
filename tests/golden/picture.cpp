#include "picture.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qelo {

namespace {

int channelDifference(std::uint8_t a, std::uint8_t b)
{
    return std::abs(static_cast<int>(a) - static_cast<int>(b));
}

}  // namespace

std::string readPng(const std::string& path, RgbPicture& picture)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        std::string error = image.message[0] ? image.message : "not a PNG file";
        png_image_free(&image);
        return path + ": " + error;
    }
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<std::int32_t>(image.width);
    picture.height = static_cast<std::int32_t>(image.height);
    picture.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    // A black background for pictures with alpha, as the window shows them.
    png_color black{0, 0, 0};
    if (!png_image_finish_read(&image, &black, picture.rgb.data(), 0, nullptr)) {
        std::string error = image.message[0] ? image.message : "cannot decode";
        png_image_free(&image);
        picture = {};
        return path + ": " + error;
    }
    return {};
}

std::string writeRgbPng(const std::string& path, const RgbPicture& picture)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3)
        return path + ": empty or inconsistent picture";
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) != 0;
    std::string error;
    if (!ok) error = path + ": " + (image.message[0] ? image.message : "cannot write");
    png_image_free(&image);
    return error;
}

RgbPicture boxShrink(const RgbPicture& picture, std::int32_t factor)
{
    if (factor < 1 || picture.width <= 0 || picture.height <= 0 || picture.width % factor != 0 ||
        picture.height % factor != 0)
        return {};
    RgbPicture small;
    small.width = picture.width / factor;
    small.height = picture.height / factor;
    small.rgb.assign(static_cast<std::size_t>(small.width) * static_cast<std::size_t>(small.height) * 3, 0);
    const int area = factor * factor;
    for (std::int32_t y = 0; y < small.height; ++y) {
        for (std::int32_t x = 0; x < small.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (std::int32_t dy = 0; dy < factor; ++dy) {
                    const std::size_t row = static_cast<std::size_t>(y * factor + dy) * static_cast<std::size_t>(picture.width);
                    for (std::int32_t dx = 0; dx < factor; ++dx)
                        sum += picture.rgb[(row + static_cast<std::size_t>(x * factor + dx)) * 3 + static_cast<std::size_t>(c)];
                }
                small.rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(small.width) + static_cast<std::size_t>(x)) * 3 +
                          static_cast<std::size_t>(c)] = static_cast<std::uint8_t>((sum + area / 2) / area);
            }
        }
    }
    return small;
}

Comparison compare(const RgbPicture& expected, const RgbPicture& actual, Tolerance tolerance)
{
    Comparison result;
    result.sameSize = expected.width == actual.width && expected.height == actual.height &&
                      expected.rgb.size() == actual.rgb.size() && !expected.rgb.empty();
    if (!result.sameSize) return result;
    result.pixels = static_cast<std::int64_t>(expected.rgb.size() / 3);
    std::int64_t total = 0;
    for (std::size_t p = 0; p < expected.rgb.size(); p += 3) {
        int worst = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const int d = channelDifference(expected.rgb[p + c], actual.rgb[p + c]);
            worst = std::max(worst, d);
            total += d;
        }
        result.largestDifference = std::max(result.largestDifference, worst);
        if (worst > tolerance.levels) ++result.outliers;
    }
    result.meanDifference = static_cast<double>(total) / static_cast<double>(expected.rgb.size());
    result.passes = static_cast<double>(result.outliers) <= tolerance.outlierFraction * static_cast<double>(result.pixels);
    return result;
}

RgbPicture differencePicture(const RgbPicture& expected, const RgbPicture& actual, Tolerance tolerance, int gain)
{
    if (expected.width != actual.width || expected.height != actual.height || expected.rgb.size() != actual.rgb.size())
        return {};
    RgbPicture diff{expected.width, expected.height, std::vector<std::uint8_t>(expected.rgb.size(), 0)};
    for (std::size_t p = 0; p < expected.rgb.size(); p += 3) {
        int worst = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const int d = channelDifference(expected.rgb[p + c], actual.rgb[p + c]);
            worst = std::max(worst, d);
            diff.rgb[p + c] = static_cast<std::uint8_t>(std::min(255, d * gain));
        }
        if (worst > tolerance.levels) diff.rgb[p] = 255;
    }
    return diff;
}

}  // namespace qelo
