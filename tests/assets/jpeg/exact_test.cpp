// The decoder's own rules, checked on hand-made streams whose samples are
// known exactly: DC-only blocks give 64 equal samples of
// floor(trunc(q x d) / 8) + 128, clamped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "assets/jpeg/decoder.h"
#include "jpeg_builder.h"
#include "pixel_sink.h"

namespace qelo::jpegtest {
namespace {

PixelSink decodeOrFail(const Bytes& bytes)
{
    PixelSink sink;
    const DecodeResult result = decode(sink, bytes.data(), static_cast<std::int32_t>(bytes.size()));
    EXPECT_TRUE(result) << result.error;
    EXPECT_EQ(sink.writes, result ? 1 : 0);
    return sink;
}

BuiltPicture greyPicture(int width, int height, int q)
{
    BuiltPicture picture;
    picture.width = width;
    picture.height = height;
    picture.quant[0] = flatQuant(q);
    return picture;
}

// A 4:4:4 8 x 8 picture of one colour; with q = 8 a DC value d gives the
// sample d + 128. Chroma uses a second table of the same DQT segment.
Bytes flatColour(int y, int cb, int cr)
{
    BuiltPicture picture;
    picture.components = {{1, 1, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}};
    picture.quant[0] = picture.quant[1] = flatQuant(8);
    picture.quantTables = 2;
    picture.blocks = {dcBlock(y - 128), dcBlock(cb - 128), dcBlock(cr - 128)};
    return build(picture);
}

std::array<int, 4> rgbaAt(const PixelSink& sink, int x, int y)
{
    const std::uint8_t* p = sink.at(x, y);
    return {p[0], p[1], p[2], p[3]};
}

TEST(JpegExact, DcOnlyBlocksTruncateShiftAndClamp)
{
    struct Case {
        int q, d, sample;
    };
    // q x d = 80 -> 138; -4 -> floor(-0.5) + 128 = 127; -1100 -> clamped 0;
    // 0 -> 128; 25500 -> clamped 255; -7 -> 127; 7 -> 128.
    for (const Case c : {Case{8, 10, 138}, Case{4, -1, 127}, Case{100, -11, 0}, Case{37, 0, 128}, Case{255, 100, 255},
                         Case{7, -1, 127}, Case{7, 1, 128}}) {
        BuiltPicture picture = greyPicture(8, 8, c.q);
        picture.blocks = {dcBlock(c.d)};
        const PixelSink sink = decodeOrFail(build(picture));
        ASSERT_EQ(sink.pixels.size(), 8u * 8 * 4);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(rgbaAt(sink, x, y), (std::array<int, 4>{c.sample, c.sample, c.sample, 255})) << c.q << " x " << c.d;
    }
}

TEST(JpegExact, SixteenBitQuantisationAndHugeProductsSaturate)
{
    // 16-bit values (Pq = 1) are read big-endian; products far beyond any
    // sample's range clamp instead of overflowing the integer conversion.
    for (const auto [q, d, sample] : {std::array<int, 3>{300, 2, 203}, {65535, 2047, 255}, {65535, -2047, 0}}) {
        BuiltPicture picture = greyPicture(8, 8, q);
        picture.sixteenBitQuant = true;
        picture.blocks = {dcBlock(d)};
        const PixelSink sink = decodeOrFail(build(picture));
        EXPECT_EQ(rgbaAt(sink, 3, 5), (std::array<int, 4>{sample, sample, sample, 255})) << q << " x " << d;
    }
}

TEST(JpegExact, ColourConversionExamples)
{
    EXPECT_EQ(rgbaAt(decodeOrFail(flatColour(128, 128, 128)), 4, 4), (std::array<int, 4>{128, 128, 128, 255}));
    // R from 178.054; G from -90.7 clamps to 0.
    EXPECT_EQ(rgbaAt(decodeOrFail(flatColour(0, 128, 255)), 0, 0), (std::array<int, 4>{178, 0, 0, 255}));
    // R from -169.456 clamps to 0; G from 101.41.
    EXPECT_EQ(rgbaAt(decodeOrFail(flatColour(10, 128, 0)), 7, 7), (std::array<int, 4>{0, 101, 10, 255}));
    // G from 263.46 clamps to 255.
    EXPECT_EQ(rgbaAt(decodeOrFail(flatColour(128, 0, 0)), 2, 6), (std::array<int, 4>{0, 255, 0, 255}));
    // Truncation toward zero: B = 200 + 1.772 x 5 = 208.86 -> 208.
    EXPECT_EQ(rgbaAt(decodeOrFail(flatColour(200, 133, 128)), 1, 1), (std::array<int, 4>{200, 198, 208, 255}));
}

TEST(JpegExact, ComponentsMarkedAsRgbAreTakenAsTheyAre)
{
    // 16 x 16, the first component 2 x 2 (four levels, one per quadrant),
    // the other two 1 x 1 and replicated over the whole MCU. With q = 8 a DC
    // value d gives the sample d + 128.
    const auto picture = [](std::array<int, 3> ids, const Bytes& segments) {
        BuiltPicture p;
        p.width = p.height = 16;
        p.quant[0] = flatQuant(8);
        p.components = {{ids[0], 2, 2, 0}, {ids[1], 1, 1, 0}, {ids[2], 1, 1, 0}};
        p.blocks = {dcBlock(200 - 128), dcBlock(10 - 128), dcBlock(90 - 128), dcBlock(250 - 128), dcBlock(30 - 128), dcBlock(160 - 128)};
        p.extraSegments = segments;
        return build(p);
    };
    const Bytes jfif = segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 1, 0, 1, 0, 0});
    const auto adobe = [](std::uint8_t transform) { return segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, transform}); };
    const auto withJfif = [&](const Bytes& more) {
        Bytes both = jfif;
        append(both, more);
        return both;
    };
    const std::array<int, 3> rgbIds = {'R', 'G', 'B'}, plainIds = {1, 2, 3};

    for (const Bytes& rgb : {picture(rgbIds, {}), picture(plainIds, adobe(0)), picture(rgbIds, adobe(0))}) {
        const PixelSink sink = decodeOrFail(rgb);
        EXPECT_EQ(rgbaAt(sink, 0, 0), (std::array<int, 4>{200, 30, 160, 255}));
        EXPECT_EQ(rgbaAt(sink, 15, 0), (std::array<int, 4>{10, 30, 160, 255}));
        EXPECT_EQ(rgbaAt(sink, 7, 8), (std::array<int, 4>{90, 30, 160, 255}));
        EXPECT_EQ(rgbaAt(sink, 8, 15), (std::array<int, 4>{250, 30, 160, 255}));
    }
    // JFIF means YCbCr whatever else is said; so does Adobe's transform 1.
    // Y = 200, Cb = 30, Cr = 160: R from 244.864, G from 210.877, B from 26.344.
    const std::array<int, 4> converted = {244, 210, 26, 255};
    for (const Bytes& yCbCr : {picture(plainIds, {}), picture(rgbIds, jfif), picture(rgbIds, withJfif(adobe(0))),
                               picture(rgbIds, adobe(1)), picture(plainIds, withJfif(adobe(0)))})
        EXPECT_EQ(rgbaAt(decodeOrFail(yCbCr), 0, 0), converted);
}

TEST(JpegExact, SingleComponentWithLargeFactorsIsOneBlockPerMcu)
{
    BuiltPicture picture = greyPicture(16, 16, 8);
    picture.components = {{1, 2, 2, 0}};
    picture.blocks = {dcBlock(-40), dcBlock(-20), dcBlock(20), dcBlock(40)};
    const PixelSink sink = decodeOrFail(build(picture));
    EXPECT_EQ(sink.at(0, 0)[0], 88);
    EXPECT_EQ(sink.at(15, 0)[0], 108);
    EXPECT_EQ(sink.at(0, 15)[0], 148);
    EXPECT_EQ(sink.at(15, 15)[0], 168);
}

TEST(JpegExact, RestartIntervalsOfAnyLengthRealignAndRestartPredictors)
{
    // 5 x 3 MCUs of grey; intervals of 1, 2, 5 (one MCU row) and 7 MCUs.
    // The builder restarts its predictors at each marker, so the levels only
    // come out right if the decoder does the same at the same blocks.
    for (const int interval : {1, 2, 5, 7}) {
        BuiltPicture picture = greyPicture(40, 24, 8);
        picture.restartInterval = interval;
        for (int b = 0; b < 15; ++b) picture.blocks.push_back(dcBlock(((b * 37) % 200) - 100));
        const PixelSink sink = decodeOrFail(build(picture));
        for (int b = 0; b < 15; ++b) ASSERT_EQ(sink.at((b % 5) * 8 + 3, (b / 5) * 8 + 4)[0], ((b * 37) % 200) + 28) << interval << ": " << b;
    }
}

TEST(JpegExact, StuffedAndFilledFFBytesAreOneDataByte)
{
    // A DC difference of 2047 is coded 1011 then eleven 1 bits, and the AC
    // symbol (13, 1) has the code 10000100: a 0xFF data byte, stuffed as
    // FF 00. Fill bytes before it (FF FF FF 00) change nothing.
    BuiltPicture picture = greyPicture(16, 8, 1);
    Coefficients first = dcBlock(2047);
    first[14] = 1;
    picture.blocks = {first, dcBlock(1000)};
    const Bytes plain = build(picture);
    const std::array<std::uint8_t, 2> pair = {0xFF, 0x00};
    const auto stuffed = std::search(plain.begin() + static_cast<std::ptrdiff_t>(headerLength(picture)), plain.end(), pair.begin(), pair.end());
    ASSERT_NE(stuffed, plain.end());
    Bytes filled(plain.begin(), stuffed);
    append(filled, {0xFF, 0xFF});
    filled.insert(filled.end(), stuffed, plain.end());

    const PixelSink a = decodeOrFail(plain);
    const PixelSink b = decodeOrFail(filled);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(a.at(8, 0)[0], 253);  // 1000 / 8 + 128
}

}  // namespace
}  // namespace qelo::jpegtest
