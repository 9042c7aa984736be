#include "render/software/blend.h"

#include "render/software/span_lanes.h"

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace qelo::software {

namespace {

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
// Eight pixels at a time of blendConstantSpan where the processor has
// AVX2 (the rest of the program keeps the x86-64 baseline), the last group
// masked: short spans too take one pass.
__attribute__((target("avx2"))) void blendConstantEights(std::uint8_t* pixel, std::int32_t count,
                                                                  const std::uint32_t term[4], std::uint32_t fd)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i factor = _mm256_set1_epi16(static_cast<short>(fd));
    const __m256i half = _mm256_set1_epi16(128);
    const __m256i terms = _mm256_setr_epi16(
        short(term[0]), short(term[1]), short(term[2]), short(term[3]), short(term[0]), short(term[1]),
        short(term[2]), short(term[3]), short(term[0]), short(term[1]), short(term[2]), short(term[3]),
        short(term[0]), short(term[1]), short(term[2]), short(term[3]));
    const __m256i laneNumbers = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (std::int32_t n = 0; n < count; n += 8) {
        const __m256i inSpan = _mm256_cmpgt_epi32(_mm256_set1_epi32(count - n), laneNumbers);
        auto* target = reinterpret_cast<int*>(pixel + 4 * n);
        // Unpacking and packing work within 128-bit halves, so the pixels keep their places.
        const bool whole = count - n >= 8;  // masked moves are slow on some processors: only for the last group
        const __m256i d = whole ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(target))
                                : _mm256_maskload_epi32(target, inSpan);
        __m256i sums[2];
        for (int half16 = 0; half16 < 2; ++half16) {
            const __m256i destination = half16 ? _mm256_unpackhi_epi8(d, zero) : _mm256_unpacklo_epi8(d, zero);
            const __m256i t = _mm256_mullo_epi16(destination, factor);
            const __m256i product =
                _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), half), 8);
            sums[half16] = _mm256_add_epi16(product, terms);
        }
        const __m256i low = sums[0], high = sums[1];
        const __m256i result = _mm256_packus_epi16(low, high);
        if (whole) _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), result);
        else _mm256_maskstore_epi32(target, inSpan, result);
    }
}
#endif

#if defined(__SSE2__)
// Four pixels at a time (blendConstantFour of blend.h), whole groups only;
// returns how many pixels.
std::int32_t blendConstantFours(std::uint8_t* pixel, std::int32_t count, const std::uint32_t term[4],
                                std::uint32_t fd)
{
    const __m128i factor = _mm_set1_epi16(static_cast<short>(fd));
    const __m128i terms = _mm_set_epi16(short(term[3]), short(term[2]), short(term[1]), short(term[0]),
                                        short(term[3]), short(term[2]), short(term[1]), short(term[0]));
    std::int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
        auto* target = reinterpret_cast<__m128i*>(pixel + 4 * n);
        _mm_storeu_si128(target, blendConstantFour(_mm_loadu_si128(target), terms, factor));
    }
    return n;
}
#endif

}  // namespace

void blendConstantSpan(std::uint8_t* pixel, std::int32_t count, const std::uint8_t source[4],
                       BlendFactor sourceFactor, BlendFactor destinationFactor)
{
    const std::uint32_t fs = factorLine(sourceFactor).at(source[3]);
    const std::uint32_t fd = factorLine(destinationFactor).at(source[3]);
    std::uint32_t term[4];
    for (int c = 0; c < 4; ++c) term[c] = multiplyBytes(source[c], fs);
    std::int32_t n = 0;
    const SpanLanes lanes = spanLanes();
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    if (lanes == SpanLanes::eight) return blendConstantEights(pixel, count, term, fd);
#endif
#if defined(__SSE2__)
    if (lanes == SpanLanes::four) n = blendConstantFours(pixel, count, term, fd);
#endif
    for (; n < count; ++n)
        for (int c = 0; c < 4; ++c) {
            std::uint8_t& d = pixel[4 * n + c];
            d = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, term[c] + multiplyBytes(d, fd)));
        }
}


}  // namespace qelo::software
