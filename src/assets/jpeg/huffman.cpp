#include "assets/jpeg/huffman.h"

namespace qelo::jpeg {

std::int32_t symbolCount(const HuffmanTable& table)
{
    std::int32_t total = 0;
    for (const std::uint8_t n : table.counts) total += n;
    return total;
}

void buildHuffmanDecoder(HuffmanDecoder& decoder, const HuffmanTable& table, TableClass tableClass)
{
    decoder.values = table.values;
    decoder.firstCode.fill(0);
    decoder.count.fill(0);
    decoder.firstIndex.fill(0);
    decoder.fast.fill(0);
    if (tableClass == TableClass::ac) decoder.fastAc.fill(0);
    if (symbolCount(table) == 0) {
        const std::uint16_t bitZeroIsSymbolZero = 1 << 8;
        for (std::size_t i = 0; i < decoder.fast.size() / 2; ++i) decoder.fast[i] = bitZeroIsSymbolZero;
        return;
    }

    // Annex C code assignment. An over-full BITS list makes codes outgrow
    // their length; such codes (and those equal modulo 2^16 to an earlier
    // one) never match, exactly as a comparison of 16-bit codes behaves.
    std::int32_t code = 0;
    std::int32_t index = 0;
    for (int length = 1; length <= 16; ++length) {
        const std::int32_t n = table.counts[length - 1];
        decoder.firstCode[length] = code & 0xFFFF;
        decoder.count[length] = n;
        decoder.firstIndex[length] = index;
        if (length <= HuffmanDecoder::fastBits) {
            const int spare = HuffmanDecoder::fastBits - length;
            for (std::int32_t j = 0; j < n; ++j) {
                const std::int32_t stored = (code + j) & 0xFFFF;
                if (stored >= (1 << length)) continue;
                const auto entry = static_cast<std::uint16_t>((length << 8) | table.values[index + j]);
                // Shorter codes were entered first and win over the longer
                // codes they prefix; within a length the first symbol wins.
                for (std::int32_t slot = stored << spare; slot < (stored + 1) << spare; ++slot)
                    if (decoder.fast[slot] == 0) decoder.fast[slot] = entry;
            }
        }
        code = (code + n) * 2;
        index += n;
    }

    if (tableClass == TableClass::dc) return;
    constexpr int bits = HuffmanDecoder::fastBits;
    for (std::int32_t next = 0; next < (1 << bits); ++next) {
        const std::int32_t entry = decoder.fast[next];
        if (entry == 0) continue;
        const std::int32_t length = entry >> 8;
        if ((entry & 0xFF) == 0) {
            decoder.fastAc[next] = HuffmanDecoder::endOfBlockRun << 8 | length;
            continue;
        }
        const std::int32_t size = entry & 15;
        if (length + size > bits) continue;
        std::int32_t value = 0;
        if (size > 0) {
            value = (next >> (bits - length - size)) & ((1 << size) - 1);
            if (value < (1 << (size - 1))) value -= (1 << size) - 1;
        }
        decoder.fastAc[next] = value * 65536 + ((entry & 0xF0) << 4) + length + size;
    }
}

}  // namespace qelo::jpeg
