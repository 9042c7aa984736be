#include "assets/jpeg/scan.h"

#include <algorithm>
#include <array>
#include <vector>

#include "assets/jpeg/bit_reader.h"
#include "assets/jpeg/colour.h"
#include "assets/jpeg/huffman.h"
#include "assets/jpeg/reconstruct.h"

namespace qelo::jpeg {
namespace {

constexpr const char* badCode = "bad Huffman code";

// How one component takes part in the scan.
struct ComponentPlan {
    std::int32_t h = 1;  // blocks per MCU across
    std::int32_t v = 1;  // blocks per MCU down
    std::int32_t hr = 1; // pixels per sample across
    std::int32_t vr = 1; // pixels per sample down
    std::int32_t stride = 0;
    std::vector<std::uint8_t> band;  // one MCU row of samples
    const HuffmanDecoder* dc = nullptr;
    const HuffmanDecoder* ac = nullptr;
    Dequantiser dequantiser;
    BlockReconstructor reconstruct = reconstructBlock;
};

// The next symbol, or -1 when the bits match no code within 16 bits. At
// least 16 bits must be buffered.
inline std::int32_t decodeSymbol(BitReader& in, const HuffmanDecoder& table)
{
    const std::uint32_t entry = table.fast[in.peek(HuffmanDecoder::fastBits)];
    if (entry != 0) {
        in.skip(static_cast<int>(entry >> 8));
        return static_cast<std::int32_t>(entry & 0xFF);
    }
    const std::uint32_t next16 = in.peek(16);
    for (int length = HuffmanDecoder::fastBits + 1; length <= 16; ++length) {
        const std::int32_t code = static_cast<std::int32_t>(next16 >> (16 - length));
        const std::int32_t j = (code - table.firstCode[length]) & 0xFFFF;
        if (j < table.count[length]) {
            in.skip(length);
            return table.values[table.firstIndex[length] + j];
        }
    }
    return -1;
}

// s bits read as v, extended to a signed value (T.81 F.2.2.1). At least s
// bits must be buffered; 0 bits give 0.
inline std::int32_t receiveExtend(BitReader& in, int s)
{
    if (s == 0) return 0;
    const auto v = static_cast<std::int32_t>(in.peek(s));
    in.skip(s);
    return v < (1 << (s - 1)) ? v - ((1 << s) - 1) : v;
}

// Per zig-zag index: bit c set for the coefficient's column c, and bit 8 + c
// as well when it lies below row 0.
constexpr std::array<std::uint32_t, 64> columnMasks()
{
    std::array<std::uint32_t, 64> masks{};
    const std::array<int, 64> natural = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
                                         41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
                                         30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    for (int k = 0; k < 64; ++k) masks[k] = (1u << (natural[k] % 8)) | (natural[k] >= 8 ? 1u << (8 + natural[k] % 8) : 0u);
    return masks;
}
constexpr std::array<std::uint32_t, 64> columnMask = columnMasks();

// A block whose coefficients are decoded but not yet transformed.
struct PendingBlock {
    std::array<std::int32_t, 64>* coefficients = nullptr;  // null when there is none
    const ComponentPlan* plan = nullptr;
    std::uint32_t columnsUsed = 0;
    std::uint32_t columnsWithAc = 0;
    std::uint8_t* out = nullptr;
};

// Transforms the pending block, if any, into its samples; its coefficients
// are all zero again afterwards.
inline void finish(PendingBlock& pending)
{
    if (pending.coefficients == nullptr) return;
    const ComponentPlan& plan = *pending.plan;
    plan.reconstruct(*pending.coefficients, plan.dequantiser, pending.columnsUsed, pending.columnsWithAc, pending.out, plan.stride);
    pending.coefficients = nullptr;
}

// Decodes one block of component c, whose samples go to `out`. A block of
// only a DC value is written at once; any other is left in `coefficients`
// (natural order, all zero on entry) and described in `decoded`, for the
// caller to finish.
const char* decodeBlock(BitReader& in, const ComponentPlan& plan, std::int32_t c, std::array<std::uint32_t, 3>& predictors,
                        std::array<std::int32_t, 64>& coefficients, std::uint8_t* out, PendingBlock& decoded)
{
    in.ensure(32);
    const std::int32_t dcSymbol = decodeSymbol(in, *plan.dc);
    if (dcSymbol < 0) return badCode;
    const std::int32_t difference = receiveExtend(in, dcSymbol & 15);
    if (in.restartPassed()) predictors = {0, 0, 0};
    // Predictors wrap like two's-complement 32-bit integers; no valid stream
    // comes near that.
    predictors[c] += static_cast<std::uint32_t>(difference);
    const auto dc = static_cast<std::int32_t>(predictors[c]);

    const HuffmanDecoder& ac = *plan.ac;
    std::uint32_t columns = 0;  // columnMask bits of every non-zero AC coefficient
    for (std::int32_t k = 1; k < 64;) {
        in.ensure(32);
        std::int32_t value;
        const std::int32_t whole = ac.fastAc[in.peek(HuffmanDecoder::fastBits)];
        if (whole != 0) {
            in.skip(whole & 0xFF);
            k += (whole >> 8) & 0xFF;
            value = whole >> 16;
        } else {
            const std::int32_t rs = decodeSymbol(in, ac);
            if (rs < 0) return badCode;
            if (rs == 0) break;  // end of block
            k += rs >> 4;
            value = receiveExtend(in, rs & 15);
        }
        if (k > 63) {
            if (k >= HuffmanDecoder::endOfBlockRun) break;  // end of block, from the whole-coefficient table
            return "coefficient run past the end of a block";
        }
        if (value != 0) {
            coefficients[naturalOrder[k]] = value;
            columns |= columnMask[k];
        }
        ++k;
    }

    if (columns == 0) {
        // Only the DC value: 64 equal samples.
        const std::uint8_t sample = sampleFrom(dequantise(plan.dequantiser, 0, static_cast<float>(dc)));
        for (int row = 0; row < 8; ++row, out += plan.stride) std::fill(out, out + 8, sample);
        return nullptr;
    }
    coefficients[0] = dc;
    decoded = {&coefficients, &plan, (columns & 0xFF) | 1u, columns >> 8, out};
    return nullptr;
}

}  // namespace

const char* decodeScan(const JpegHeaders& headers, const std::uint8_t* bytes, std::int32_t size, std::uint8_t* rgba)
{
    const std::int32_t count = headers.componentCount;
    // A single component forms one block per MCU whatever its factors
    // (T.81's non-interleaved order).
    const std::int32_t hMax = count == 1 ? 1 : headers.components[0].h;
    const std::int32_t vMax = count == 1 ? 1 : headers.components[0].v;
    const std::int32_t mcusAcross = (headers.width + 8 * hMax - 1) / (8 * hMax);
    const std::int32_t mcusDown = (headers.height + 8 * vMax - 1) / (8 * vMax);

    // Only the tables the scan uses are built (and only they are read).
    std::array<HuffmanDecoder, 4> dcDecoders;
    std::array<HuffmanDecoder, 4> acDecoders;
    std::array<bool, 4> dcBuilt{}, acBuilt{};
    std::array<ComponentPlan, 3> plans;
    const BlockReconstructor reconstruct = blockReconstructor();
    for (std::int32_t c = 0; c < count; ++c) {
        const FrameComponent& component = headers.components[c];
        ComponentPlan& plan = plans[c];
        plan.h = count == 1 ? 1 : component.h;
        plan.v = count == 1 ? 1 : component.v;
        plan.hr = hMax / plan.h;
        plan.vr = vMax / plan.v;
        plan.stride = mcusAcross * 8 * plan.h;
        plan.band.resize(static_cast<std::size_t>(plan.stride) * 8 * plan.v);
        if (!dcBuilt[component.dcTable]) buildHuffmanDecoder(dcDecoders[component.dcTable], headers.dcTables[component.dcTable], TableClass::dc);
        if (!acBuilt[component.acTable]) buildHuffmanDecoder(acDecoders[component.acTable], headers.acTables[component.acTable], TableClass::ac);
        dcBuilt[component.dcTable] = acBuilt[component.acTable] = true;
        plan.dc = &dcDecoders[component.dcTable];
        plan.ac = &acDecoders[component.acTable];
        plan.dequantiser = makeDequantiser(headers.quantTables[component.quantTable].values);
        plan.reconstruct = reconstruct;
    }

    BitReader in(bytes, size, headers.entropyStart);
    // Each block is transformed only after the next one is decoded: the
    // transform reads the coefficients eight at a time, and reading them
    // straight after the decoder's single stores would stall until those
    // reach the cache. Two buffers, so the next block can be decoded while
    // one waits.
    alignas(32) std::array<std::array<std::int32_t, 64>, 2> coefficients{};
    int freeBuffer = 0;
    PendingBlock pending;
    std::array<std::uint32_t, 3> predictors{};
    std::int64_t mcusDecoded = 0;
    const std::int64_t rowBytes = std::int64_t{headers.width} * 4;
    for (std::int32_t mcuRow = 0; mcuRow < mcusDown; ++mcuRow) {
        for (std::int32_t mcu = 0; mcu < mcusAcross; ++mcu) {
            for (std::int32_t c = 0; c < count; ++c) {
                ComponentPlan& plan = plans[c];
                for (std::int32_t br = 0; br < plan.v; ++br) {
                    for (std::int32_t bc = 0; bc < plan.h; ++bc) {
                        std::uint8_t* out = plan.band.data() + std::int64_t{8 * br} * plan.stride + 8 * (mcu * plan.h + bc);
                        PendingBlock decoded;
                        if (const char* error = decodeBlock(in, plan, c, predictors, coefficients[freeBuffer], out, decoded))
                            return error;
                        finish(pending);
                        if (decoded.coefficients != nullptr) {
                            pending = decoded;
                            freeBuffer ^= 1;
                        }
                    }
                }
            }
            // Each restart interval ends on a byte boundary, where its
            // restart marker stands.
            ++mcusDecoded;
            if (headers.restartInterval > 0 && mcusDecoded % headers.restartInterval == 0) in.alignToByte();
        }
        finish(pending);
        if (in.overran()) return "truncated file";

        const std::int32_t top = mcuRow * 8 * vMax;
        const std::int32_t rows = std::min(8 * vMax, headers.height - top);
        const auto line = [&](std::int32_t row) { return rgba + (top + row) * rowBytes; };
        const auto plane = [](const ComponentPlan& p) { return SamplePlane{p.band.data(), p.stride, p.hr, p.vr}; };
        if (count == 1) {
            for (std::int32_t row = 0; row < rows; ++row)
                greyRow(plans[0].band.data() + std::int64_t{row} * plans[0].stride, headers.width, line(row));
        } else if (headers.rgb) {
            const SamplePlane red = plane(plans[0]), green = plane(plans[1]), blue = plane(plans[2]);
            for (std::int32_t row = 0; row < rows; ++row) rgbRow(red, green, blue, row, headers.width, line(row));
        } else {
            const SamplePlane y = plane(plans[0]), cb = plane(plans[1]), cr = plane(plans[2]);
            std::int32_t row = 0;
            for (; row + 1 < rows; row += 2) yCbCrRowPair(y, cb, cr, row, headers.width, line(row), line(row + 1));
            if (row < rows) yCbCrRow(y, cb, cr, row, headers.width, line(row));
        }
    }
    return nullptr;
}

}  // namespace qelo::jpeg
