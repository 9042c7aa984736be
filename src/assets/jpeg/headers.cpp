#include "assets/jpeg/headers.h"

#include <array>
#include <cstring>

#include "assets/jpeg/decoder.h"
#include "render/texture.h"

namespace qelo::jpeg {
namespace {

constexpr const char* truncated = "truncated file";

// Header bytes, bounded by the buffer: reading past its end yields zeros and
// marks the read as failed.
struct ByteReader {
    const std::uint8_t* bytes;
    std::int32_t size;
    std::int32_t position = 0;
    bool overran = false;

    std::int32_t byte()
    {
        if (position >= size) {
            overran = true;
            return 0;
        }
        return bytes[position++];
    }
    std::int32_t word()
    {
        const std::int32_t high = byte();
        return (high << 8) | byte();
    }
    // Bytes not yet read; never negative, as position never passes size.
    std::int32_t left() const { return size - position; }
};

const char* readFrame(JpegHeaders& headers, ByteReader& in, std::int32_t length, std::int32_t maxTextureSize)
{
    headers.precision = in.byte();
    headers.height = in.word();
    headers.width = in.word();
    headers.componentCount = in.byte();
    if (in.overran) return truncated;
    if (length != 8 + 3 * headers.componentCount) return "bad frame header length";
    if (headers.componentCount != 1 && headers.componentCount != 3)
        return "only grey and three-component pictures are supported";
    for (std::int32_t c = 0; c < headers.componentCount; ++c) {
        FrameComponent& component = headers.components[c];
        component.id = in.byte();
        const std::int32_t factors = in.byte();
        component.h = factors >> 4;
        component.v = factors & 15;
        component.quantTable = in.byte();
        if (in.overran) return truncated;
        if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4) return "bad sampling factors";
        if (component.quantTable > 3) return "bad quantisation table id";
        for (std::int32_t other = 0; other < c; ++other)
            if (headers.components[other].id == component.id) return "duplicate component id";
    }
    if (headers.componentCount == 3) {
        // Component 0 carries the largest factors and the others divide them.
        const FrameComponent& first = headers.components[0];
        for (std::int32_t c = 1; c < 3; ++c) {
            const FrameComponent& component = headers.components[c];
            if (first.h % component.h != 0 || first.v % component.v != 0) return "bad sampling factors";
        }
    }
    if (headers.width == 0 || headers.height == 0) return "bad picture size";
    if (storageSizeFor(headers.width) > maxTextureSize || storageSizeFor(headers.height) > maxTextureSize)
        return largerThanTexture;
    if (std::int64_t{headers.width} * headers.height * 4 > maxPixelBytes) return "picture too large";
    headers.frameSeen = true;
    return nullptr;
}

const char* readHuffmanTables(JpegHeaders& headers, ByteReader& in, std::int32_t length)
{
    for (std::int32_t remaining = length - 2; remaining > 0;) {
        const std::int32_t kind = in.byte();
        if (in.overran) return truncated;
        if ((kind & 15) > 3) return "bad Huffman table id";
        HuffmanTable table;
        for (std::uint8_t& n : table.counts) n = static_cast<std::uint8_t>(in.byte());
        const std::int32_t total = symbolCount(table);
        if (in.overran) return truncated;
        if (total > 256) return "bad Huffman table";
        for (std::int32_t i = 0; i < total; ++i) table.values[i] = static_cast<std::uint8_t>(in.byte());
        if (in.overran) return truncated;
        table.defined = true;
        // A table defined again replaces the earlier one whole.
        ((kind & 0x10) ? headers.acTables : headers.dcTables)[kind & 15] = table;
        remaining -= 17 + total;
    }
    return nullptr;
}

const char* readQuantTables(JpegHeaders& headers, ByteReader& in, std::int32_t length)
{
    for (std::int32_t remaining = length - 2; remaining > 0;) {
        const std::int32_t kind = in.byte();
        if (in.overran) return truncated;
        const bool sixteenBit = (kind >> 4) != 0;
        if ((kind & 15) > 3) return "bad quantisation table id";
        QuantTable& table = headers.quantTables[kind & 15];
        for (std::int32_t& value : table.values) value = sixteenBit ? in.word() : in.byte();
        if (in.overran) return truncated;
        table.defined = true;
        remaining -= sixteenBit ? 129 : 65;
    }
    return nullptr;
}

// Whether three components hold R, G and B rather than Y, Cb and Cr.
bool storedAsRgb(const JpegHeaders& headers)
{
    if (headers.componentCount != 3 || headers.jfifSeen) return false;
    if (headers.adobeTransform >= 0) return headers.adobeTransform == 0;
    const auto& c = headers.components;
    return c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B';
}

// Notes what an APP0 or APP14 segment says about the colour components:
// APP0 of at least 14 bytes opening with "JFIF\0"; APP14 of at least 12
// opening with "Adobe", whose byte 11 is the transform flag. `payload` holds
// the segment's `length` bytes after its length field.
void noteColourSegment(JpegHeaders& headers, std::int32_t marker, const std::uint8_t* payload, std::int32_t length)
{
    if (marker == 0xE0 && length >= 14 && std::memcmp(payload, "JFIF", 5) == 0) headers.jfifSeen = true;
    if (marker == 0xEE && length >= 12 && std::memcmp(payload, "Adobe", 5) == 0) headers.adobeTransform = payload[11];
}

const char* readScan(JpegHeaders& headers, ByteReader& in)
{
    if (!headers.frameSeen) return "scan before frame header";
    // Only the first scan is decoded, so it must hold every frame component:
    // a frame split over several scans (non-interleaved components) would
    // otherwise decode one component's data as all of them and yield a wrong
    // picture. Each named component must be in the frame, and named once.
    const std::int32_t selectors = in.byte();
    if (in.overran) return truncated;
    std::array<bool, 3> named{};
    for (std::int32_t j = 0; j < selectors; ++j) {
        const std::int32_t id = in.byte();
        const std::int32_t tables = in.byte();
        if (in.overran) return truncated;
        if ((tables >> 4) > 3 || (tables & 15) > 3) return "bad Huffman table id";
        std::int32_t c = 0;
        while (c < headers.componentCount && headers.components[c].id != id) ++c;
        if (c == headers.componentCount) return "scan names a component not in the frame";
        if (named[c]) return "scan names a component twice";
        named[c] = true;
        headers.components[c].dcTable = tables >> 4;
        headers.components[c].acTable = tables & 15;
    }
    if (selectors != headers.componentCount) return "non-interleaved scans are not supported";
    headers.scanStart = in.byte();
    headers.scanEnd = in.byte();
    const std::int32_t approximation = in.byte();
    if (in.overran) return truncated;
    headers.approxHigh = approximation >> 4;
    headers.approxLow = approximation & 15;
    headers.entropyStart = in.position;

    for (std::int32_t c = 0; c < headers.componentCount; ++c) {
        const FrameComponent& component = headers.components[c];
        if (!headers.dcTables[component.dcTable].defined || !headers.acTables[component.acTable].defined)
            return "Huffman table not defined";
        if (!headers.quantTables[component.quantTable].defined) return "quantisation table not defined";
    }
    headers.rgb = storedAsRgb(headers);
    return nullptr;
}

const char* unsupportedFrame(std::int32_t marker)
{
    switch (marker) {
    case 0xC1: return "extended sequential JPEG is not supported";
    case 0xC2: return "progressive JPEG is not supported";
    case 0xC3: return "lossless JPEG is not supported";
    case 0xC5:
    case 0xC6:
    case 0xC7: return "hierarchical JPEG is not supported";
    case 0xC9:
    case 0xCA:
    case 0xCB:
    case 0xCD:
    case 0xCE:
    case 0xCF: return "arithmetic-coded JPEG is not supported";
    default: return "unsupported frame type";
    }
}

}  // namespace

const char* parseHeaders(JpegHeaders& headers, const std::uint8_t* bytes, std::int32_t size, std::int32_t maxTextureSize)
{
    ByteReader in{bytes, size};
    if (in.byte() != 0xFF) return in.overran ? truncated : "not a JPEG file";
    for (;;) {
        const std::int32_t marker = in.byte();
        if (in.overran) return truncated;
        // EOI carries no length; any other marker but SOI is followed by one.
        if (marker == 0xD9) return "no picture before the end of the file";
        if (marker != 0xD8) {
            const std::int32_t length = in.word();
            if (in.overran) return truncated;
            if (length < 2) return "bad segment length";
            // Compared with what is left, never as position + length: near
            // the 2 GiB limit that sum would overflow.
            if (length - 2 > in.left()) return truncated;
            const std::int32_t segmentEnd = in.position + (length - 2);

            const char* error = nullptr;
            switch (marker) {
            case 0xC0: error = readFrame(headers, in, length, maxTextureSize); break;
            case 0xC4: error = readHuffmanTables(headers, in, length); break;
            case 0xDB: error = readQuantTables(headers, in, length); break;
            case 0xDD:
                headers.restartInterval = in.word();
                if (in.overran) return truncated;
                break;
            case 0xDA: return readScan(headers, in);
            case 0xC1: case 0xC2: case 0xC3: case 0xC5: case 0xC6: case 0xC7: case 0xC8:
            case 0xC9: case 0xCA: case 0xCB: case 0xCD: case 0xCE: case 0xCF:
                return unsupportedFrame(marker);
            default:
                // APPn, COM, DAC, DNL and anything else the decoder does not
                // use: passed over by its length. APP0 and APP14 may say
                // how the colour components are stored.
                noteColourSegment(headers, marker, bytes + in.position, length - 2);
                in.position = segmentEnd;
                break;
            }
            if (error) return error;
        }
        const std::int32_t next = in.byte();
        if (in.overran) return truncated;
        if (next != 0xFF) return "marker expected";
    }
}

}  // namespace qelo::jpeg
