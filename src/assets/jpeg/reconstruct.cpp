#include "assets/jpeg/reconstruct.h"

#include "assets/jpeg/vector_path.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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

void reconstructBlockPortable(std::array<std::int32_t, 64>& coefficients, const Dequantiser& dequantiser, std::uint32_t columnsUsed,
                              std::uint32_t columnsWithAc, std::uint8_t* out, std::int32_t stride)
{
    std::array<float, 64> block;
    for (int position = 0; position < 64; ++position)
        block[position] = dequantise(dequantiser, position, static_cast<float>(coefficients[position]));
    coefficients.fill(0);

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

#if defined(__SSE2__) || defined(_M_X64)

namespace {

// transform() on four columns at once: lane j of v[k] is input k of
// column j. The same operations in the same order, so the same results.
inline void transformLanes(__m128 (&v)[8])
{
    const __m128 sqrt2 = _mm_set1_ps(1.4142135f);
    const __m128 c1847 = _mm_set1_ps(1.847759f);
    const __m128 c1082 = _mm_set1_ps(1.0823922f);
    const __m128 c2613 = _mm_set1_ps(2.613126f);

    const __m128 t10 = _mm_add_ps(v[0], v[4]);
    const __m128 t11 = _mm_sub_ps(v[0], v[4]);
    const __m128 t13 = _mm_add_ps(v[2], v[6]);
    const __m128 t12 = _mm_sub_ps(_mm_mul_ps(_mm_sub_ps(v[2], v[6]), sqrt2), t13);
    const __m128 e0 = _mm_add_ps(t10, t13);
    const __m128 e3 = _mm_sub_ps(t10, t13);
    const __m128 e1 = _mm_add_ps(t11, t12);
    const __m128 e2 = _mm_sub_ps(t11, t12);

    const __m128 z13 = _mm_add_ps(v[5], v[3]);
    const __m128 z10 = _mm_sub_ps(v[5], v[3]);
    const __m128 z11 = _mm_add_ps(v[1], v[7]);
    const __m128 z12 = _mm_sub_ps(v[1], v[7]);
    const __m128 o7 = _mm_add_ps(z11, z13);
    const __m128 q11 = _mm_mul_ps(_mm_sub_ps(z11, z13), sqrt2);
    const __m128 z5 = _mm_mul_ps(_mm_add_ps(z10, z12), c1847);
    const __m128 q10 = _mm_sub_ps(_mm_mul_ps(z12, c1082), z5);
    const __m128 q12 = _mm_sub_ps(z5, _mm_mul_ps(z10, c2613));
    const __m128 o6 = _mm_sub_ps(q12, o7);
    const __m128 o5 = _mm_sub_ps(q11, o6);
    const __m128 o4 = _mm_add_ps(q10, o5);

    v[0] = _mm_add_ps(e0, o7);
    v[7] = _mm_sub_ps(e0, o7);
    v[1] = _mm_add_ps(e1, o6);
    v[6] = _mm_sub_ps(e1, o6);
    v[2] = _mm_add_ps(e2, o5);
    v[5] = _mm_sub_ps(e2, o5);
    v[4] = _mm_add_ps(e3, o4);
    v[3] = _mm_sub_ps(e3, o4);
}

inline void transpose(__m128& a, __m128& b, __m128& c, __m128& d)
{
    const __m128 ab0 = _mm_unpacklo_ps(a, b);
    const __m128 ab1 = _mm_unpackhi_ps(a, b);
    const __m128 cd0 = _mm_unpacklo_ps(c, d);
    const __m128 cd1 = _mm_unpackhi_ps(c, d);
    a = _mm_movelh_ps(ab0, cd0);
    b = _mm_movehl_ps(cd0, ab0);
    c = _mm_movelh_ps(ab1, cd1);
    d = _mm_movehl_ps(cd1, ab1);
}

// sampleFrom() on four values.
inline __m128i samplesFrom(__m128 eightTimes)
{
    const __m128 bounded = _mm_min_ps(_mm_max_ps(eightTimes, _mm_set1_ps(-65536.0f)), _mm_set1_ps(65536.0f));
    return _mm_add_epi32(_mm_srai_epi32(_mm_cvttps_epi32(bounded), 3), _mm_set1_epi32(128));
}

inline void storeRow(std::uint8_t* out, __m128 left, __m128 right)
{
    const __m128i words = _mm_packs_epi32(samplesFrom(left), samplesFrom(right));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}

// dequantise() on four coefficients at `at`; clears them.
inline __m128 dequantiseFour(std::int32_t* coefficients, const Dequantiser& d, int at)
{
    auto* source = reinterpret_cast<__m128i*>(coefficients + at);
    const __m128 values = _mm_cvtepi32_ps(_mm_loadu_si128(source));
    _mm_storeu_si128(source, _mm_setzero_si128());
    const __m128 product = _mm_mul_ps(_mm_loadu_ps(d.quant.data() + at), values);
    return _mm_mul_ps(_mm_mul_ps(product, _mm_loadu_ps(d.rowScale.data() + at)), _mm_loadu_ps(d.columnScale.data() + at));
}

}  // namespace

void reconstructBlock(std::array<std::int32_t, 64>& coefficients, const Dequantiser& dequantiser, std::uint32_t columnsUsed,
                      std::uint32_t columnsWithAc, std::uint8_t* out, std::int32_t stride)
{
    // Columns 0..3 and 4..7, one vector per row.
    __m128 left[8], right[8];
    for (int row = 0; row < 8; ++row) left[row] = dequantiseFour(coefficients.data(), dequantiser, 8 * row);
    if (columnsUsed & 0xF0u) {
        for (int row = 0; row < 8; ++row) right[row] = dequantiseFour(coefficients.data(), dequantiser, 8 * row + 4);
    } else {
        // Zero coefficients dequantise to +0 (every factor is positive or 0).
        for (int row = 0; row < 8; ++row) right[row] = _mm_setzero_ps();
    }
    if (columnsWithAc & 0x0Fu) {
        transformLanes(left);
    } else {
        for (int row = 1; row < 8; ++row) left[row] = left[0];
    }
    if (columnsWithAc & 0xF0u) {
        transformLanes(right);
    } else {
        for (int row = 1; row < 8; ++row) right[row] = right[0];
    }

    if ((columnsUsed & ~1u) == 0) {
        // Every row is its column-0 value.
        for (int row = 0; row < 8; ++row) {
            const __m128 value = _mm_shuffle_ps(left[row], left[row], 0);
            storeRow(out + row * stride, value, value);
        }
        return;
    }

    // Rows 0..3 and 4..7, one vector per column. Zero quadrants transpose
    // to zeros.
    const bool rightUsed = (columnsUsed & 0xF0u) != 0;
    __m128 top[8] = {left[0], left[1], left[2], left[3], right[0], right[1], right[2], right[3]};
    transpose(top[0], top[1], top[2], top[3]);
    if (rightUsed) transpose(top[4], top[5], top[6], top[7]);
    transformLanes(top);
    transpose(top[0], top[1], top[2], top[3]);
    transpose(top[4], top[5], top[6], top[7]);
    if (columnsWithAc == 0) {
        // Nothing below row 0: every row equals row 0, so rows 4..7 are
        // rows 0..3 again.
        for (int row = 0; row < 4; ++row) {
            storeRow(out + row * stride, top[row], top[row + 4]);
            storeRow(out + (row + 4) * stride, top[row], top[row + 4]);
        }
        return;
    }
    __m128 bottom[8] = {left[4], left[5], left[6], left[7], right[4], right[5], right[6], right[7]};
    transpose(bottom[0], bottom[1], bottom[2], bottom[3]);
    if (rightUsed) transpose(bottom[4], bottom[5], bottom[6], bottom[7]);
    transformLanes(bottom);
    transpose(bottom[0], bottom[1], bottom[2], bottom[3]);
    transpose(bottom[4], bottom[5], bottom[6], bottom[7]);
    for (int row = 0; row < 4; ++row) {
        storeRow(out + row * stride, top[row], top[row + 4]);
        storeRow(out + (row + 4) * stride, bottom[row], bottom[row + 4]);
    }
}

#else

void reconstructBlock(std::array<std::int32_t, 64>& coefficients, const Dequantiser& dequantiser, std::uint32_t columnsUsed,
                      std::uint32_t columnsWithAc, std::uint8_t* out, std::int32_t stride)
{
    reconstructBlockPortable(coefficients, dequantiser, columnsUsed, columnsWithAc, out, stride);
}

#endif

BlockReconstructor blockReconstructor()
{
#ifdef QELO_JPEG_HAS_AVX2
    if (vectorPath() == VectorPath::avx2) return reconstructBlockAvx2;
#endif
    return reconstructBlock;
}

}  // namespace qelo::jpeg
