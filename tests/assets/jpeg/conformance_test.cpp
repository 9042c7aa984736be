// qelo's decoder against libjpeg-turbo (float inverse DCT, nearest-neighbour
// upsampling) on pictures libjpeg encodes here, of every kind the decoder
// supports.
//
// The two round differently: qelo truncates and floors where libjpeg rounds,
// in the inverse DCT (samples up to 1 lower) and in the colour conversion
// (up to 1 lower again, after chroma errors are scaled by up to 1.772). So
// the comparison is made twice: the samples libjpeg decodes (grey, or Y, Cb,
// Cr before conversion) put through qelo's colour rule must match within 3;
// libjpeg's own RGB within 4, with qelo darker on average.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "assets/jpeg/decoder.h"
#include "jpeg_builder.h"
#include "libjpeg_codec.h"
#include "pixel_sink.h"

namespace qelo::jpegtest {
namespace {

struct Difference {
    int max = 256;
    double mean = 256;
};

Difference compare(const std::vector<std::uint8_t>& ours, const std::vector<std::uint8_t>& theirs)
{
    if (ours.size() != theirs.size() || ours.empty()) return {};
    Difference d{0, 0};
    long long total = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (i % 4 == 3) continue;
        const int diff = std::abs(int{ours[i]} - int{theirs[i]});
        d.max = std::max(d.max, diff);
        total += diff;
    }
    d.mean = static_cast<double>(total) / static_cast<double>(ours.size() / 4 * 3);
    return d;
}

// The decoder's colour rule applied to libjpeg's (Y, Cb, Cr) samples.
std::vector<std::uint8_t> convertedByQeloRule(std::vector<std::uint8_t> ycc)
{
    const auto clamp = [](float v) { return static_cast<std::uint8_t>(std::clamp(static_cast<int>(v), 0, 255)); };
    for (std::size_t i = 0; i < ycc.size(); i += 4) {
        const auto y = static_cast<float>(ycc[i]);
        const auto cb = static_cast<float>(ycc[i + 1] - 128);
        const auto cr = static_cast<float>(ycc[i + 2] - 128);
        ycc[i] = clamp(y + 1.402f * cr);
        ycc[i + 1] = clamp(y - 0.34414f * cb - 0.71414f * cr);
        ycc[i + 2] = clamp(y + 1.772f * cb);
    }
    return ycc;
}

void expectClose(const Bytes& jpeg, const std::string& what)
{
    PixelSink sink;
    const DecodeResult result = decode(sink, jpeg.data(), static_cast<std::int32_t>(jpeg.size()));
    ASSERT_TRUE(result) << what << ": " << result.error;
    ASSERT_EQ(sink.writes, 1);
    for (std::size_t i = 3; i < sink.pixels.size(); i += 4) ASSERT_EQ(sink.pixels[i], 255) << what;

    Rgba rgb, samples;
    ASSERT_TRUE(decodeWithLibjpeg(jpeg, rgb)) << what << ": libjpeg refused the stream";
    ASSERT_TRUE(decodeWithLibjpeg(jpeg, samples, true));
    ASSERT_EQ(sink.width, rgb.width) << what;
    ASSERT_EQ(sink.height, rgb.height) << what;
    const bool grey = rgb.components == 1;

    const Difference sameRule = compare(sink.pixels, grey ? samples.pixels : convertedByQeloRule(samples.pixels));
    EXPECT_LE(sameRule.max, grey ? 1 : 3) << what;
    // A mean over a handful of pixels says nothing; the bounds hold for any
    // picture of a block or more.
    const bool meanCounts = sink.width * sink.height >= 64;
    if (meanCounts) {
        EXPECT_LE(sameRule.mean, 1.25) << what;
    }
    const Difference own = compare(sink.pixels, rgb.pixels);
    EXPECT_LE(own.max, 4) << what;
    if (meanCounts) {
        EXPECT_LE(own.mean, 1.6) << what;
    }
}

EncodeOptions sampling(int h, int v)
{
    EncodeOptions options;
    options.lumaH = h;
    options.lumaV = v;
    return options;
}

// The marker segments of a stream up to SOS, as (marker, whole segment).
std::vector<std::pair<int, Bytes>> segmentsBeforeScan(const Bytes& jpeg, std::size_t& scanAt)
{
    std::vector<std::pair<int, Bytes>> segments;
    std::size_t at = 2;
    for (;;) {
        const int marker = jpeg.at(at + 1);
        const std::size_t length = std::size_t{jpeg.at(at + 2)} << 8 | jpeg.at(at + 3);
        if (marker == 0xDA) {
            scanAt = at;
            return segments;
        }
        segments.emplace_back(marker, Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(at), jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + length)));
        at += 2 + length;
    }
}

// The same stream with all DHT tables in one segment and all DQT tables in
// another, each standing where the first of its kind stood.
Bytes mergeTableSegments(const Bytes& jpeg)
{
    std::size_t scanAt = 0;
    const auto segments = segmentsBeforeScan(jpeg, scanAt);
    Bytes merged[2];  // DQT, DHT payloads
    int kinds[2] = {0, 0};
    for (const auto& [marker, bytes] : segments) {
        const int kind = marker == 0xDB ? 0 : (marker == 0xC4 ? 1 : -1);
        if (kind < 0) continue;
        merged[kind].insert(merged[kind].end(), bytes.begin() + 4, bytes.end());
        ++kinds[kind];
    }
    EXPECT_GE(kinds[0], 2);
    EXPECT_GE(kinds[1], 4);
    Bytes out = {0xFF, 0xD8};
    bool written[2] = {false, false};
    for (const auto& [marker, bytes] : segments) {
        const int kind = marker == 0xDB ? 0 : (marker == 0xC4 ? 1 : -1);
        if (kind < 0) {
            out.insert(out.end(), bytes.begin(), bytes.end());
        } else if (!written[kind]) {
            const std::size_t length = merged[kind].size() + 2;
            out.insert(out.end(), {0xFF, static_cast<std::uint8_t>(marker), static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
            out.insert(out.end(), merged[kind].begin(), merged[kind].end());
            written[kind] = true;
        }
    }
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(scanAt), jpeg.end());
    return out;
}

TEST(JpegConformance, GreyAndEveryChromaLayout)
{
    expectClose(encodeWithLibjpeg(photoLike(96, 64, 1, 1), {}), "grey");
    expectClose(encodeWithLibjpeg(photoLike(96, 64, 3, 2), sampling(1, 1)), "4:4:4");
    expectClose(encodeWithLibjpeg(photoLike(96, 64, 3, 3), sampling(2, 1)), "4:2:2");
    expectClose(encodeWithLibjpeg(photoLike(96, 64, 3, 4), sampling(2, 2)), "4:2:0");
    expectClose(encodeWithLibjpeg(photoLike(96, 64, 3, 5), sampling(1, 2)), "4:4:0");
    expectClose(encodeWithLibjpeg(photoLike(96, 64, 3, 6), sampling(4, 1)), "4:1:1");
}

TEST(JpegConformance, OddSizes)
{
    for (const auto& [width, height] : {std::pair{1, 1}, {17, 9}, {641, 479}, {9, 33}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        expectClose(encodeWithLibjpeg(photoLike(width, height, 3, 20), sampling(2, 2)), "4:2:0 " + size);
        expectClose(encodeWithLibjpeg(photoLike(width, height, 3, 21), sampling(2, 1)), "4:2:2 " + size);
        expectClose(encodeWithLibjpeg(photoLike(width, height, 3, 22), sampling(1, 1)), "4:4:4 " + size);
        expectClose(encodeWithLibjpeg(photoLike(width, height, 1, 23), {}), "grey " + size);
    }
}

TEST(JpegConformance, SixteenBitQuantisationTables)
{
    // Values above 255 make libjpeg write 16-bit tables and call the frame
    // extended (SOF1); the stream is baseline otherwise, so it is relabelled
    // SOF0 for both decoders.
    EncodeOptions options = sampling(2, 2);
    options.quality = 8;
    options.forceBaseline = false;
    for (const int channels : {1, 3}) {
        Bytes jpeg = encodeWithLibjpeg(photoLike(64, 48, channels, 40), options);
        std::size_t scanAt = 0;
        bool sixteenBit = false;
        for (const auto& [marker, bytes] : segmentsBeforeScan(jpeg, scanAt)) {
            if (marker == 0xDB) sixteenBit = sixteenBit || (bytes[4] >> 4) == 1;
        }
        ASSERT_TRUE(sixteenBit);
        const auto sof1 = std::search_n(jpeg.begin(), jpeg.end(), 1, 0xC1);
        ASSERT_TRUE(sof1 != jpeg.end() && sof1[-1] == 0xFF);
        *sof1 = 0xC0;
        expectClose(jpeg, "16-bit tables, channels " + std::to_string(channels));
    }
}

TEST(JpegConformance, SeveralTablesInOneDhtAndOneDqtSegment)
{
    const Bytes colour = encodeWithLibjpeg(photoLike(72, 40, 3, 50), sampling(2, 2));
    const Bytes merged = mergeTableSegments(colour);
    ASSERT_NE(merged, colour);
    expectClose(merged, "merged table segments");
    PixelSink separate, together;
    ASSERT_TRUE(decode(separate, colour.data(), static_cast<std::int32_t>(colour.size())));
    ASSERT_TRUE(decode(together, merged.data(), static_cast<std::int32_t>(merged.size())));
    EXPECT_EQ(separate.pixels, together.pixels);
}

TEST(JpegConformance, ApplicationAndCommentSegments)
{
    EncodeOptions options = sampling(2, 1);
    options.markers = {{0xE1, Bytes(200, 0xAB)}, {0xFE, {'q', 'e', 'l', 'o', 0xFF, 0xD9}}, {0xEF, Bytes(3, 0xFF)},
                       {0xFE, {}}};
    expectClose(encodeWithLibjpeg(photoLike(40, 24, 3, 60), options), "APPn and COM");
}

TEST(JpegConformance, ShippedPictures)
{
    // The show's own pictures, as committed in data/: portraits 256 x 512,
    // tiles 256 x 256, all 4:2:0 colour.
    const std::string directory = std::string(QELO_DATA_DIR) + "/grafiikkaa/";
    const std::pair<std::string, int> pictures[] = {{"ihminen1", 512}, {"ihminen2", 512}, {"ihminen3", 512}, {"ihminen4", 512},
                                                    {"ihminen5", 512}, {"tile1", 256},    {"tile2", 256},    {"tile3", 256}};
    const std::uint8_t sof0[] = {0xFF, 0xC0};
    for (const auto& [name, height] : pictures) {
        const std::string path = directory + name + ".jpg";
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << path;
        const Bytes jpeg((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        // SOF0 of three components, the first sampled 2 x 2.
        const auto sof = std::search(jpeg.begin(), jpeg.end(), std::begin(sof0), std::end(sof0));
        ASSERT_LT(sof + 12, jpeg.end()) << path;
        EXPECT_EQ(sof[9], 3) << path;
        EXPECT_EQ(sof[11], 0x22) << path;
        expectClose(jpeg, path);
        PixelSink sink;
        ASSERT_TRUE(decode(sink, jpeg.data(), static_cast<std::int32_t>(jpeg.size()))) << path;
        EXPECT_EQ(sink.width, 256) << path;
        EXPECT_EQ(sink.height, height) << path;
    }
}

}  // namespace
}  // namespace qelo::jpegtest
