#include "render/software/wide_spans.h"

#include "render/software/blend.h"
#include "render/software/four_pixel_spans.h"
#include "render/software/span_lanes.h"

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace qelo::software {

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
namespace {

// wrappedTexels of sampler.h, eight lanes.
__attribute__((target("avx2"))) inline __m256 wrappedTexels(__m256 coordinate, float size)
{
    const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), coordinate);
    const __m256 inRange = _mm256_cmp_ps(magnitude, _mm256_set1_ps(8388608.0f), _CMP_LT_OQ);  // false for NaN
    __m256 whole = _mm256_cvtepi32_ps(_mm256_cvttps_epi32(coordinate));
    whole = _mm256_sub_ps(whole, _mm256_and_ps(_mm256_cmp_ps(whole, coordinate, _CMP_GT_OQ), _mm256_set1_ps(1)));
    return _mm256_and_ps(_mm256_mul_ps(_mm256_sub_ps(coordinate, whole), _mm256_set1_ps(size)), inRange);
}

// Channel c (0 red to 3 alpha) of eight RGBA8 pixels, as float.
__attribute__((target("avx2"))) inline __m256 channel(__m256i pixels, int c)
{
    const char b = static_cast<char>(c);
    const __m256i pick = _mm256_setr_epi8(b, -1, -1, -1, char(b + 4), -1, -1, -1, char(b + 8), -1, -1, -1,
                                          char(b + 12), -1, -1, -1, b, -1, -1, -1, char(b + 4), -1, -1, -1,
                                          char(b + 8), -1, -1, -1, char(b + 12), -1, -1, -1);
    return _mm256_cvtepi32_ps(_mm256_shuffle_epi8(pixels, pick));
}

// The texels at `index` (eight lanes) into `left` and those one further on
// into `right`, with four 8-byte gathers' worth of loads instead of eight.
__attribute__((target("avx2"))) inline void pairs(const int* texels, __m256i index, __m256i& left, __m256i& right)
{
    const auto* base = reinterpret_cast<const long long*>(texels);
    const __m256 low = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_castsi256_si128(index), 4));
    const __m256 high = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_extracti128_si256(index, 1), 4));
    // Even and odd 32-bit halves come out as lanes 0 1 4 5 2 3 6 7; the permutation restores the order.
    left = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(low, high, 0x88)), 0xD8);
    right = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(low, high, 0xDD)), 0xD8);
}

// round(a * b / 255) in 16-bit lanes (multiplyBytes of blend.h).
__attribute__((target("avx2"))) inline __m256i multiplyLanes(__m256i a, __m256i b)
{
    const __m256i t = _mm256_mullo_epi16(a, b);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), _mm256_set1_epi16(128)), 8);
}

// A blend factor in 16-bit lanes from the alphas there.
__attribute__((target("avx2"))) inline __m256i factorLanes(FactorLine line, __m256i alpha)
{
    return _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(line.base)),
                            _mm256_mullo_epi16(_mm256_set1_epi16(static_cast<short>(line.slope)), alpha));
}

// blendPixel of blend.h for eight pixels, in 16-bit lanes: products
// t + (t >> 8) + 128 <= 65407 fit, and the pack saturates the sums at 255.
__attribute__((target("avx2"))) inline __m256i blendEight(__m256i source, __m256i destination, FactorLine sourceLine,
                                                          FactorLine destinationLine)
{
    const __m256i zero = _mm256_setzero_si256();
    // Each pixel's alpha in its four 16-bit channel lanes (-1 bytes read as zero).
    const __m256i alphaLow = _mm256_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1,  //
                                              3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m256i alphaHigh = _mm256_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1,  //
                                               11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
    __m256i sums[2];
    for (int part = 0; part < 2; ++part) {  // pixels 0, 1, 4, 5 then 2, 3, 6, 7: packing puts them back
        const __m256i s = part ? _mm256_unpackhi_epi8(source, zero) : _mm256_unpacklo_epi8(source, zero);
        const __m256i d = part ? _mm256_unpackhi_epi8(destination, zero) : _mm256_unpacklo_epi8(destination, zero);
        const __m256i alpha = _mm256_shuffle_epi8(source, part ? alphaHigh : alphaLow);
        const __m256i fs = factorLanes(sourceLine, alpha), fd = factorLanes(destinationLine, alpha);
        sums[part] = _mm256_add_epi16(multiplyLanes(s, fs), multiplyLanes(d, fd));
    }
    return _mm256_packus_epi16(sums[0], sums[1]);
}

__attribute__((target("avx2"))) std::int32_t drawEights(const TexturedSpan& span, std::uint8_t* pixel,
                                                       std::int32_t count)
{
    const TextureImage& image = *span.texture;
    const auto* texels = reinterpret_cast<const int*>(image.rgba.data());
    const __m256i widthMask = _mm256_set1_epi32(image.width - 1), heightMask = _mm256_set1_epi32(image.height - 1);
    const int rowShift = __builtin_ctz(static_cast<unsigned>(image.width));
    const float width = static_cast<float>(image.width), height = static_cast<float>(image.height);
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 half = _mm256_set1_ps(0.5f), one = _mm256_set1_ps(1);
    const __m256i oneInt = _mm256_set1_epi32(1), laneNumbers = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256 colour[4];
    for (int c = 0; c < 4; ++c) {
        const float c01 = span.colour[c] > 0 ? (span.colour[c] < 1 ? span.colour[c] : 1) : 0;
        colour[c] = _mm256_set1_ps(c01);
    }
    const FactorLine sourceLine = factorLine(span.source), destinationLine = factorLine(span.destination);
    std::int32_t n = 0;
    for (; n < count; n += 8) {
        // The last group may be partial: its lanes past the span are computed
        // (every texel index is wrapped into the image) but neither read nor written.
        const __m256i inSpan = _mm256_cmpgt_epi32(_mm256_set1_epi32(count - n), laneNumbers);
        auto* target = reinterpret_cast<int*>(pixel + 4 * n);
        const __m256 position = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(n)), lanes);  // exact integers
        const __m256 s = _mm256_add_ps(_mm256_set1_ps(span.s), _mm256_mul_ps(_mm256_set1_ps(span.sStep), position));
        const __m256 t = _mm256_add_ps(_mm256_set1_ps(span.t), _mm256_mul_ps(_mm256_set1_ps(span.tStep), position));
        __m256 texel[4];
        if (span.filter == TextureFilter::nearest) {
            const __m256i i = _mm256_and_si256(_mm256_cvttps_epi32(wrappedTexels(s, width)), widthMask);
            const __m256i j = _mm256_and_si256(_mm256_cvttps_epi32(wrappedTexels(t, height)), heightMask);
            const __m256i index = _mm256_add_epi32(_mm256_slli_epi32(j, rowShift), i);
            const __m256i found = _mm256_i32gather_epi32(texels, index, 4);
            for (int c = 0; c < 4; ++c) texel[c] = channel(found, c);
        } else {
            const __m256 u = _mm256_sub_ps(wrappedTexels(s, width), half);
            const __m256 v = _mm256_sub_ps(wrappedTexels(t, height), half);
            const __m256i iFloor = _mm256_sub_epi32(_mm256_cvttps_epi32(_mm256_add_ps(u, one)), oneInt);
            const __m256i jFloor = _mm256_sub_epi32(_mm256_cvttps_epi32(_mm256_add_ps(v, one)), oneInt);
            const __m256 a = _mm256_sub_ps(u, _mm256_cvtepi32_ps(iFloor));
            const __m256 b = _mm256_sub_ps(v, _mm256_cvtepi32_ps(jFloor));
            const __m256i i0 = _mm256_and_si256(iFloor, widthMask), j0 = _mm256_and_si256(jFloor, heightMask);
            const __m256i i1 = _mm256_and_si256(_mm256_add_epi32(i0, oneInt), widthMask);
            const __m256i j1 = _mm256_and_si256(_mm256_add_epi32(j0, oneInt), heightMask);
            const __m256i row0 = _mm256_slli_epi32(j0, rowShift), row1 = _mm256_slli_epi32(j1, rowShift);
            __m256i t00, t10, t01, t11;
            const __m256i wraps = _mm256_cmpeq_epi32(i0, widthMask);
            if (image.width >= 2 && _mm256_testz_si256(wraps, wraps)) {
                // No lane wraps: texels i0 and i0 + 1 lie side by side, one 8-byte load each.
                pairs(texels, _mm256_add_epi32(row0, i0), t00, t10);
                pairs(texels, _mm256_add_epi32(row1, i0), t01, t11);
            } else {
                t00 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(row0, i0), 4);
                t10 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(row0, i1), 4);
                t01 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(row1, i0), 4);
                t11 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(row1, i1), 4);
            }
            for (int c = 0; c < 4; ++c) {
                const __m256 v00 = channel(t00, c), v10 = channel(t10, c), v01 = channel(t01, c),
                             v11 = channel(t11, c);
                const __m256 bottom = _mm256_add_ps(v00, _mm256_mul_ps(_mm256_sub_ps(v10, v00), a));
                const __m256 top = _mm256_add_ps(v01, _mm256_mul_ps(_mm256_sub_ps(v11, v01), a));
                texel[c] = _mm256_add_ps(bottom, _mm256_mul_ps(_mm256_sub_ps(top, bottom), b));
            }
        }
        // Modulate and round: c01 * texel + 0.5, truncated (0 to 255).
        __m256i source[4];
        for (int c = 0; c < 4; ++c)
            source[c] = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(colour[c], texel[c]), half));
        __m256i result = source[0];
        for (int c = 1; c < 4; ++c) result = _mm256_or_si256(result, _mm256_slli_epi32(source[c], 8 * c));
        if (span.blend) {
            const __m256i destination = count - n >= 8 ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(target))
                                                       : _mm256_maskload_epi32(target, inSpan);
            result = blendEight(result, destination, sourceLine, destinationLine);
        }
        // Masked moves are slow on some processors: only for the last group.
        if (count - n >= 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), result);
        else _mm256_maskstore_epi32(target, inSpan, result);
    }
    return count;
}

// depthValue of fragment_stage.cpp for four depths: clamped to [0, 1]
// (NaN to 0), times 2^24 - 1, plus 0.5, truncated.
__attribute__((target("avx2"))) inline __m128i depthValues(__m256d z)
{
    z = _mm256_min_pd(_mm256_max_pd(z, _mm256_setzero_pd()), _mm256_set1_pd(1));
    return _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(z, _mm256_set1_pd(16777215.0)), _mm256_set1_pd(0.5)));
}

__attribute__((target("avx2"))) std::int32_t drawSmooth(const SmoothSpan& span, std::uint8_t* pixel,
                                                       std::uint32_t* depth, std::int32_t count)
{
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1);
    const FactorLine sourceLine = factorLine(span.source), destinationLine = factorLine(span.destination);
    std::int32_t n = 0;
    for (; n + 8 <= count; n += 8) {
        auto* target = reinterpret_cast<int*>(pixel + 4 * n);
        auto* depthTarget = reinterpret_cast<int*>(depth + n);
        __m256i write = _mm256_set1_epi32(-1);
        __m256i z = _mm256_setzero_si256(), stored = _mm256_setzero_si256();
        if (span.depthTest) {
            const __m128i index = _mm_add_epi32(_mm_set1_epi32(n), _mm_setr_epi32(0, 1, 2, 3));
            const __m256d zFrom = _mm256_set1_pd(span.z), zStep = _mm256_set1_pd(span.zStep);
            const __m256d z0 = _mm256_add_pd(zFrom, _mm256_mul_pd(zStep, _mm256_cvtepi32_pd(index)));
            const __m256d z1 = _mm256_add_pd(
                zFrom, _mm256_mul_pd(zStep, _mm256_cvtepi32_pd(_mm_add_epi32(index, _mm_set1_epi32(4)))));
            z = _mm256_set_m128i(depthValues(z1), depthValues(z0));
            stored = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(depthTarget));
            write = _mm256_and_si256(write, _mm256_cmpgt_epi32(stored, z));  // depths stay below 2^24
            if (_mm256_testz_si256(write, write)) continue;
        }
        const __m256 position = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(n)), lanes);
        __m256 w = one;
        if (span.perspective)
            w = _mm256_div_ps(one, _mm256_add_ps(_mm256_set1_ps(span.q),
                                                 _mm256_mul_ps(_mm256_set1_ps(span.qStep), position)));
        __m256i source = _mm256_setzero_si256();
        for (int c = 0; c < 4; ++c) {
            __m256 value = _mm256_add_ps(_mm256_set1_ps(span.colour[c]),
                                         _mm256_mul_ps(_mm256_set1_ps(span.colourStep[c]), position));
            if (span.perspective) value = _mm256_mul_ps(value, w);
            value = _mm256_min_ps(_mm256_max_ps(value, zero), one);  // NaN to 0
            const __m256i byte = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(value, _mm256_set1_ps(255.0f)),
                                                                   _mm256_set1_ps(0.5f)));
            source = _mm256_or_si256(source, _mm256_slli_epi32(byte, 8 * c));
        }
        const __m256i destination = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(target));
        const __m256i result = span.blend ? blendEight(source, destination, sourceLine, destinationLine) : source;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), _mm256_blendv_epi8(destination, result, write));
        if (span.depthTest)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(depthTarget), _mm256_blendv_epi8(stored, z, write));
    }
    return n;
}

}  // namespace
#endif

std::int32_t drawSmoothGroups(const SmoothSpan& span, std::uint8_t* pixel, std::uint32_t* depth, std::int32_t count)
{
    const SpanLanes lanes = spanLanes();
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    if (lanes == SpanLanes::eight) return drawSmooth(span, pixel, depth, count);
#endif
    return lanes == SpanLanes::four ? drawSmoothFours(span, pixel, depth, count) : 0;
}

std::int32_t drawTexturedGroups(const TexturedSpan& span, std::uint8_t* pixel, std::int32_t count)
{
    const SpanLanes lanes = spanLanes();
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    if (lanes == SpanLanes::eight && !span.perspective) return drawEights(span, pixel, count);
#endif
    return lanes != SpanLanes::one ? drawTexturedFours(span, pixel, count) : 0;
}

}  // namespace qelo::software
