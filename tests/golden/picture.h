#pragma once
// Whole-frame regression pictures: 8-bit RGB read from and written to PNG,
// shrunk by box filtering, and compared with a per-channel tolerance.
#include <cstdint>
#include <string>
#include <vector>

namespace qelo {

struct RgbPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb;  // width x height x 3 bytes, top row first
};

// Reads any PNG as 8-bit RGB (alpha dropped). Returns an empty string on
// success, otherwise why not.
std::string readPng(const std::string& path, RgbPicture& picture);
// Writes an RGB PNG with full compression (these files are committed).
std::string writeRgbPng(const std::string& path, const RgbPicture& picture);

// Each factor x factor block becomes its mean, rounded to nearest. Width and
// height must be multiples of factor (factor >= 1); otherwise an empty picture.
RgbPicture boxShrink(const RgbPicture& picture, std::int32_t factor);

struct Tolerance {
    int levels = 4;                   // per channel, 0..255
    double outlierFraction = 0.01;    // of the pixels, allowed beyond `levels`
};

struct Comparison {
    bool sameSize = false;
    std::int64_t pixels = 0;
    std::int64_t outliers = 0;        // pixels with some channel beyond the tolerance
    int largestDifference = 0;        // over all channels, 0..255
    double meanDifference = 0;        // over all channels, in levels
    bool passes = false;
};

Comparison compare(const RgbPicture& expected, const RgbPicture& actual, Tolerance tolerance);

// |expected - actual| per channel, times gain (saturating), so that small
// differences show; pixels beyond the tolerance are marked by a full red channel.
RgbPicture differencePicture(const RgbPicture& expected, const RgbPicture& actual, Tolerance tolerance, int gain = 8);

}  // namespace qelo
