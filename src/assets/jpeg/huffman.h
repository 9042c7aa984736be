#pragma once
// Huffman tables as a DHT segment defines them, and the lookup form the scan
// decodes with.
#include <array>
#include <cstdint>

namespace qelo::jpeg {

struct HuffmanTable {
    std::array<std::uint8_t, 16> counts{};   // BITS: number of codes of each length 1..16
    std::array<std::uint8_t, 256> values{};  // HUFFVAL: symbols in stream order
    bool defined = false;
};

// Codes are assigned as in T.81 Annex C and kept as 16-bit values. The next
// bits decode to the first symbol, in stream order, of the shortest length L
// whose code equals the next L bits; no such symbol within 16 bits is an
// invalid code. A table without symbols decodes the single bit 0 as symbol 0
// (its zeroed first entry has code 0), and nothing else.
struct HuffmanDecoder {
    static constexpr int fastBits = 9;
    // Carries the coefficient index past any that a real run can reach
    // (at most 63 + 15), so the decoder notices the end of the block where
    // it checks for runs past the end.
    static constexpr std::int32_t endOfBlockRun = 128;
    // The lookup arrays are left uninitialised here: buildHuffmanDecoder
    // writes every entry that is read, and a decode builds only the tables
    // its scan uses.
    //
    // Indexed by the next fastBits bits: (length << 8) | symbol, or 0 when no
    // code of fastBits bits or fewer matches.
    std::array<std::uint16_t, 1 << fastBits> fast;
    // Per code length: the code of its first symbol (modulo 2^16), how many
    // symbols have that length and where they start in `values`.
    std::array<std::int32_t, 17> firstCode{};
    std::array<std::int32_t, 17> count{};
    std::array<std::int32_t, 17> firstIndex{};
    std::array<std::uint8_t, 256> values;
    // For AC tables, indexed like `fast`: a whole coefficient whose code and
    // value bits fit in fastBits, as (value << 16) | (run << 8) | bits used;
    // the end-of-block symbol as a run of endOfBlockRun; 0 when the bits do
    // not fit. Not built for DC tables.
    std::array<std::int32_t, 1 << fastBits> fastAc;
};

// Sum of the BITS counts; at most 16 x 255.
std::int32_t symbolCount(const HuffmanTable& table);

enum class TableClass { dc, ac };

// Builds `decoder` from `table`, which must hold at most 256 symbols.
void buildHuffmanDecoder(HuffmanDecoder& decoder, const HuffmanTable& table, TableClass tableClass);

}  // namespace qelo::jpeg
