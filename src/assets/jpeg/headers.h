#pragma once
// What the marker segments up to the scan define: the frame, its tables and
// the scan header. Each decode fills its own record, so decodes share no
// state and may run at once.
#include <array>
#include <cstdint>

#include "assets/jpeg/huffman.h"

namespace qelo::jpeg {

struct FrameComponent {
    std::int32_t id = 0;          // Ci
    std::int32_t h = 0;           // horizontal sampling factor, 1..4
    std::int32_t v = 0;           // vertical sampling factor, 1..4
    std::int32_t quantTable = 0;  // Tq, 0..3
    std::int32_t dcTable = 0;     // Td of the scan header
    std::int32_t acTable = 0;     // Ta of the scan header
};

struct QuantTable {
    std::array<std::int32_t, 64> values{};  // zig-zag order, as stored
    bool defined = false;
};

struct JpegHeaders {
    std::int32_t width = 0;           // X: samples per line
    std::int32_t height = 0;          // Y: lines
    std::int32_t precision = 0;       // P; not used
    std::int32_t componentCount = 0;  // Nf: 1 (grey) or 3 (YCbCr, or RGB when `rgb`)
    std::int32_t restartInterval = 0; // Ri: MCUs per restart interval, 0 for none
    std::array<FrameComponent, 3> components{};
    std::array<HuffmanTable, 4> acTables{};
    std::array<HuffmanTable, 4> dcTables{};
    std::array<QuantTable, 4> quantTables{};
    std::int32_t scanStart = 0, scanEnd = 0, approxHigh = 0, approxLow = 0;  // Ss, Se, Ah, Al; not used
    bool frameSeen = false;
    // What the segments before the scan say about three components: a JFIF
    // APP0 means YCbCr; otherwise an Adobe APP14 decides by its transform
    // flag (0 RGB, anything else YCbCr); with neither, ids 'R', 'G', 'B'
    // mean RGB. `rgb` is the outcome, settled when the scan header is read.
    bool jfifSeen = false;
    std::int32_t adobeTransform = -1;  // -1: no Adobe segment
    bool rgb = false;                  // three components stored as R, G, B: no colour conversion
    std::int32_t entropyStart = 0;    // index of the scan's first entropy-coded byte
};

// Largest picture accepted: its RGBA pixels must fit in 256 MiB.
constexpr std::int64_t maxPixelBytes = std::int64_t{256} << 20;

// Reads the marker segments from SOI up to and including the first SOS.
// Returns null when a scan can be decoded with what was read, otherwise the
// reason it cannot. A frame whose storage exceeds maxTextureSize texels on
// a side is refused as soon as its header is read. Never reads outside
// [bytes, bytes + size).
const char* parseHeaders(JpegHeaders& headers, const std::uint8_t* bytes, std::int32_t size, std::int32_t maxTextureSize);

}  // namespace qelo::jpeg
