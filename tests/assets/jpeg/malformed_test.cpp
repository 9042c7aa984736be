// Streams the decoder must refuse: each one a clear failure with a reason,
// nothing handed to the texture, no read or write out of bounds (this suite
// also runs under AddressSanitizer and UndefinedBehaviorSanitizer), no hang.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "assets/jpeg/decoder.h"
#include "jpeg_builder.h"
#include "pixel_sink.h"

namespace qelo::jpegtest {
namespace {

// Decodes from a heap block of exactly the stream's size, so that the
// sanitizer sees any read past its end.
DecodeResult decodeExact(PixelSink& sink, const Bytes& bytes, std::int32_t maxTextureSize = anyTextureSize)
{
    const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return decode(sink, copy.get(), static_cast<std::int32_t>(bytes.size()), maxTextureSize);
}

// Expects failure with a reason containing `reason` and an untouched texture.
void expectRefused(const Bytes& bytes, const std::string& reason, std::int32_t maxTextureSize = anyTextureSize)
{
    PixelSink sink;
    const DecodeResult result = decodeExact(sink, bytes, maxTextureSize);
    ASSERT_FALSE(result) << "expected: " << reason;
    EXPECT_EQ(&result.texture, &sink);
    EXPECT_NE(std::string(result.error).find(reason), std::string::npos) << result.error;
    EXPECT_EQ(sink.writes, 0);
    EXPECT_EQ(sink.width, 0);
}

BuiltPicture validPicture()
{
    BuiltPicture picture;
    picture.width = 16;
    picture.height = 16;
    picture.quant[0] = flatQuant(8);
    picture.components = {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};
    Coefficients detail{};
    detail[0] = 20;
    detail[3] = -7;
    detail[40] = 2;
    picture.blocks = {detail, dcBlock(-3), detail, dcBlock(50), dcBlock(9), detail};
    return picture;
}

// Index of the FF of the first `marker` segment.
std::size_t markerAt(const Bytes& bytes, std::uint8_t marker)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == marker) return i;
    ADD_FAILURE() << "no marker " << int{marker};
    return 0;
}

Bytes withByte(Bytes bytes, std::size_t at, std::uint8_t value)
{
    bytes.at(at) = value;
    return bytes;
}

TEST(JpegMalformed, InputsThatAreNoPictureAtAll)
{
    expectRefused({}, "empty");
    expectRefused({0x89, 'P', 'N', 'G'}, "not a JPEG");
    expectRefused({0xFF, 0xD8}, "truncated");
    expectRefused({0xFF, 0xD8, 0xFF, 0xD9}, "no picture");
    expectRefused({0xFF, 0xD8, 0x00, 0xD9}, "marker expected");
}

TEST(JpegMalformed, FrameTypesOutsideBaseline)
{
    const Bytes valid = build(validPicture());
    const std::size_t sof = markerAt(valid, 0xC0) + 1;
    expectRefused(withByte(valid, sof, 0xC2), "progressive");
    expectRefused(withByte(valid, sof, 0xC9), "arithmetic");
    expectRefused(withByte(valid, sof, 0xC1), "extended");
    expectRefused(withByte(valid, sof, 0xC3), "lossless");
    expectRefused(withByte(valid, sof, 0xC5), "hierarchical");
}

TEST(JpegMalformed, BadFrameHeaders)
{
    const auto refusedFrame = [](auto change, const std::string& reason) {
        BuiltPicture picture = validPicture();
        change(picture);
        expectRefused(build(picture), reason);
    };
    refusedFrame([](BuiltPicture& p) { p.components.push_back({4, 1, 1, 0}); }, "three-component");
    refusedFrame([](BuiltPicture& p) { p.components.pop_back(); }, "three-component");
    refusedFrame([](BuiltPicture& p) { p.components[1].h = 0; }, "sampling");
    refusedFrame([](BuiltPicture& p) { p.components[0].h = 5; }, "sampling");
    refusedFrame([](BuiltPicture& p) { p.components[0] = {1, 3, 1, 0}; p.components[1].h = 2; }, "sampling");  // 2 does not divide 3
    refusedFrame([](BuiltPicture& p) { p.components[0] = {1, 1, 1, 0}; p.components[2].v = 2; }, "sampling");  // larger than component 0
    refusedFrame([](BuiltPicture& p) { p.components[2].id = 1; }, "duplicate component id");
    refusedFrame([](BuiltPicture& p) { p.components[1].quantTable = 4; }, "quantisation table id");
    refusedFrame([](BuiltPicture& p) { p.width = 0; }, "size");
    refusedFrame([](BuiltPicture& p) { p.width = 16384; p.height = 4097; }, "too large");  // just past 256 MiB

    const Bytes valid = build(validPicture());
    const std::size_t sof = markerAt(valid, 0xC0);
    expectRefused(withByte(valid, sof + 3, valid[sof + 3] + 1), "frame header length");
}

TEST(JpegMalformed, BadTableSegments)
{
    const Bytes valid = build(validPicture());
    const std::size_t dht = markerAt(valid, 0xC4);
    expectRefused(withByte(valid, dht + 4, 0x04), "Huffman table id");
    // BITS of 255 + 255 + ... : far more than 256 symbols.
    Bytes bits = valid;
    for (int i = 0; i < 16; ++i) bits[dht + 5 + i] = 255;
    expectRefused(bits, "Huffman table");
    const std::size_t dqt = markerAt(valid, 0xDB);
    expectRefused(withByte(valid, dqt + 4, 0x04), "quantisation table id");

    // A scan naming a table that was never defined: Td = 1, then Tq = 2.
    const std::size_t sos = markerAt(valid, 0xDA);
    expectRefused(withByte(valid, sos + 6, 0x10), "Huffman table not defined");
    expectRefused(withByte(valid, sos + 6, 0x40), "Huffman table id");
    expectRefused(withByte(valid, markerAt(valid, 0xC0) + 15, 2), "quantisation table not defined");  // Tq of component 1
}

TEST(JpegMalformed, SegmentLengthsAndOrder)
{
    const Bytes valid = build(validPicture());
    const std::size_t dqt = markerAt(valid, 0xDB);
    expectRefused(withByte(withByte(valid, dqt + 2, 0), dqt + 3, 1), "segment length");
    expectRefused(withByte(valid, dqt + 2, 0xF0), "truncated");  // runs past the end

    // SOS before SOF.
    const std::size_t sof = markerAt(valid, 0xC0);
    const std::size_t sofEnd = sof + 2 + (std::size_t{valid[sof + 2]} << 8 | valid[sof + 3]);
    Bytes reordered(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(sof));
    reordered.insert(reordered.end(), valid.begin() + static_cast<std::ptrdiff_t>(sofEnd), valid.end());
    expectRefused(reordered, "scan before frame");
}

// Zero pages that cost nothing until written, unmapped when dropped.
class ZeroPages {
public:
    explicit ZeroPages(std::size_t size)
        : size(size), base(mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0))
    {
    }
    ~ZeroPages()
    {
        if (base != MAP_FAILED) munmap(base, size);
    }
    ZeroPages(const ZeroPages&) = delete;
    ZeroPages& operator=(const ZeroPages&) = delete;
    std::uint8_t* data() const { return base == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(base); }

private:
    std::size_t size;
    void* base;
};

TEST(JpegMalformed, SegmentChainUpToTheLargestFileEndsAsTruncated)
{
    // The largest input a file can give (2^31 - 1 bytes): SOI, then APP1
    // segments of the largest length, 65,537 bytes each with their marker.
    // The last one starts so near the end that its claimed end lies past
    // 2^31 - 1, where a 32-bit sum would wrap negative. Only the 4-byte
    // segment heads are written (one page in 16); the rest stays unbacked.
    constexpr std::int32_t size = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t stride = 65537;
    const ZeroPages pages(static_cast<std::size_t>(size));
    std::uint8_t* bytes = pages.data();
    ASSERT_NE(bytes, nullptr);
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
    std::int64_t last = 0;
    for (std::int64_t at = 2; at + 4 <= size; at += stride) {
        bytes[at] = 0xFF;
        bytes[at + 1] = 0xE1;
        bytes[at + 2] = 0xFF;
        bytes[at + 3] = 0xFF;
        last = at;
    }
    ASSERT_GT(last + stride, std::int64_t{size});

    PixelSink sink;
    const DecodeResult result = decode(sink, bytes, size);
    ASSERT_FALSE(result);
    EXPECT_STREQ(result.error, "truncated file");
    EXPECT_EQ(sink.writes, 0);
}

// A grey picture of width x height whose stream ends right after its scan
// header: whatever its size, the decoder needs nothing past the headers to
// refuse it.
Bytes headersOnly(int width, int height)
{
    BuiltPicture picture;
    picture.width = width;
    picture.height = height;
    picture.quant[0] = flatQuant(8);
    Bytes bytes = build(picture);
    bytes.resize(headerLength(picture));
    return bytes;
}

TEST(JpegMalformed, PicturesLargerThanTheLargestTextureAreRefusedAtTheFrameHeader)
{
    // With a limit of 64 texels a side, 64 x 64 fits; 65 needs storage 128.
    BuiltPicture fits;
    fits.width = fits.height = 64;
    fits.quant[0] = flatQuant(8);
    fits.blocks.assign(64, dcBlock(3));
    PixelSink sink;
    ASSERT_TRUE(decodeExact(sink, build(fits), 64));
    EXPECT_EQ(sink.width, 64);

    for (const auto& [width, height] : {std::pair{65, 1}, {1, 65}, {8000, 8000}}) {
        PixelSink refused;
        const DecodeResult result = decodeExact(refused, headersOnly(width, height), 64);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error, largerThanTexture) << "the caller recognises the reason by its address";
        EXPECT_EQ(refused.writes, 0);
        EXPECT_EQ(result.width, width);
        EXPECT_EQ(result.height, height);
    }
    // Without a limit the same headers get as far as the missing scan data.
    expectRefused(headersOnly(65, 1), "truncated");
}

// AddressSanitizer reserves terabytes of address space at start, so a limit
// on the address space cannot be set under it.
constexpr bool addressSanitized()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

// Decodes `bytes` with the address space limited to 32 MiB above what the
// process uses now, prints the outcome on stderr and exits with 0.
[[noreturn]] void decodeInLittleAddressSpace(const Bytes& bytes, std::int32_t maxTextureSize)
{
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (std::size_t{32} << 20);
    if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(2);
    PixelSink sink;
    const DecodeResult result = decodeExact(sink, bytes, maxTextureSize);
    std::fprintf(stderr, "outcome: %s\n", result ? "decoded" : result.error);
    std::_Exit(0);
}

TEST(JpegMalformedDeathTest, ARefusedLargePictureAllocatesNothingLarge)
{
    if (addressSanitized()) GTEST_SKIP() << "the address space cannot be limited under AddressSanitizer";
    // 8000 x 8000 grey: 244 MiB of RGBA, within the decoder's own limit.
    const Bytes large = headersOnly(8000, 8000);
    EXPECT_EXIT(decodeInLittleAddressSpace(large, 64), ::testing::ExitedWithCode(0), "outcome: picture larger than the largest texture");
    // The control: without the texture limit the pixel buffer is asked for
    // and cannot be had within the limit.
    EXPECT_EXIT(decodeInLittleAddressSpace(large, anyTextureSize), ::testing::ExitedWithCode(0), "outcome: out of memory");
}

// The stream with its scan header naming the components `ids` (in that
// order, each with tables 0) instead of every frame component.
Bytes withScanComponents(const Bytes& valid, const std::vector<std::uint8_t>& ids)
{
    const std::size_t sos = markerAt(valid, 0xDA);
    const std::size_t oldLength = std::size_t{valid[sos + 2]} << 8 | valid[sos + 3];
    Bytes header = {static_cast<std::uint8_t>(ids.size())};
    for (const std::uint8_t id : ids) header.insert(header.end(), {id, 0x00});
    header.insert(header.end(), {0, 63, 0});
    Bytes out(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(sos));
    append(out, segment(0xDA, header));
    out.insert(out.end(), valid.begin() + static_cast<std::ptrdiff_t>(sos + 2 + oldLength), valid.end());
    return out;
}

TEST(JpegMalformed, ScansThatDoNotHoldEveryComponentOnce)
{
    // Only the first scan is decoded; one that leaves components to later
    // scans (non-interleaved order) would give a wrong picture, so it is
    // refused rather than reported as a success.
    const Bytes valid = build(validPicture());
    {
        PixelSink sink;
        ASSERT_TRUE(decodeExact(sink, withScanComponents(valid, {3, 1, 2}))) << "any order of all three is one scan";
    }
    expectRefused(withScanComponents(valid, {1}), "non-interleaved scans are not supported");
    expectRefused(withScanComponents(valid, {1, 3}), "non-interleaved scans are not supported");
    expectRefused(withScanComponents(valid, {1, 2, 2}), "component twice");
    expectRefused(withScanComponents(valid, {1, 2, 9}), "component not in the frame");
}

TEST(JpegMalformed, BadEntropyData)
{
    BuiltPicture grey;
    grey.width = grey.height = 8;
    grey.quant[0] = flatQuant(8);
    // DC size 0 (0000), then four ZRL (0x01): the fourth would carry the
    // coefficient index from 49 to 64.
    expectRefused(buildWithEntropy(grey, {{0, 4}, {1, 8}, {1, 8}, {1, 8}, {1, 8}}), "past the end of a block");
    // (15, 1) at index 49 lands on 64 as well.
    expectRefused(buildWithEntropy(grey, {{0, 4}, {1, 8}, {1, 8}, {1, 8}, {2 + 150, 8}, {1, 1}}), "past the end of a block");
    // DC codes 12..15 are unassigned: 1111 followed by ones matches nothing.
    expectRefused(buildWithEntropy(grey, {{0xFFFF, 16}, {0xFFFF, 16}}), "bad Huffman code");
    // AC codes from 162 up are unassigned.
    expectRefused(buildWithEntropy(grey, {{0, 4}, {200, 8}, {0xFF, 8}}), "bad Huffman code");
}

TEST(JpegMalformed, EveryTruncationFailsOrLosesNothing)
{
    // Cut anywhere, a stream either fails, or (cut only after the last bit
    // the picture needs) decodes to exactly the whole stream's picture.
    for (BuiltPicture picture : {validPicture(), [] {
             BuiltPicture withRestarts = validPicture();
             withRestarts.width = 40;
             withRestarts.restartInterval = 1;
             for (int i = 0; i < 12; ++i) withRestarts.blocks.push_back(dcBlock(i * 7 - 40));
             return withRestarts;
         }()}) {
        const Bytes whole = build(picture);
        PixelSink full;
        ASSERT_TRUE(decodeExact(full, whole));
        const std::size_t entropy = headerLength(picture);
        int succeeded = 0;
        for (std::size_t length = 0; length < whole.size(); ++length) {
            PixelSink sink;
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            const DecodeResult result = decodeExact(sink, cut);
            if (result) {
                ++succeeded;
                EXPECT_GE(length, whole.size() - 3) << "a cut inside the data decoded";
                EXPECT_EQ(sink.pixels, full.pixels) << length;
            } else {
                EXPECT_EQ(sink.writes, 0);
                if (length >= entropy) {
                    EXPECT_STREQ(result.error, "truncated file") << length;
                }
            }
        }
        EXPECT_LE(succeeded, 2);  // without EOI, or without its D9
    }
}

}  // namespace
}  // namespace qelo::jpegtest
