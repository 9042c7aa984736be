#include "jpeg_builder.h"

#include <cstdlib>

namespace qelo::jpegtest {
namespace {

// Codes the builder uses. DC: symbol s (0..11) has the 4-bit code s. AC:
// EOB, ZRL and every (run, size) with size 1..10, in that order, have the
// 8-bit code of their index.
std::vector<std::uint8_t> acSymbols()
{
    std::vector<std::uint8_t> symbols = {0x00, 0xF0};
    for (int run = 0; run < 16; ++run)
        for (int size = 1; size <= 10; ++size) symbols.push_back(static_cast<std::uint8_t>(run << 4 | size));
    return symbols;
}

int acCode(int symbol)
{
    static const std::vector<std::uint8_t> symbols = acSymbols();
    for (std::size_t i = 0; i < symbols.size(); ++i)
        if (symbols[i] == symbol) return static_cast<int>(i);
    std::abort();
}

class EntropyWriter {
public:
    void put(std::uint32_t bits, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            current = static_cast<std::uint8_t>(current << 1 | ((bits >> i) & 1));
            if (++filled == 8) flushByte();
        }
    }
    // Pads the last byte with 1 bits.
    void align()
    {
        while (filled != 0) put(1, 1);
    }
    void marker(std::uint8_t code)
    {
        align();
        bytes.push_back(0xFF);
        bytes.push_back(code);
    }
    Bytes bytes;

private:
    void flushByte()
    {
        bytes.push_back(current);
        if (current == 0xFF) bytes.push_back(0x00);
        current = 0;
        filled = 0;
    }
    std::uint8_t current = 0;
    int filled = 0;
};

int magnitudeBits(int value)
{
    int size = 0;
    for (int a = std::abs(value); a > 0; a >>= 1) ++size;
    return size;
}

void putValue(EntropyWriter& out, int value, int size)
{
    if (size > 0) out.put(static_cast<std::uint32_t>(value >= 0 ? value : value + (1 << size) - 1), size);
}

void encodeBlock(EntropyWriter& out, const Coefficients& block, int& predictor)
{
    const int difference = block[0] - predictor;
    predictor = block[0];
    const int dcSize = magnitudeBits(difference);
    out.put(static_cast<std::uint32_t>(dcSize), 4);
    putValue(out, difference, dcSize);
    int run = 0;
    int last = 63;
    while (last > 0 && block[last] == 0) --last;
    for (int k = 1; k <= last; ++k) {
        if (block[k] == 0) {
            ++run;
            continue;
        }
        for (; run >= 16; run -= 16) out.put(static_cast<std::uint32_t>(acCode(0xF0)), 8);
        const int size = magnitudeBits(block[k]);
        out.put(static_cast<std::uint32_t>(acCode(run << 4 | size)), 8);
        putValue(out, block[k], size);
        run = 0;
    }
    if (last < 63) out.put(static_cast<std::uint32_t>(acCode(0x00)), 8);
}

Bytes headers(const BuiltPicture& picture)
{
    Bytes out = {0xFF, 0xD8};
    append(out, picture.extraSegments);

    Bytes dqt;
    for (int t = 0; t < picture.quantTables; ++t) {
        dqt.push_back(static_cast<std::uint8_t>((picture.sixteenBitQuant ? 0x10 : 0x00) | t));
        for (const int q : picture.quant[t]) {
            if (picture.sixteenBitQuant) dqt.push_back(static_cast<std::uint8_t>(q >> 8));
            dqt.push_back(static_cast<std::uint8_t>(q));
        }
    }
    append(out, segment(0xDB, dqt));

    Bytes sof = {8, static_cast<std::uint8_t>(picture.height >> 8), static_cast<std::uint8_t>(picture.height),
                 static_cast<std::uint8_t>(picture.width >> 8), static_cast<std::uint8_t>(picture.width),
                 static_cast<std::uint8_t>(picture.components.size())};
    for (const BuiltComponent& c : picture.components) {
        sof.push_back(static_cast<std::uint8_t>(c.id));
        sof.push_back(static_cast<std::uint8_t>(c.h << 4 | c.v));
        sof.push_back(static_cast<std::uint8_t>(c.quantTable));
    }
    append(out, segment(0xC0, sof));

    Bytes dht = {0x00, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int s = 0; s < 12; ++s) dht.push_back(static_cast<std::uint8_t>(s));
    const std::vector<std::uint8_t> ac = acSymbols();
    append(dht, {0x10, 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(ac.size()), 0, 0, 0, 0, 0, 0, 0, 0});
    append(dht, ac);
    append(out, segment(0xC4, dht));

    if (picture.restartInterval > 0)
        append(out, segment(0xDD, {static_cast<std::uint8_t>(picture.restartInterval >> 8), static_cast<std::uint8_t>(picture.restartInterval)}));

    Bytes sos = {static_cast<std::uint8_t>(picture.components.size())};
    for (const BuiltComponent& c : picture.components) append(sos, {static_cast<std::uint8_t>(c.id), 0x00});
    append(sos, {0, 63, 0});
    append(out, segment(0xDA, sos));
    return out;
}

}  // namespace

std::array<int, 64> flatQuant(int q)
{
    std::array<int, 64> table;
    table.fill(q);
    return table;
}

Coefficients dcBlock(int dc)
{
    Coefficients block{};
    block[0] = dc;
    return block;
}

void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

Bytes segment(std::uint8_t marker, const Bytes& payload)
{
    const std::size_t length = payload.size() + 2;
    Bytes out = {0xFF, marker, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    append(out, payload);
    return out;
}

std::size_t headerLength(const BuiltPicture& picture) { return headers(picture).size(); }

Bytes buildWithEntropy(const BuiltPicture& picture, const std::vector<std::pair<std::uint32_t, int>>& bits)
{
    Bytes out = headers(picture);
    EntropyWriter entropy;
    for (const auto& [value, count] : bits) entropy.put(value, count);
    entropy.align();
    append(out, entropy.bytes);
    append(out, {0xFF, 0xD9});
    return out;
}

Bytes build(const BuiltPicture& picture)
{
    Bytes out = headers(picture);
    int blocksPerMcu = 0;
    std::vector<int> componentOfBlock;
    for (std::size_t c = 0; c < picture.components.size(); ++c) {
        const BuiltComponent& component = picture.components[c];
        const int blocks = picture.components.size() == 1 ? 1 : component.h * component.v;
        for (int b = 0; b < blocks; ++b) componentOfBlock.push_back(static_cast<int>(c));
        blocksPerMcu += blocks;
    }
    EntropyWriter entropy;
    std::array<int, 4> predictors{};
    int restarts = 0;
    for (std::size_t i = 0; i < picture.blocks.size(); ++i) {
        const std::size_t mcu = i / blocksPerMcu;
        if (i % blocksPerMcu == 0 && mcu > 0 && picture.restartInterval > 0 && mcu % picture.restartInterval == 0) {
            entropy.marker(static_cast<std::uint8_t>(0xD0 + restarts++ % 8));
            predictors = {};
        }
        encodeBlock(entropy, picture.blocks[i], predictors[componentOfBlock[i % blocksPerMcu]]);
    }
    entropy.align();
    append(out, entropy.bytes);
    append(out, {0xFF, 0xD9});
    return out;
}

}  // namespace qelo::jpegtest
