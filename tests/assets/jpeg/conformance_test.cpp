// qelo's decoder against libjpeg-turbo (float inverse DCT, nearest-neighbour
// upsampling) on pictures libjpeg encodes here, of every kind the decoder
// supports.
//
// The two round differently: qelo truncates and floors where libjpeg rounds,
// in the inverse DCT (samples up to 1 lower) and in the colour conversion
// (up to 1 lower again, after chroma errors are scaled by up to 1.772): grey
// matches within 1, colour within 4 with qelo darker on average (the colour
// rule itself is pinned by JpegExact). Every vector path of the decoder
// (AVX2 where the processor has it, SSE2) must give the same bytes: a fast
// path that strays by a level would pass the tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "assets/jpeg/decoder.h"
#include "assets/jpeg/vector_path.h"
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

// Decodes with the decoder's vector path lowered to at most `widest`.
PixelSink decodeOnPath(const Bytes& jpeg, jpeg::VectorPath widest)
{
    const jpeg::VectorPath previous = jpeg::limitVectorPath(widest);
    PixelSink sink;
    const DecodeResult result = decode(sink, jpeg.data(), static_cast<std::int32_t>(jpeg.size()));
    jpeg::limitVectorPath(previous);
    EXPECT_TRUE(result) << result.error;
    EXPECT_EQ(sink.writes, result ? 1 : 0);
    return sink;
}

void expectClose(const Bytes& jpeg, const std::string& what)
{
    const PixelSink sink = decodeOnPath(jpeg, jpeg::VectorPath::avx2);
    ASSERT_EQ(sink.writes, 1) << what;
    ASSERT_EQ(decodeOnPath(jpeg, jpeg::VectorPath::sse2).pixels, sink.pixels) << what << ": the vector paths differ";
    for (std::size_t i = 3; i < sink.pixels.size(); i += 4) ASSERT_EQ(sink.pixels[i], 255) << what;

    Rgba rgb;
    ASSERT_TRUE(decodeWithLibjpeg(jpeg, rgb)) << what << ": libjpeg refused the stream";
    ASSERT_EQ(sink.width, rgb.width) << what;
    ASSERT_EQ(sink.height, rgb.height) << what;
    const Difference own = compare(sink.pixels, rgb.pixels);
    EXPECT_LE(own.max, rgb.components == 1 ? 1 : 4) << what;
    // A mean over a handful of pixels says nothing; the bound holds for any
    // picture of a block or more.
    if (sink.width * sink.height >= 64) {
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

TEST(JpegConformance, EveryLayoutAtOddSizes)
{
    const std::pair<int, int> layouts[] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {4, 1}};
    std::uint32_t seed = 20;
    for (const auto& [width, height] : {std::pair{1, 1}, {17, 9}, {96, 64}, {641, 479}, {9, 33}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        expectClose(encodeWithLibjpeg(photoLike(width, height, 1, ++seed), {}), "grey " + size);
        for (const auto& [h, v] : layouts)
            expectClose(encodeWithLibjpeg(photoLike(width, height, 3, ++seed), sampling(h, v)),
                        std::to_string(h) + "x" + std::to_string(v) + " " + size);
    }
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
