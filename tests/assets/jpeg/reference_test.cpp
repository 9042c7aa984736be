// The decoder's fast paths (table-driven Huffman decoding, whole-coefficient
// lookups, skipped zero columns and DC-only blocks, vector inverse DCT and
// colour conversion, restart bookkeeping) must give exactly the bytes of
// the plain model of the rules, on every kind of picture.
#include <gtest/gtest.h>

#include <string>

#include "assets/jpeg/decoder.h"
#include "assets/jpeg/vector_path.h"
#include "jpeg_builder.h"
#include "libjpeg_codec.h"
#include "pixel_sink.h"
#include "reference_decoder.h"

namespace qelo::jpegtest {
namespace {

// Lowers the decoder's vector path for one scope.
class VectorPathLimit {
public:
    explicit VectorPathLimit(jpeg::VectorPath widest) : previous(jpeg::limitVectorPath(widest)) {}
    ~VectorPathLimit() { jpeg::limitVectorPath(previous); }
    VectorPathLimit(const VectorPathLimit&) = delete;
    VectorPathLimit& operator=(const VectorPathLimit&) = delete;

private:
    jpeg::VectorPath previous;
};

void expectIdenticalOnPath(const Bytes& jpeg, const ReferencePicture& model, const std::string& what)
{
    PixelSink sink;
    const DecodeResult result = decode(sink, jpeg.data(), static_cast<std::int32_t>(jpeg.size()));
    ASSERT_TRUE(result) << what << ": " << result.error;
    ASSERT_EQ(sink.width, model.width) << what;
    ASSERT_EQ(sink.height, model.height) << what;
    ASSERT_EQ(sink.pixels.size(), model.rgba.size()) << what;
    std::size_t differing = 0, first = 0;
    for (std::size_t i = 0; i < model.rgba.size(); ++i) {
        if (sink.pixels[i] == model.rgba[i]) continue;
        if (differing++ == 0) first = i;
    }
    EXPECT_EQ(differing, 0u) << what << ": first at pixel " << first / 4 << " byte " << first % 4;
}

// Every vector path this processor has (AVX2 only where it exists; SSE2
// always) must give the model's bytes.
void expectIdentical(const Bytes& jpeg, const std::string& what)
{
    ReferencePicture model;
    ASSERT_TRUE(referenceDecode(jpeg, model)) << what;
    for (const auto path : {jpeg::VectorPath::avx2, jpeg::VectorPath::sse2}) {
        const VectorPathLimit limit(path);
        expectIdenticalOnPath(jpeg, model, what + (jpeg::vectorPath() == jpeg::VectorPath::avx2 ? " (AVX2)" : " (SSE2)"));
    }
}

TEST(JpegReference, EveryLayoutSizeAndQuality)
{
    const std::pair<int, int> layouts[] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {4, 1}, {4, 2}};
    const std::pair<int, int> sizes[] = {{1, 1}, {17, 9}, {33, 47}, {200, 120}};
    std::uint32_t seed = 1;
    for (const int quality : {10, 75, 97}) {
        for (const auto& [w, h] : sizes) {
            const std::string size = std::to_string(w) + "x" + std::to_string(h) + " q" + std::to_string(quality);
            EncodeOptions options;
            options.quality = quality;
            expectIdentical(encodeWithLibjpeg(photoLike(w, h, 1, ++seed), options), "grey " + size);
            for (const auto& [lh, lv] : layouts) {
                options.lumaH = lh;
                options.lumaV = lv;
                expectIdentical(encodeWithLibjpeg(photoLike(w, h, 3, ++seed), options),
                                std::to_string(lh) + "x" + std::to_string(lv) + " " + size);
            }
        }
    }
}

TEST(JpegReference, RgbPicturesInEveryLayout)
{
    // Components stored as R, G, B skip the colour conversion but keep its
    // replication of subsampled planes, on every vector path.
    const std::pair<int, int> layouts[] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {4, 1}};
    std::uint32_t seed = 300;
    for (const auto& [w, h] : {std::pair{1, 1}, {17, 9}, {67, 35}}) {
        for (const auto& [lh, lv] : layouts) {
            EncodeOptions options;
            options.lumaH = lh;
            options.lumaV = lv;
            options.rgb = true;
            expectIdentical(encodeWithLibjpeg(photoLike(w, h, 3, ++seed), options),
                            "RGB " + std::to_string(lh) + "x" + std::to_string(lv) + " " + std::to_string(w) + "x" + std::to_string(h));
        }
    }
}

TEST(JpegReference, RestartIntervalsAndSixteenBitTables)
{
    for (const int interval : {1, 2, 5, 13}) {
        EncodeOptions options;
        options.restartInterval = interval;
        expectIdentical(encodeWithLibjpeg(photoLike(150, 70, 3, 70), options), "4:2:0 interval " + std::to_string(interval));
        expectIdentical(encodeWithLibjpeg(photoLike(150, 70, 1, 71), options), "grey interval " + std::to_string(interval));
    }
    EncodeOptions rows;
    rows.restartRows = 1;
    expectIdentical(encodeWithLibjpeg(photoLike(150, 70, 3, 72), rows), "every MCU row");

    EncodeOptions coarse;
    coarse.quality = 3;
    coarse.forceBaseline = false;
    Bytes jpeg = encodeWithLibjpeg(photoLike(90, 60, 3, 73), coarse);
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC1) {
            jpeg[i + 1] = 0xC0;
            break;
        }
    }
    expectIdentical(jpeg, "16-bit tables");
}

TEST(JpegReference, ExtremeCoefficients)
{
    // Large products saturate, and dense blocks use every part of the
    // inverse DCT.
    BuiltPicture picture;
    picture.width = 24;
    picture.height = 16;
    picture.quant[0] = flatQuant(200);
    picture.sixteenBitQuant = true;
    picture.components = {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};
    std::uint32_t state = 99;
    for (int b = 0; b < 18; ++b) {
        Coefficients block{};
        block[0] = static_cast<int>(state % 2000) - 1000;
        for (int k = 1; k < 64; ++k) {
            state = state * 1664525u + 1013904223u;
            if ((state >> 28) < 5) block[k] = static_cast<int>(state >> 16) % 1023 - 511;
        }
        picture.blocks.push_back(block);
    }
    expectIdentical(build(picture), "extreme coefficients");

    // Blocks whose detail is only in row 0 (zig-zag 1, 5, 6, 14), only in
    // column 0 (2, 3, 9), only in columns 0..3, or only in columns 4..7 of
    // row 0 (15, 27): each takes its own shortcut.
    BuiltPicture shapes = picture;
    shapes.blocks.clear();
    for (const std::vector<int>& indices : std::vector<std::vector<int>>{{1, 5, 6, 14}, {2, 3, 9}, {1, 2, 4, 7, 12, 13}, {15, 27}, {}, {63}}) {
        for (int sign : {1, -1}) {
            Coefficients block{};
            block[0] = 37 * sign;
            for (const int k : indices) block[k] = sign * (k % 7 + 1) * 23;
            shapes.blocks.push_back(block);
        }
    }
    shapes.blocks.resize(18, dcBlock(5));
    expectIdentical(build(shapes), "coefficient shapes");
}

}  // namespace
}  // namespace qelo::jpegtest
