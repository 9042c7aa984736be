// reconstructBlock with AVX2: all eight columns (then all eight rows) of a
// block go through the transform at once, one 8-lane vector per row. Lane
// by lane the operations are those of transform(), in the same order, so
// the samples are the same bytes.
#include "assets/jpeg/reconstruct.h"
#include "assets/jpeg/vector_path.h"

#ifdef QELO_JPEG_HAS_AVX2

#include <immintrin.h>

namespace qelo::jpeg {
namespace {

QELO_JPEG_AVX2 inline void transformLanes(__m256 (&v)[8])
{
    const __m256 sqrt2 = _mm256_set1_ps(1.4142135f);
    const __m256 c1847 = _mm256_set1_ps(1.847759f);
    const __m256 c1082 = _mm256_set1_ps(1.0823922f);
    const __m256 c2613 = _mm256_set1_ps(2.613126f);

    const __m256 t10 = _mm256_add_ps(v[0], v[4]);
    const __m256 t11 = _mm256_sub_ps(v[0], v[4]);
    const __m256 t13 = _mm256_add_ps(v[2], v[6]);
    const __m256 t12 = _mm256_sub_ps(_mm256_mul_ps(_mm256_sub_ps(v[2], v[6]), sqrt2), t13);
    const __m256 e0 = _mm256_add_ps(t10, t13);
    const __m256 e3 = _mm256_sub_ps(t10, t13);
    const __m256 e1 = _mm256_add_ps(t11, t12);
    const __m256 e2 = _mm256_sub_ps(t11, t12);

    const __m256 z13 = _mm256_add_ps(v[5], v[3]);
    const __m256 z10 = _mm256_sub_ps(v[5], v[3]);
    const __m256 z11 = _mm256_add_ps(v[1], v[7]);
    const __m256 z12 = _mm256_sub_ps(v[1], v[7]);
    const __m256 o7 = _mm256_add_ps(z11, z13);
    const __m256 q11 = _mm256_mul_ps(_mm256_sub_ps(z11, z13), sqrt2);
    const __m256 z5 = _mm256_mul_ps(_mm256_add_ps(z10, z12), c1847);
    const __m256 q10 = _mm256_sub_ps(_mm256_mul_ps(z12, c1082), z5);
    const __m256 q12 = _mm256_sub_ps(z5, _mm256_mul_ps(z10, c2613));
    const __m256 o6 = _mm256_sub_ps(q12, o7);
    const __m256 o5 = _mm256_sub_ps(q11, o6);
    const __m256 o4 = _mm256_add_ps(q10, o5);

    v[0] = _mm256_add_ps(e0, o7);
    v[7] = _mm256_sub_ps(e0, o7);
    v[1] = _mm256_add_ps(e1, o6);
    v[6] = _mm256_sub_ps(e1, o6);
    v[2] = _mm256_add_ps(e2, o5);
    v[5] = _mm256_sub_ps(e2, o5);
    v[4] = _mm256_add_ps(e3, o4);
    v[3] = _mm256_sub_ps(e3, o4);
}

QELO_JPEG_AVX2 inline void transpose(__m256 (&v)[8])
{
    // Written out: the compiler keeps it all in registers only when no
    // loop indexes the arrays.
    const __m256 t0 = _mm256_unpacklo_ps(v[0], v[1]), t1 = _mm256_unpackhi_ps(v[0], v[1]);
    const __m256 t2 = _mm256_unpacklo_ps(v[2], v[3]), t3 = _mm256_unpackhi_ps(v[2], v[3]);
    const __m256 t4 = _mm256_unpacklo_ps(v[4], v[5]), t5 = _mm256_unpackhi_ps(v[4], v[5]);
    const __m256 t6 = _mm256_unpacklo_ps(v[6], v[7]), t7 = _mm256_unpackhi_ps(v[6], v[7]);
    const __m256 u0 = _mm256_shuffle_ps(t0, t2, 0x44), u1 = _mm256_shuffle_ps(t0, t2, 0xEE);
    const __m256 u2 = _mm256_shuffle_ps(t1, t3, 0x44), u3 = _mm256_shuffle_ps(t1, t3, 0xEE);
    const __m256 u4 = _mm256_shuffle_ps(t4, t6, 0x44), u5 = _mm256_shuffle_ps(t4, t6, 0xEE);
    const __m256 u6 = _mm256_shuffle_ps(t5, t7, 0x44), u7 = _mm256_shuffle_ps(t5, t7, 0xEE);
    v[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
    v[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
    v[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
    v[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
    v[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
    v[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
    v[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
    v[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}

// sampleFrom() on eight values, before the clamp (packing saturates).
QELO_JPEG_AVX2 inline __m256i samplesFrom(__m256 eightTimes)
{
    const __m256 bounded = _mm256_min_ps(_mm256_max_ps(eightTimes, _mm256_set1_ps(-65536.0f)), _mm256_set1_ps(65536.0f));
    return _mm256_add_epi32(_mm256_srai_epi32(_mm256_cvttps_epi32(bounded), 3), _mm256_set1_epi32(128));
}

}  // namespace

QELO_JPEG_AVX2 void reconstructBlockAvx2(std::array<std::int32_t, 64>& coefficients, const Dequantiser& d, std::uint32_t,
                                         std::uint32_t columnsWithAc, std::uint8_t* out, std::int32_t stride)
{
    // One vector per row, lane c = column c.
    __m256 v[8];
#pragma GCC unroll 8
    for (int row = 0; row < 8; ++row) {
        auto* source = reinterpret_cast<__m256i*>(coefficients.data() + 8 * row);
        const __m256 values = _mm256_cvtepi32_ps(_mm256_loadu_si256(source));
        _mm256_storeu_si256(source, _mm256_setzero_si256());
        const __m256 product = _mm256_mul_ps(_mm256_loadu_ps(d.quant.data() + 8 * row), values);
        v[row] = _mm256_mul_ps(_mm256_mul_ps(product, _mm256_loadu_ps(d.rowScale.data() + 8 * row)),
                               _mm256_loadu_ps(d.columnScale.data() + 8 * row));
    }
    // Columns with nothing below row 0 transform to copies of row 0; when
    // that holds for all of them the pass is a copy. (Along the rows no
    // shortcut pays: all eight go at once.)
    if (columnsWithAc != 0) {
        transformLanes(v);
    } else {
#pragma GCC unroll 8
        for (int row = 1; row < 8; ++row) v[row] = v[0];
    }
    transpose(v);  // now lane r = row r, one vector per column
    transformLanes(v);

    // Samples of column pairs as 16 bits, then of columns 0..3 and 4..7 as
    // bytes: in each 128-bit half a 4 x 4 matrix (column-major; rows 0..3
    // in the low half, 4..7 in the high), which one byte shuffle turns
    // row-major.
    const __m256i c01 = _mm256_packs_epi32(samplesFrom(v[0]), samplesFrom(v[1]));
    const __m256i c23 = _mm256_packs_epi32(samplesFrom(v[2]), samplesFrom(v[3]));
    const __m256i c45 = _mm256_packs_epi32(samplesFrom(v[4]), samplesFrom(v[5]));
    const __m256i c67 = _mm256_packs_epi32(samplesFrom(v[6]), samplesFrom(v[7]));
    const __m256i toRows = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,  //
                                            0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    const __m256i left = _mm256_shuffle_epi8(_mm256_packus_epi16(c01, c23), toRows);
    const __m256i right = _mm256_shuffle_epi8(_mm256_packus_epi16(c45, c67), toRows);
    // Rows 0, 1 | 4, 5 and rows 2, 3 | 6, 7, eight bytes each.
    const __m256i rows0145 = _mm256_unpacklo_epi32(left, right);
    const __m256i rows2367 = _mm256_unpackhi_epi32(left, right);
    const __m128i rows01 = _mm256_castsi256_si128(rows0145), rows45 = _mm256_extracti128_si256(rows0145, 1);
    const __m128i rows23 = _mm256_castsi256_si128(rows2367), rows67 = _mm256_extracti128_si256(rows2367, 1);
    const auto store = [out, stride](int row, __m128i pair, bool high) {
        auto* at = reinterpret_cast<double*>(out + row * stride);
        if (high) {
            _mm_storeh_pd(at, _mm_castsi128_pd(pair));
        } else {
            _mm_storel_pd(at, _mm_castsi128_pd(pair));
        }
    };
    store(0, rows01, false);
    store(1, rows01, true);
    store(2, rows23, false);
    store(3, rows23, true);
    store(4, rows45, false);
    store(5, rows45, true);
    store(6, rows67, false);
    store(7, rows67, true);
}

}  // namespace qelo::jpeg

#endif
