#pragma once
// From a block of dequantised coefficients to 8 x 8 samples: the AAN
// floating-point inverse DCT, whose scale factors are folded into
// dequantisation, then truncation, an arithmetic shift by 3, +128 and
// clamping to 0..255.
#include <array>
#include <cstdint>

namespace qelo::jpeg {

// Zig-zag index k to natural position 8 x row + column (T.81 Figure A.6).
extern const std::array<std::uint8_t, 64> naturalOrder;

// Per natural position: the quantisation value and the two AAN scale
// factors of its row and column.
struct Dequantiser {
    std::array<float, 64> quant{};
    std::array<float, 64> rowScale{};
    std::array<float, 64> columnScale{};
};

Dequantiser makeDequantiser(const std::array<std::int32_t, 64>& zigZagValues);

// The dequantised coefficient: ((Q x c) x S[row]) x S[column], each product
// rounded to a 32-bit float as it is formed.
inline float dequantise(const Dequantiser& d, int position, float coefficient)
{
    return d.quant[position] * coefficient * d.rowScale[position] * d.columnScale[position];
}

// One sample from eight times its value: truncate toward zero, shift right
// arithmetically by 3 (floor of a division by 8), add 128, clamp. Values far
// outside any sample's range saturate.
inline std::uint8_t sampleFrom(float eightTimes)
{
    const float bounded = eightTimes < -65536.0f ? -65536.0f : (eightTimes > 65536.0f ? 65536.0f : eightTimes);
    const std::int32_t n = (static_cast<std::int32_t>(bounded) >> 3) + 128;
    return static_cast<std::uint8_t>(n < 0 ? 0 : (n > 255 ? 255 : n));
}

// Dequantises `coefficients` (natural order, DC included) and turns them into
// 8 rows of 8 samples at `out`, rows `stride` bytes apart, through the inverse
// DCT: first down each column, then along each row. Bit c of `columnsUsed`
// is set when column c holds any non-zero coefficient, bit c of
// `columnsWithAc` when it holds one below row 0; the zero parts they reveal
// transform to copies of their first value, exactly, and are not computed.
// The coefficients are left all zero, ready for the next block.
void reconstructBlock(std::array<std::int32_t, 64>& coefficients, const Dequantiser& dequantiser, std::uint32_t columnsUsed,
                      std::uint32_t columnsWithAc, std::uint8_t* out, std::int32_t stride);
// The same with AVX2, for processors that have it (see vector_path.h).
void reconstructBlockAvx2(std::array<std::int32_t, 64>& coefficients, const Dequantiser& dequantiser, std::uint32_t columnsUsed,
                          std::uint32_t columnsWithAc, std::uint8_t* out, std::int32_t stride);
// The same, one value at a time: what reconstructBlock does where SSE2 is
// missing, and what its vector form must match bit for bit.
void reconstructBlockPortable(std::array<std::int32_t, 64>& coefficients, const Dequantiser& dequantiser, std::uint32_t columnsUsed,
                              std::uint32_t columnsWithAc, std::uint8_t* out, std::int32_t stride);

using BlockReconstructor = void (*)(std::array<std::int32_t, 64>&, const Dequantiser&, std::uint32_t, std::uint32_t, std::uint8_t*,
                                   std::int32_t);

// reconstructBlock, or its AVX2 form when the decoder may use AVX2.
BlockReconstructor blockReconstructor();

}  // namespace qelo::jpeg
