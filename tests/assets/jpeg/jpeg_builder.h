#pragma once
// Hand-made baseline JPEG streams for tests: every segment written out, and
// blocks of chosen coefficients Huffman-coded with two fixed tables.
#include <array>
#include <cstdint>
#include <vector>

namespace qelo::jpegtest {

using Bytes = std::vector<std::uint8_t>;

struct BuiltComponent {
    int id = 1;
    int h = 1;
    int v = 1;
    int quantTable = 0;
};

// Coefficients in zig-zag order; [0] is the block's DC value itself (the
// builder codes differences).
using Coefficients = std::array<int, 64>;

struct BuiltPicture {
    int width = 8;
    int height = 8;
    std::vector<BuiltComponent> components{BuiltComponent{}};
    std::array<std::array<int, 64>, 4> quant{};  // zig-zag order; table 0 is written always
    int quantTables = 1;                          // tables 0..quantTables-1 are written
    bool sixteenBitQuant = false;
    int restartInterval = 0;                      // MCUs; 0 writes no DRI
    std::vector<Coefficients> blocks;             // in scan order
    Bytes extraSegments;                          // written right after SOI
};

// A quantisation table with every value q.
std::array<int, 64> flatQuant(int q);
// A block whose only coefficient is its DC value.
Coefficients dcBlock(int dc);

// FF marker, then the two-byte length and the payload.
Bytes segment(std::uint8_t marker, const Bytes& payload);
// The whole stream: SOI, extras, DQT, SOF0, one DHT holding the DC and the
// AC table, DRI if asked, SOS naming every component with tables 0, the
// entropy data with RSTn after every interval, EOI.
Bytes build(const BuiltPicture& picture);
// The same headers with hand-written entropy data: (bits, count) pairs, most
// significant bit first, stuffed, padded with 1 bits, then EOI. The DC code
// of size s is the 4-bit value s; the AC codes are 8 bits: 0x00 EOB,
// 0x01 ZRL, then 2 + 10 x run + size - 1 for (run, size).
Bytes buildWithEntropy(const BuiltPicture& picture, const std::vector<std::pair<std::uint32_t, int>>& bits);
// The length of everything before the entropy data of build(picture).
std::size_t headerLength(const BuiltPicture& picture);

void append(Bytes& to, const Bytes& more);

}  // namespace qelo::jpegtest
