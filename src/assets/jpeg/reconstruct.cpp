#include "assets/jpeg/reconstruct.h"

namespace qelo::jpeg {

const std::array<std::uint8_t, 64> naturalOrder = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

namespace {

// S[k] = sqrt(2) cos(k pi / 16), S[0] = 1.
constexpr std::array<float, 8> aanScale = {1.0f, 1.3870399f, 1.306563f, 1.1758755f, 1.0f, 0.78569496f, 0.5411961f, 0.27589938f};

// The one-dimensional AAN transform of eight values `stride` floats apart,
// in place. Every operation is a 32-bit float operation in this order.
inline void transform(float* v, int stride)
{
    const float i0 = v[0], i1 = v[stride], i2 = v[2 * stride], i3 = v[3 * stride];
    const float i4 = v[4 * stride], i5 = v[5 * stride], i6 = v[6 * stride], i7 = v[7 * stride];

    const float t10 = i0 + i4;
    const float t11 = i0 - i4;
    const float t13 = i2 + i6;
    const float t12 = (i2 - i6) * 1.4142135f - t13;
    const float e0 = t10 + t13;
    const float e3 = t10 - t13;
    const float e1 = t11 + t12;
    const float e2 = t11 - t12;

    const float z13 = i5 + i3;
    const float z10 = i5 - i3;
    const float z11 = i1 + i7;
    const float z12 = i1 - i7;
    const float o7 = z11 + z13;
    const float q11 = (z11 - z13) * 1.4142135f;
    const float z5 = (z10 + z12) * 1.847759f;
    const float q10 = z12 * 1.0823922f - z5;
    const float q12 = z5 - z10 * 2.613126f;
    const float o6 = q12 - o7;
    const float o5 = q11 - o6;
    const float o4 = q10 + o5;

    v[0] = e0 + o7;
    v[7 * stride] = e0 - o7;
    v[stride] = e1 + o6;
    v[6 * stride] = e1 - o6;
    v[2 * stride] = e2 + o5;
    v[5 * stride] = e2 - o5;
    v[4 * stride] = e3 + o4;
    v[3 * stride] = e3 - o4;
}

}  // namespace

Dequantiser makeDequantiser(const std::array<std::int32_t, 64>& zigZagValues)
{
    Dequantiser d;
    for (int k = 0; k < 64; ++k) {
        const int position = naturalOrder[k];
        d.quant[position] = static_cast<float>(zigZagValues[k]);
        d.rowScale[position] = aanScale[position / 8];
        d.columnScale[position] = aanScale[position % 8];
    }
    return d;
}

void inverseDct(std::array<float, 64>& block, std::uint32_t columnsUsed, std::uint32_t columnsWithAc, std::uint8_t* out,
                std::int32_t stride)
{
    // A column whose rows 1..7 are zero transforms to its row-0 value in
    // every row, so it is left as it is apart from the copy.
    for (int column = 0; column < 8; ++column) {
        if (columnsWithAc & (1u << column)) {
            transform(block.data() + column, 8);
        } else {
            const float dc = block[column];
            for (int row = 1; row < 8; ++row) block[8 * row + column] = dc;
        }
    }
    // After the columns, rows are zero past column 0 exactly when the block
    // had nothing outside column 0; each such row is its column-0 value.
    const bool onlyColumnZero = (columnsUsed & ~1u) == 0;
    for (int row = 0; row < 8; ++row) {
        float* values = block.data() + 8 * row;
        std::uint8_t* samples = out + row * stride;
        if (onlyColumnZero) {
            const std::uint8_t sample = sampleFrom(values[0]);
            for (int column = 0; column < 8; ++column) samples[column] = sample;
            continue;
        }
        transform(values, 1);
        for (int column = 0; column < 8; ++column) samples[column] = sampleFrom(values[column]);
    }
}

}  // namespace qelo::jpeg
