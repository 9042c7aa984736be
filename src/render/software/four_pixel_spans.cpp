#include "render/software/four_pixel_spans.h"

#include <cstddef>
#include <cstring>

#include "render/software/blend.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace qelo::software {

#if defined(__SSE2__)
namespace {

// Truncation of lanes known to lie in [0, 2^23) (or masked off afterwards):
// texel positions and colour bytes. In WebAssembly floor(x) + 2^23 holds
// that whole number in its low mantissa bits, which costs three steps where
// the saturating conversion costs V8 eight.
inline __m128i truncatedSmall(__m128 x)
{
#if defined(__wasm_simd128__)
    const v128_t shifted = wasm_f32x4_add(wasm_f32x4_floor(static_cast<v128_t>(x)), wasm_f32x4_splat(8388608.0f));
    return static_cast<__m128i>(wasm_i32x4_sub(shifted, wasm_i32x4_splat(0x4B000000)));
#else
    return _mm_cvttps_epi32(x);
#endif
}

// A colour channel clamped to [0, 1], NaN to 0.
inline float clampedColour(float c) { return c > 0 ? (c < 1 ? c : 1) : 0; }

// Texel row j's first index, j * width, for a power-of-two width: a shift
// natively; a multiplication in WebAssembly, where emscripten's SSE2 shift
// by a count known only at run time becomes four scalar shifts.
class RowStarts {
public:
    explicit RowStarts(std::int32_t width) : width_(width) {}
    __m128i operator()(__m128i j) const
    {
#if defined(__wasm_simd128__)
        return static_cast<__m128i>(wasm_i32x4_mul(static_cast<v128_t>(j), wasm_i32x4_splat(width_)));
#else
        return _mm_slli_epi32(j, __builtin_ctz(static_cast<unsigned>(width_)));
#endif
    }

private:
    std::int32_t width_;
};

// wrappedTexels of sampler.h, four lanes. Lanes at or beyond 2^23 come out 0
// whatever their truncation gave.
inline __m128 wrappedTexels(__m128 coordinate, float size)
{
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), coordinate);
    const __m128 inRange = _mm_cmplt_ps(magnitude, _mm_set1_ps(8388608.0f));  // false for NaN
#if defined(__wasm_simd128__)
    // The floor below 2^23, as the truncation and step down below compute it.
    const __m128 whole = static_cast<__m128>(wasm_f32x4_floor(static_cast<v128_t>(coordinate)));
#else
    __m128 whole = _mm_cvtepi32_ps(_mm_cvttps_epi32(coordinate));  // 0x80000000 beyond int32: masked off
    whole = _mm_sub_ps(whole, _mm_and_ps(_mm_cmpgt_ps(whole, coordinate), _mm_set1_ps(1)));
#endif
    return _mm_and_ps(_mm_mul_ps(_mm_sub_ps(coordinate, whole), _mm_set1_ps(size)), inRange);
}

// Channel c (0 red to 3 alpha) of four RGBA8 pixels, as float.
inline __m128 channel(__m128i pixels, int c)
{
    return _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(pixels, 8 * c), _mm_set1_epi32(0xFF)));
}

// The four lanes of `index` stored, to address texels one by one.
struct Lanes {
    alignas(16) std::int32_t at[4];
    explicit Lanes(__m128i index) { _mm_store_si128(reinterpret_cast<__m128i*>(at), index); }
    std::size_t operator[](int k) const { return static_cast<std::size_t>(at[k]) * 4; }  // byte offset
};

// The texels at `index`, four lanes.
inline __m128i gather(const std::uint8_t* texels, __m128i index)
{
    const Lanes lane(index);
    std::int32_t found[4];
    for (int k = 0; k < 4; ++k) std::memcpy(&found[k], texels + lane[k], 4);
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(found));
}

// The texels at `index` into `left` and those one further on into `right`,
// with one 8-byte load a lane.
inline void pairs(const std::uint8_t* texels, __m128i index, __m128i& left, __m128i& right)
{
    const Lanes lane(index);
    const auto two = [&](int k) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + lane[k])); };
    const __m128 low = _mm_castsi128_ps(_mm_unpacklo_epi64(two(0), two(1)));  // left0 right0 left1 right1
    const __m128 high = _mm_castsi128_ps(_mm_unpacklo_epi64(two(2), two(3)));
    left = _mm_castps_si128(_mm_shuffle_ps(low, high, 0x88));
    right = _mm_castps_si128(_mm_shuffle_ps(low, high, 0xDD));
}

// A blend factor in 16-bit lanes from the alphas there.
inline __m128i factorLanes(FactorLine line, __m128i alpha)
{
    return _mm_add_epi16(_mm_set1_epi16(static_cast<short>(line.base)),
                         _mm_mullo_epi16(_mm_set1_epi16(static_cast<short>(line.slope)), alpha));
}

// blendPixel of blend.h for four pixels, in 16-bit lanes: products
// t + (t >> 8) + 128 <= 65407 fit, and the pack saturates the sums at 255.
inline __m128i blendFour(__m128i source, __m128i destination, FactorLine sourceLine, FactorLine destinationLine)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = _mm_srli_epi32(source, 24);
    const __m128i alphaTwice = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
    // Pixels 0 and 1, then 2 and 3: each pixel's alpha in its four 16-bit channel lanes.
    const __m128i alphas[2] = {_mm_unpacklo_epi32(alphaTwice, alphaTwice),
                               _mm_unpackhi_epi32(alphaTwice, alphaTwice)};
    __m128i sums[2];
    for (int part = 0; part < 2; ++part) {
        const __m128i s = part ? _mm_unpackhi_epi8(source, zero) : _mm_unpacklo_epi8(source, zero);
        const __m128i d = part ? _mm_unpackhi_epi8(destination, zero) : _mm_unpacklo_epi8(destination, zero);
        const __m128i fs = factorLanes(sourceLine, alphas[part]), fd = factorLanes(destinationLine, alphas[part]);
        sums[part] = _mm_add_epi16(multiplyLanes(s, fs), multiplyLanes(d, fd));
    }
    return _mm_packus_epi16(sums[0], sums[1]);
}

// blendFour split in two: what depends on the source alone (its products
// and the destination's factors), then the destination's part; for a
// source that stays the same over a span.
struct BlendTerms {
    __m128i sourceProducts[2], destinationFactors[2];  // pixels 0, 1 and 2, 3 in 16-bit lanes
};

inline BlendTerms blendTerms(__m128i source, FactorLine sourceLine, FactorLine destinationLine)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = _mm_srli_epi32(source, 24);
    const __m128i alphaTwice = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
    const __m128i alphas[2] = {_mm_unpacklo_epi32(alphaTwice, alphaTwice),
                               _mm_unpackhi_epi32(alphaTwice, alphaTwice)};
    BlendTerms terms;
    for (int part = 0; part < 2; ++part) {
        const __m128i s = part ? _mm_unpackhi_epi8(source, zero) : _mm_unpacklo_epi8(source, zero);
        terms.sourceProducts[part] = multiplyLanes(s, factorLanes(sourceLine, alphas[part]));
        terms.destinationFactors[part] = factorLanes(destinationLine, alphas[part]);
    }
    return terms;
}

inline __m128i blendWithTerms(const BlendTerms& terms, __m128i destination)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_add_epi16(terms.sourceProducts[0],
                                      multiplyLanes(_mm_unpacklo_epi8(destination, zero), terms.destinationFactors[0]));
    const __m128i high = _mm_add_epi16(terms.sourceProducts[1],
                                       multiplyLanes(_mm_unpackhi_epi8(destination, zero), terms.destinationFactors[1]));
    return _mm_packus_epi16(low, high);
}

// blendFour over a destination of four (0, 0, 0, 0) pixels, whose products are 0.
inline __m128i blendFourOverNothing(__m128i source, FactorLine sourceLine)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = _mm_srli_epi32(source, 24);
    const __m128i alphaTwice = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
    const __m128i low = multiplyLanes(_mm_unpacklo_epi8(source, zero),
                                      factorLanes(sourceLine, _mm_unpacklo_epi32(alphaTwice, alphaTwice)));
    const __m128i high = multiplyLanes(_mm_unpackhi_epi8(source, zero),
                                       factorLanes(sourceLine, _mm_unpackhi_epi32(alphaTwice, alphaTwice)));
    return _mm_packus_epi16(low, high);
}

// depthValue of fragment_stage.cpp for two depths: clamped to [0, 1]
// (NaN to 0), times 2^24 - 1, plus 0.5, truncated; in the low two lanes.
inline __m128i depthValues(__m128d z)
{
    z = _mm_min_pd(_mm_max_pd(z, _mm_setzero_pd()), _mm_set1_pd(1));
    const __m128d scaled = _mm_add_pd(_mm_mul_pd(z, _mm_set1_pd(16777215.0)), _mm_set1_pd(0.5));
#if defined(__wasm_simd128__)
    // In [0.5, 2^24): floor(x) + 2^52 holds the whole number in its low 32
    // bits, three steps against a dozen for the conversion with x86's
    // results out of range.
    const v128_t shifted = wasm_f64x2_add(wasm_f64x2_floor(static_cast<v128_t>(scaled)), wasm_f64x2_splat(4503599627370496.0));
    return static_cast<__m128i>(wasm_i32x4_shuffle(shifted, wasm_i32x4_splat(0), 0, 2, 4, 4));
#else
    return _mm_cvttpd_epi32(scaled);
#endif
}

// How a span samples: one texel, or four with the texel rows recomputed per
// group, or four from two texel rows that hold for the whole span (t the
// same at every pixel: a quad upright on the screen, as the tile wall's).
enum class Sampling { nearest, bilinear, bilinearOneRow };

// One loop a way of sampling, so that a group does no work of the others'.
// `white`: the colour is (1, 1, 1, 1), which modulates nothing. `unwrapped`:
// s lies in [0, 1) at every lane the loop computes, where wrapping it
// leaves s * width (a tile's texture across it once).
template <Sampling sampling, bool white, bool unwrapped>
std::int32_t texturedFours(const TexturedSpan& span, std::uint8_t* pixel, std::int32_t count)
{
    const TextureImage& image = *span.texture;
    const std::uint8_t* texels = image.rgba.data();
    const __m128i widthMask = _mm_set1_epi32(image.width - 1), heightMask = _mm_set1_epi32(image.height - 1);
    const RowStarts rowStart(image.width);
    const float width = static_cast<float>(image.width), height = static_cast<float>(image.height);
    const __m128 lanes = _mm_setr_ps(0, 1, 2, 3);
    const __m128 half = _mm_set1_ps(0.5f), one = _mm_set1_ps(1);
    const __m128i oneInt = _mm_set1_epi32(1);
    __m128 colour[4];
    for (int c = 0; c < 4; ++c) colour[c] = _mm_set1_ps(clampedColour(span.colour[c]));
    const FactorLine sourceLine = factorLine(span.source), destinationLine = factorLine(span.destination);
    // One row pair for the span: t + 0 * position is t itself, for any t.
    const __m128 vFixed = _mm_sub_ps(wrappedTexels(_mm_set1_ps(span.t + span.tStep * 0.0f), height), half);
    const __m128i jFixed = _mm_sub_epi32(truncatedSmall(_mm_add_ps(vFixed, one)), oneInt);
    const __m128 bFixed = _mm_sub_ps(vFixed, _mm_cvtepi32_ps(jFixed));
    const __m128i j0Fixed = _mm_and_si128(jFixed, heightMask);
    const __m128i row0Fixed = rowStart(j0Fixed);
    const __m128i row1Fixed = rowStart(_mm_and_si128(_mm_add_epi32(j0Fixed, oneInt), heightMask));
    // Four pixels from pixel n on, to `target`; `position` holds n to n + 3 (exact integers).
    const auto group = [&](__m128 position, std::uint8_t* target) __attribute__((always_inline)) {
        __m128 s = _mm_add_ps(_mm_set1_ps(span.s), _mm_mul_ps(_mm_set1_ps(span.sStep), position));
        __m128 t = _mm_add_ps(_mm_set1_ps(span.t), _mm_mul_ps(_mm_set1_ps(span.tStep), position));
        if (sampling != Sampling::bilinearOneRow && span.perspective) {
            // w = 1 / (q + qStep * n), then times w, as one pixel at a time.
            const __m128 w =
                _mm_div_ps(one, _mm_add_ps(_mm_set1_ps(span.q), _mm_mul_ps(_mm_set1_ps(span.qStep), position)));
            s = _mm_mul_ps(s, w);
            t = _mm_mul_ps(t, w);
        }
        __m128 texel[4];
        if constexpr (sampling == Sampling::nearest) {
            const __m128i i = _mm_and_si128(truncatedSmall(wrappedTexels(s, width)), widthMask);
            const __m128i j = _mm_and_si128(truncatedSmall(wrappedTexels(t, height)), heightMask);
            const __m128i found = gather(texels, _mm_add_epi32(rowStart(j), i));
            for (int c = 0; c < 4; ++c) texel[c] = channel(found, c);
        } else {
            const __m128 u = _mm_sub_ps(unwrapped ? _mm_mul_ps(s, _mm_set1_ps(width)) : wrappedTexels(s, width), half);
            const __m128i iFloor = _mm_sub_epi32(truncatedSmall(_mm_add_ps(u, one)), oneInt);
            const __m128 a = _mm_sub_ps(u, _mm_cvtepi32_ps(iFloor));
            const __m128i i0 = _mm_and_si128(iFloor, widthMask);
            const __m128i i1 = _mm_and_si128(_mm_add_epi32(i0, oneInt), widthMask);
            __m128 b = bFixed;
            __m128i row0 = row0Fixed, row1 = row1Fixed;
            if constexpr (sampling == Sampling::bilinear) {
                const __m128 v = _mm_sub_ps(wrappedTexels(t, height), half);
                const __m128i jFloor = _mm_sub_epi32(truncatedSmall(_mm_add_ps(v, one)), oneInt);
                b = _mm_sub_ps(v, _mm_cvtepi32_ps(jFloor));
                const __m128i j0 = _mm_and_si128(jFloor, heightMask);
                row0 = rowStart(j0);
                row1 = rowStart(_mm_and_si128(_mm_add_epi32(j0, oneInt), heightMask));
            }
            __m128i t00, t10, t01, t11;
            if (image.width >= 2 && _mm_movemask_epi8(_mm_cmpeq_epi32(i0, widthMask)) == 0) {
                // No lane wraps: texels i0 and i0 + 1 lie side by side.
                pairs(texels, _mm_add_epi32(row0, i0), t00, t10);
                pairs(texels, _mm_add_epi32(row1, i0), t01, t11);
            } else {
                t00 = gather(texels, _mm_add_epi32(row0, i0));
                t10 = gather(texels, _mm_add_epi32(row0, i1));
                t01 = gather(texels, _mm_add_epi32(row1, i0));
                t11 = gather(texels, _mm_add_epi32(row1, i1));
            }
            for (int c = 0; c < 4; ++c) {
                const __m128 v00 = channel(t00, c), v10 = channel(t10, c), v01 = channel(t01, c),
                             v11 = channel(t11, c);
                const __m128 bottom = _mm_add_ps(v00, _mm_mul_ps(_mm_sub_ps(v10, v00), a));
                const __m128 top = _mm_add_ps(v01, _mm_mul_ps(_mm_sub_ps(v11, v01), a));
                texel[c] = _mm_add_ps(bottom, _mm_mul_ps(_mm_sub_ps(top, bottom), b));
            }
        }
        // Modulate and round: c01 * texel + 0.5, truncated (0 to 255); 1 * texel is the texel.
        __m128i result = _mm_setzero_si128();
        for (int c = 0; c < 4; ++c) {
            const __m128 modulated = white ? texel[c] : _mm_mul_ps(colour[c], texel[c]);  // chosen when compiled
            const __m128i byte = truncatedSmall(_mm_add_ps(modulated, half));
            result = _mm_or_si128(result, _mm_slli_epi32(byte, 8 * c));
        }
        if (span.blend) {
            // Over pixels still clear (a tile on its cleared target) only the source's products count.
            const __m128i destination = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target));
            result = _mm_movemask_epi8(_mm_cmpeq_epi32(destination, _mm_setzero_si128())) == 0xFFFF
                         ? blendFourOverNothing(result, sourceLine)
                         : blendFour(result, destination, sourceLine, destinationLine);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target), result);
    };
    __m128 position = lanes;
    std::int32_t n = 0;
    for (; n + 4 <= count; n += 4, position = _mm_add_ps(position, _mm_set1_ps(4))) group(position, pixel + 4 * n);
    if (n < count) {
        // The last group, partial, goes through `partial`: its lanes past the
        // span are computed (every texel index is wrapped into the image) but
        // not written back.
        const auto bytes = static_cast<std::size_t>(count - n) * 4;
        alignas(16) std::uint8_t partial[16] = {};
        if (span.blend) std::memcpy(partial, pixel + 4 * n, bytes);
        group(position, partial);
        std::memcpy(pixel + 4 * n, partial, bytes);
    }
    return count;
}

// Whether s, as the loop computes it (s + sStep * n in floats), lies in
// [0, 1) at each of the `count` pixels. The computed s is monotone in n, so
// its ends decide. (The lanes a last group computes past the span are not
// written; their texel indices are masked into the image whatever s is.)
bool sWithinOneTurn(const TexturedSpan& span, std::int32_t count)
{
    const float last = static_cast<float>(count - 1);
    const float first = span.s + span.sStep * 0.0f, end = span.s + span.sStep * last;
    return first >= 0 && first < 1 && end >= 0 && end < 1;  // false for NaN
}

template <bool white>
std::int32_t texturedFoursOf(const TexturedSpan& span, std::uint8_t* pixel, std::int32_t count)
{
    if (span.filter == TextureFilter::nearest) return texturedFours<Sampling::nearest, white, false>(span, pixel, count);
    if (span.perspective || span.tStep != 0) return texturedFours<Sampling::bilinear, white, false>(span, pixel, count);
    if (sWithinOneTurn(span, count)) return texturedFours<Sampling::bilinearOneRow, white, true>(span, pixel, count);
    return texturedFours<Sampling::bilinearOneRow, white, false>(span, pixel, count);
}

}  // namespace

std::int32_t drawTexturedFours(const TexturedSpan& given, std::uint8_t* pixel, std::int32_t count)
{
    const TexturedSpan span = given;  // a copy the pixel stores cannot alias: kept in registers
    bool white = true;
    for (float c : span.colour) white = white && clampedColour(c) == 1;
    return white ? texturedFoursOf<true>(span, pixel, count) : texturedFoursOf<false>(span, pixel, count);
}

std::int32_t drawSmoothFours(const SmoothSpan& given, std::uint8_t* pixel, std::uint32_t* depth, std::int32_t count)
{
    const SmoothSpan span = given;  // a copy the pixel stores cannot alias: kept in registers
    const __m128 lanes = _mm_setr_ps(0, 1, 2, 3);
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1);
    const FactorLine sourceLine = factorLine(span.source), destinationLine = factorLine(span.destination);
    const auto sourceAt = [&](__m128 position) {
        __m128 w = one;
        if (span.perspective)
            w = _mm_div_ps(one, _mm_add_ps(_mm_set1_ps(span.q), _mm_mul_ps(_mm_set1_ps(span.qStep), position)));
        __m128i source = _mm_setzero_si128();
        for (int c = 0; c < 4; ++c) {
            __m128 value =
                _mm_add_ps(_mm_set1_ps(span.colour[c]), _mm_mul_ps(_mm_set1_ps(span.colourStep[c]), position));
            if (span.perspective) value = _mm_mul_ps(value, w);
            value = _mm_min_ps(_mm_max_ps(value, zero), one);  // NaN to 0
            const __m128i byte =
                truncatedSmall(_mm_add_ps(_mm_mul_ps(value, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
            source = _mm_or_si128(source, _mm_slli_epi32(byte, 8 * c));
        }
        return source;
    };
    // One colour (steps 0, no 1 / w): colour + 0 * n is the colour at every
    // pixel, so the source and its blend terms are worked out once a span.
    const bool oneColour = !span.perspective && span.colourStep[0] == 0 && span.colourStep[1] == 0 &&
                           span.colourStep[2] == 0 && span.colourStep[3] == 0;
    const __m128i fixedSource = oneColour ? sourceAt(lanes) : _mm_setzero_si128();
    const BlendTerms fixedTerms = blendTerms(fixedSource, sourceLine, destinationLine);
    std::int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
        auto* target = reinterpret_cast<__m128i*>(pixel + 4 * n);
        auto* depthTarget = reinterpret_cast<__m128i*>(depth + n);
        __m128i write = _mm_set1_epi32(-1);
        __m128i z = _mm_setzero_si128(), stored = _mm_setzero_si128();
        if (span.depthTest) {
            const __m128i index = _mm_add_epi32(_mm_set1_epi32(n), _mm_setr_epi32(0, 1, 2, 3));
            const __m128d zFrom = _mm_set1_pd(span.z), zStep = _mm_set1_pd(span.zStep);
            const __m128d z0 = _mm_add_pd(zFrom, _mm_mul_pd(zStep, _mm_cvtepi32_pd(index)));
            const __m128d z1 = _mm_add_pd(zFrom, _mm_mul_pd(zStep, _mm_cvtepi32_pd(_mm_shuffle_epi32(index, 0x0E))));
            z = _mm_unpacklo_epi64(depthValues(z0), depthValues(z1));
            stored = _mm_loadu_si128(depthTarget);
            write = _mm_cmpgt_epi32(stored, z);  // depths stay below 2^24
            if (_mm_movemask_epi8(write) == 0) continue;
        }
        const __m128i destination = _mm_loadu_si128(target);
        __m128i result;
        if (oneColour) {
            result = span.blend ? blendWithTerms(fixedTerms, destination) : fixedSource;
        } else {
            const __m128i source = sourceAt(_mm_add_ps(_mm_set1_ps(static_cast<float>(n)), lanes));
            result = span.blend ? blendFour(source, destination, sourceLine, destinationLine) : source;
        }
        _mm_storeu_si128(target, _mm_or_si128(_mm_and_si128(write, result), _mm_andnot_si128(write, destination)));
        if (span.depthTest)
            _mm_storeu_si128(depthTarget, _mm_or_si128(_mm_and_si128(write, z), _mm_andnot_si128(write, stored)));
    }
    return n;
}

#else

std::int32_t drawTexturedFours(const TexturedSpan&, std::uint8_t*, std::int32_t) { return 0; }
std::int32_t drawSmoothFours(const SmoothSpan&, std::uint8_t*, std::uint32_t*, std::int32_t) { return 0; }

#endif

}  // namespace qelo::software
