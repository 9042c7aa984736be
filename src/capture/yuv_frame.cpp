#include "capture/yuv_frame.h"

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace qelo {

namespace {

// BT.601 weights times 219/255 (luma) or 224/255 (chroma) in units of 2^-14;
// each chroma row sums to 0, so grey is exactly 128.
constexpr int yr = 4207, yg = 8260, yb = 1604;
constexpr int ur = -2428, ug = -4768, ub = 7196;
constexpr int vr = 7196, vg = -6026, vb = -1170;
// Offsets with the rounding half: luma in 2^-14, chroma of a four-pixel sum in 2^-16.
constexpr int lumaOffset = (16 << 14) + (1 << 13);
constexpr int chromaOffset = (128 << 16) + (1 << 15);

std::uint8_t luma(const std::uint8_t* p)
{
    return static_cast<std::uint8_t>((yr * p[0] + yg * p[1] + yb * p[2] + lumaOffset) >> 14);
}

// Columns from `column` on (the scalar path, and the vector path's tail).
void convertScalar(const std::uint8_t* upper, const std::uint8_t* lower, std::int32_t width, const YuvRows& out,
                   std::int32_t column)
{
    for (std::int32_t x = column; x < width; ++x) {
        out.y0[x] = luma(upper + 4 * x);
        if (out.y1) out.y1[x] = luma(lower + 4 * x);
    }
    for (std::int32_t x = column; x < width; x += 2) {
        const std::int32_t right = x + 1 < width ? x + 1 : x;
        int sum[3];
        for (int c = 0; c < 3; ++c)
            sum[c] = upper[4 * x + c] + upper[4 * right + c] + lower[4 * x + c] + lower[4 * right + c];
        out.u[x / 2] = static_cast<std::uint8_t>((ur * sum[0] + ug * sum[1] + ub * sum[2] + chromaOffset) >> 16);
        out.v[x / 2] = static_cast<std::uint8_t>((vr * sum[0] + vg * sum[1] + vb * sum[2] + chromaOffset) >> 16);
    }
}

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)

const bool processorHasAvx2 = __builtin_cpu_supports("avx2");

__attribute__((target("avx2"))) inline __m256i eightPixels(const std::uint8_t* row, std::int32_t at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * static_cast<std::size_t>(at)));
}

// Per pixel of eight RGBA pixels, R * r + G * g + B * b in 32-bit lanes, in
// order (madd sums R, G and B, 0 pairwise; hadd joins the pairs).
__attribute__((target("avx2"))) inline __m256i weighted(__m256i low16, __m256i high16, __m256i weights)
{
    return _mm256_hadd_epi32(_mm256_madd_epi16(low16, weights), _mm256_madd_epi16(high16, weights));
}

__attribute__((target("avx2"))) inline __m256i lumaEight(__m256i pixels, __m256i weights)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i sum =
        weighted(_mm256_unpacklo_epi8(pixels, zero), _mm256_unpackhi_epi8(pixels, zero), weights);
    return _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(lumaOffset)), 14);
}

// Sixteen luma bytes from two groups of eight 32-bit values in order.
__attribute__((target("avx2"))) inline void storeLuma(std::uint8_t* to, __m256i first, __m256i second)
{
    const __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(first, second), 0xD8);
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(words, words), 0xD8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm256_castsi256_si128(bytes));
}

// Block sums of U then V for eight pixels of two rows: lanes u01 u23 v01 v23 | u45 u67 v45 v67.
__attribute__((target("avx2"))) inline __m256i chromaEight(__m256i upper, __m256i lower, __m256i uWeights,
                                                           __m256i vWeights)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low = _mm256_add_epi16(_mm256_unpacklo_epi8(upper, zero), _mm256_unpacklo_epi8(lower, zero));
    const __m256i high = _mm256_add_epi16(_mm256_unpackhi_epi8(upper, zero), _mm256_unpackhi_epi8(lower, zero));
    const __m256i sums = _mm256_hadd_epi32(weighted(low, high, uWeights), weighted(low, high, vWeights));
    return _mm256_srai_epi32(_mm256_add_epi32(sums, _mm256_set1_epi32(chromaOffset)), 16);
}

__attribute__((target("avx2"))) std::int32_t convertAvx2(const std::uint8_t* upper, const std::uint8_t* lower,
                                                         std::int32_t width, const YuvRows& out)
{
    const __m256i lumaWeights = _mm256_setr_epi16(yr, yg, yb, 0, yr, yg, yb, 0, yr, yg, yb, 0, yr, yg, yb, 0);
    const __m256i uWeights = _mm256_setr_epi16(ur, ug, ub, 0, ur, ug, ub, 0, ur, ug, ub, 0, ur, ug, ub, 0);
    const __m256i vWeights = _mm256_setr_epi16(vr, vg, vb, 0, vr, vg, vb, 0, vr, vg, vb, 0, vr, vg, vb, 0);
    const __m256i blockOrder = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
    const __m256i planeOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    std::int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i upperA = eightPixels(upper, x), upperB = eightPixels(upper, x + 8);
        const __m256i lowerA = eightPixels(lower, x), lowerB = eightPixels(lower, x + 8);
        storeLuma(out.y0 + x, lumaEight(upperA, lumaWeights), lumaEight(upperB, lumaWeights));
        if (out.y1) storeLuma(out.y1 + x, lumaEight(lowerA, lumaWeights), lumaEight(lowerB, lumaWeights));

        const __m256i a = chromaEight(upperA, lowerA, uWeights, vWeights);
        const __m256i b = chromaEight(upperB, lowerB, uWeights, vWeights);
        // Blocks 0-7 of U, then of V, each in order.
        const __m256i u = _mm256_permutevar8x32_epi32(_mm256_unpacklo_epi64(a, b), blockOrder);
        const __m256i v = _mm256_permutevar8x32_epi32(_mm256_unpackhi_epi64(a, b), blockOrder);
        const __m256i words = _mm256_packus_epi32(u, v);  // u0-3 v0-3 | u4-7 v4-7
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(words, words), planeOrder);
        const __m128i planes = _mm256_castsi256_si128(bytes);  // u0-7, v0-7
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out.u + x / 2), planes);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out.v + x / 2), _mm_unpackhi_epi64(planes, planes));
    }
    return x;
}

#endif

}  // namespace

std::size_t yuv420Bytes(std::int32_t width, std::int32_t height)
{
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    return w * h + 2 * ((w + 1) / 2) * ((h + 1) / 2);
}

void rgbaRowsToYuv420(const std::uint8_t* upper, const std::uint8_t* lower, std::int32_t width, const YuvRows& out,
                      YuvPath widest)
{
    std::int32_t done = 0;
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    if (widest == YuvPath::avx2 && processorHasAvx2) done = convertAvx2(upper, lower, width, out);
#else
    (void)widest;
#endif
    convertScalar(upper, lower, width, out, done);
}

YuvRows yuvRowsAt(std::uint8_t* yuv, std::int32_t width, std::int32_t height, std::int32_t row)
{
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    const std::size_t chromaWidth = (w + 1) / 2, chromaHeight = (h + 1) / 2;
    const std::size_t pair = static_cast<std::size_t>(row) / 2;
    std::uint8_t* u = yuv + w * h;
    std::uint8_t* v = u + chromaWidth * chromaHeight;
    std::uint8_t* y0 = yuv + 2 * pair * w;
    return {y0, 2 * pair + 1 < h ? y0 + w : nullptr, u + pair * chromaWidth, v + pair * chromaWidth};
}

void rgbaToYuv420(const std::uint8_t* rgba, std::int32_t width, std::int32_t height, std::uint8_t* yuv,
                  YuvPath widest)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (std::int32_t row = 0; row < height; row += 2) {
        const std::uint8_t* upper = rgba + row * rowBytes;
        const std::uint8_t* lower = row + 1 < height ? upper + rowBytes : upper;
        rgbaRowsToYuv420(upper, lower, width, yuvRowsAt(yuv, width, height, row), widest);
    }
}

}  // namespace qelo
