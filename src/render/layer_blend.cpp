#include "render/layer_blend.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#ifdef __wasm_simd128__
#include <wasm_simd128.h>
#endif
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <immintrin.h>
// An attribute has no function form: the AVX2 code is compiled for AVX2
// alone, the rest of the program keeps the x86-64 baseline.
#define QELO_BLEND_AVX2 __attribute__((target("avx2")))
#endif

namespace qelo {

namespace {

// x * y / 255 as llvmpipe's 8-bit multiply rounds it: exact for 0 and 255.
unsigned scaled(unsigned x, unsigned y)
{
    const unsigned t = x * y;
    return (t + (t >> 8) + 128) >> 8;
}

void blendPixel(std::uint8_t* pixel, const std::uint8_t* source, float opacity)
{
    const std::uint8_t alpha = blendAlpha(source[3], opacity);
    for (int c = 0; c < 3; ++c) pixel[c] = blendChannel(source[c], pixel[c], alpha);
    pixel[3] = blendChannel(alpha, pixel[3], alpha);
}

// Whether every alpha blends as it is at this opacity: no float work then.
// Only opacity 1 is asked (a layer at full strength, the usual case), and
// whether it keeps every alpha is checked once.
bool alphaAsIs(float opacity)
{
    static const bool oneKeepsAlpha = [] {
        for (int a = 0; a < 256; ++a)
            if (blendAlpha(static_cast<std::uint8_t>(a), 1.0f) != a) return false;
        return true;
    }();
    return opacity == 1.0f && oneKeepsAlpha;
}

// blendAlpha(a, opacity) as (a * multiplier + offset) >> 15 for every byte
// a, found and checked against blendAlpha once a layer: a multiply-add of
// 16-bit lanes instead of float conversions, multiplies and rounding (a
// third of a translucent layer's cost in WebAssembly). Not `found` when no
// 15-bit multiplier gives every alpha exactly: the float path then.
struct AlphaLine {
    bool found = false;
    std::int32_t multiplier = 0, offset = 0;
};

constexpr int alphaLineShift = 15;

AlphaLine alphaLine(float opacity)
{
    std::int64_t wanted[256];
    for (int a = 0; a < 256; ++a) wanted[a] = blendAlpha(static_cast<std::uint8_t>(a), opacity);
    constexpr std::int64_t unit = std::int64_t{1} << alphaLineShift;
    const std::int64_t guess = wanted[255] * unit / 255;
    for (std::int64_t m = std::max<std::int64_t>(0, guess - 4); m <= std::min<std::int64_t>(unit - 1, guess + 4); ++m) {
        std::int64_t low = 0, high = unit - 1;  // the offsets that give every a so far
        for (std::int64_t a = 0; a < 256 && low <= high; ++a) {
            low = std::max(low, wanted[a] * unit - a * m);
            high = std::min(high, (wanted[a] + 1) * unit - 1 - a * m);
        }
        if (low <= high) return {true, static_cast<std::int32_t>(m), static_cast<std::int32_t>(low)};
    }
    return {};
}

#if defined(__SSE2__) || defined(_M_X64)

// blendAlphas along an AlphaLine that was found.
__m128i alphasAlong(__m128i layer, const AlphaLine& line)
{
    const __m128i product = _mm_madd_epi16(_mm_srli_epi32(layer, 24), _mm_set1_epi32(line.multiplier));
    return _mm_srli_epi32(_mm_add_epi32(product, _mm_set1_epi32(line.offset)), alphaLineShift);
}

// blendAlpha of four texels' alphas, in 32-bit lanes.
__m128i blendAlphas(__m128i layer, __m128 opacity)
{
    const __m128i alphaByte = _mm_srli_epi32(layer, 24);
    __m128 alpha = _mm_mul_ps(_mm_mul_ps(_mm_cvtepi32_ps(alphaByte), _mm_set1_ps(1.0f / 255.0f)), opacity);
    // max first: a NaN becomes 0, as in blendAlpha.
    alpha = _mm_min_ps(_mm_max_ps(alpha, _mm_setzero_ps()), _mm_set1_ps(1.0f));
    const __m128 scaled = _mm_mul_ps(alpha, _mm_set1_ps(255.0f));  // 0 to 255: rounded, ties to even
#ifdef __wasm_simd128__
    // In range, so the saturating conversion gives x86's result at a third of the cost of its emulation.
    return static_cast<__m128i>(wasm_i32x4_trunc_sat_f32x4(wasm_f32x4_nearest(static_cast<v128_t>(scaled))));
#else
    return _mm_cvtps_epi32(scaled);
#endif
}

#ifdef __wasm_simd128__

// WebAssembly multiplies bytes straight into 16-bit lanes and moves a
// pixel's alpha into its four channels with one byte shuffle: fewer steps
// than unpacking to 16 bits first, which is what x86 needs. Same products.

// (t + (t >> 8) + 128) >> 8 in 16-bit lanes: every intermediate fits
// (t <= 255 * 255, so the sum is at most 65407).
v128_t scaledLanes(v128_t t)
{
    return wasm_u16x8_shr(wasm_i16x8_add(wasm_i16x8_add(t, wasm_u16x8_shr(t, 8)), wasm_i16x8_splat(128)), 8);
}

// Four pixels' blend alphas (32-bit lanes, 0 to 255) in every byte of their pixel.
v128_t alphaInEveryByte(v128_t blendA)
{
    return wasm_i8x16_shuffle(blendA, blendA, 0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12);
}

// The layer's texels with their alpha bytes replaced by the blend alphas.
v128_t sourceOf(v128_t layer, v128_t blendA)
{
    return wasm_v128_or(wasm_v128_and(layer, wasm_i32x4_splat(0x00FFFFFF)), wasm_i32x4_shl(blendA, 24));
}

// Four pixels of `source` (alpha bytes already the blend alphas) over four
// of the frame at `alpha` (each pixel's in its four bytes); the sums
// saturate at 255.
v128_t blendBytes(v128_t frame, v128_t source, v128_t alpha)
{
    const v128_t inverse = wasm_v128_not(alpha);  // 255 - alpha
    const v128_t low = wasm_i16x8_add(scaledLanes(wasm_u16x8_extmul_low_u8x16(source, alpha)),
                                      scaledLanes(wasm_u16x8_extmul_low_u8x16(frame, inverse)));
    const v128_t high = wasm_i16x8_add(scaledLanes(wasm_u16x8_extmul_high_u8x16(source, alpha)),
                                       scaledLanes(wasm_u16x8_extmul_high_u8x16(frame, inverse)));
    return wasm_u8x16_narrow_i16x8(low, high);
}

// blendBytes over transparent black: the frame's products are 0.
v128_t blendBytesOverNothing(v128_t source, v128_t alpha)
{
    return wasm_u8x16_narrow_i16x8(scaledLanes(wasm_u16x8_extmul_low_u8x16(source, alpha)),
                                   scaledLanes(wasm_u16x8_extmul_high_u8x16(source, alpha)));
}

// Four pixels of a layer over four of the frame at blend alphas blendA
// (32-bit lanes).
__m128i blendFour(__m128i frame, __m128i layer, __m128i blendA)
{
    const v128_t a = static_cast<v128_t>(blendA);
    return static_cast<__m128i>(
        blendBytes(static_cast<v128_t>(frame), sourceOf(static_cast<v128_t>(layer), a), alphaInEveryByte(a)));
}

// blendFour over transparent black.
__m128i blendFourOverNothing(__m128i layer, __m128i blendA)
{
    const v128_t a = static_cast<v128_t>(blendA);
    return static_cast<__m128i>(blendBytesOverNothing(sourceOf(static_cast<v128_t>(layer), a), alphaInEveryByte(a)));
}

// blendFour or blendFourOverNothing of texels at their own alphas: they are
// the source as they are, their alpha bytes shuffled into place.
__m128i blendFourAtOwnAlpha(__m128i frame, __m128i texels, bool overNothing)
{
    const v128_t source = static_cast<v128_t>(texels);
    const v128_t alpha = wasm_i8x16_shuffle(source, source, 3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
    return static_cast<__m128i>(overNothing ? blendBytesOverNothing(source, alpha)
                                            : blendBytes(static_cast<v128_t>(frame), source, alpha));
}

#else

// Four pixels of a layer over four of the frame at blend alphas blendA
// (32-bit lanes), in 16-bit lanes: every intermediate fits
// (t + (t >> 8) + 128 <= 65407).
__m128i blendFour(__m128i frame, __m128i layer, __m128i blendA)
{
    const __m128i zero = _mm_setzero_si128();
    // The source's alpha channel is the blend alpha itself.
    const __m128i source = _mm_or_si128(_mm_and_si128(layer, _mm_set1_epi32(0x00FFFFFF)), _mm_slli_epi32(blendA, 24));
    const __m128i pairs = _mm_or_si128(blendA, _mm_slli_epi32(blendA, 16));
    const __m128i alphaLow = _mm_unpacklo_epi32(pairs, pairs);  // pixels 0, 1: alpha in all four channels
    const __m128i alphaHigh = _mm_unpackhi_epi32(pairs, pairs);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(128);
    const auto scale = [half](__m128i x, __m128i y) {
        const __m128i t = _mm_mullo_epi16(x, y);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half), 8);
    };
    const __m128i low = _mm_add_epi16(scale(_mm_unpacklo_epi8(source, zero), alphaLow),
                                      scale(_mm_unpacklo_epi8(frame, zero), _mm_sub_epi16(full, alphaLow)));
    const __m128i high = _mm_add_epi16(scale(_mm_unpackhi_epi8(source, zero), alphaHigh),
                                       scale(_mm_unpackhi_epi8(frame, zero), _mm_sub_epi16(full, alphaHigh)));
    return _mm_packus_epi16(low, high);  // saturates at 255
}

// blendFour over transparent black: the frame's products are 0.
__m128i blendFourOverNothing(__m128i layer, __m128i blendA)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i source = _mm_or_si128(_mm_and_si128(layer, _mm_set1_epi32(0x00FFFFFF)), _mm_slli_epi32(blendA, 24));
    const __m128i pairs = _mm_or_si128(blendA, _mm_slli_epi32(blendA, 16));
    const __m128i half = _mm_set1_epi16(128);
    const auto scale = [half](__m128i x, __m128i y) {
        const __m128i t = _mm_mullo_epi16(x, y);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half), 8);
    };
    return _mm_packus_epi16(scale(_mm_unpacklo_epi8(source, zero), _mm_unpacklo_epi32(pairs, pairs)),
                            scale(_mm_unpackhi_epi8(source, zero), _mm_unpackhi_epi32(pairs, pairs)));
}

__m128i blendFourAtOwnAlpha(__m128i frame, __m128i texels, bool overNothing)
{
    const __m128i blendA = _mm_srli_epi32(texels, 24);
    return overNothing ? blendFourOverNothing(texels, blendA) : blendFour(frame, texels, blendA);
}

#endif

// Whether any of four texels is not wholly transparent. WebAssembly has a
// test of a whole vector; the compare-and-mask form costs it several steps.
bool anyAlpha(__m128i texels)
{
    const __m128i alphas = _mm_and_si128(texels, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
#ifdef __wasm_simd128__
    return wasm_v128_any_true(static_cast<v128_t>(alphas));
#else
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alphas, _mm_setzero_si128())) != 0xFFFF;
#endif
}

bool anyByte(__m128i pixels)
{
#ifdef __wasm_simd128__
    return wasm_v128_any_true(static_cast<v128_t>(pixels));
#else
    return _mm_movemask_epi8(_mm_cmpeq_epi8(pixels, _mm_setzero_si128())) != 0xFFFF;
#endif
}

struct LayerPass {
    const std::uint8_t* rgba;
    __m128 opacity;
    bool asIs;  // alphaAsIs(opacity)
    AlphaLine line;  // when not asIs
};

// Where a layer's blend alphas come from: its texels' own alphas (alphaAsIs),
// an AlphaLine that was found, or the float rule. Each way has loops of its
// own, chosen once a layer and chunk.
enum class Alphas { own, line, rule };

Alphas alphasOf(const LayerPass& layer)
{
    return layer.asIs ? Alphas::own : layer.line.found ? Alphas::line : Alphas::rule;
}

// Four texels known not to be transparent over four frame pixels (over
// transparent black when `overNothing`), at the layer's blend alphas.
// Opaque texels at their own alpha come out as they are (x * 255 / 255 and
// x * 0 / 255 round exactly), as any blend gives them.
template <Alphas alphas>
__m128i blendTexels(__m128i frame, __m128i texels, const LayerPass& layer, bool overNothing)
{
    if constexpr (alphas == Alphas::own) {
        return blendFourAtOwnAlpha(frame, texels, overNothing);
    } else {
        const __m128i blendA =
            alphas == Alphas::line ? alphasAlong(texels, layer.line) : blendAlphas(texels, layer.opacity);
        return overNothing ? blendFourOverNothing(texels, blendA) : blendFour(frame, texels, blendA);
    }
}

// Four texels over the four pixels of the frame at `at`. Texels of alpha 0
// leave the frame as it is; over transparent black the frame's products
// are 0, which the blend over nothing leaves out.
template <Alphas alphas>
void blendBlock(std::uint8_t* at, __m128i texels, const LayerPass& layer)
{
    if (!anyAlpha(texels)) return;
    __m128i* pixel = reinterpret_cast<__m128i*>(at);
    const __m128i frame = _mm_loadu_si128(pixel);
    _mm_storeu_si128(pixel, blendTexels<alphas>(frame, texels, layer, !anyByte(frame)));
}

// The first layer over transparent black, pixels [from, to) in blocks of
// four: it writes every block, its transparent stretches as zeros sixteen
// pixels at a time.
template <Alphas alphas>
void firstLayer(std::uint8_t* out, const LayerPass& first, std::size_t from, std::size_t to)
{
    const auto overNothing = [&first](__m128i texels) {
        if (!anyAlpha(texels)) return _mm_setzero_si128();
        return blendTexels<alphas>(_mm_setzero_si128(), texels, first, true);
    };
    std::size_t at = from;
    for (; at + 16 <= to; at += 16) {
        const auto* texels = reinterpret_cast<const __m128i*>(first.rgba + at * 4);
        const __m128i group[4] = {_mm_loadu_si128(texels), _mm_loadu_si128(texels + 1), _mm_loadu_si128(texels + 2),
                                  _mm_loadu_si128(texels + 3)};
        const bool any = anyAlpha(_mm_or_si128(_mm_or_si128(group[0], group[1]), _mm_or_si128(group[2], group[3])));
        for (int k = 0; k < 4; ++k)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (at + 4 * k) * 4),
                             any ? overNothing(group[k]) : _mm_setzero_si128());
    }
    for (; at < to; at += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at * 4),
                         overNothing(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first.rgba + at * 4))));
}

// A layer over the frame, pixels [from, to) in blocks of four; its
// transparent stretches (most of it) passed over sixteen pixels at a time.
template <Alphas alphas>
void nextLayer(std::uint8_t* out, const LayerPass& layer, std::size_t from, std::size_t to)
{
    std::size_t i = from;
    for (; i + 16 <= to; i += 16) {
        const auto* texels = reinterpret_cast<const __m128i*>(layer.rgba + i * 4);
        const __m128i a = _mm_loadu_si128(texels), b = _mm_loadu_si128(texels + 1);
        const __m128i c = _mm_loadu_si128(texels + 2), d = _mm_loadu_si128(texels + 3);
        if (!anyAlpha(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)))) continue;
        blendBlock<alphas>(out + i * 4, a, layer);
        blendBlock<alphas>(out + i * 4 + 16, b, layer);
        blendBlock<alphas>(out + i * 4 + 32, c, layer);
        blendBlock<alphas>(out + i * 4 + 48, d, layer);
    }
    for (; i < to; i += 4)
        blendBlock<alphas>(out + i * 4, _mm_loadu_si128(reinterpret_cast<const __m128i*>(layer.rgba + i * 4)), layer);
}

// Pixels a chunk: the layers are blended one after another over a chunk of
// the frame that stays in the cache (32 KB of frame and 32 KB a layer).
constexpr std::size_t chunkPixels = 8192;

// Pixels from `done` on, in blocks of four; returns where the blocks end.
std::size_t composeSse2(std::uint8_t* out, std::span<const LayerView> layers, std::size_t done, std::size_t pixelCount)
{
    const std::size_t end = done + (pixelCount - done) / 4 * 4;
    if (layers.empty()) {
        std::memset(out + done * 4, 0, (end - done) * 4);
        return end;
    }
    std::vector<LayerPass> passes;
    passes.reserve(layers.size());
    for (const LayerView& layer : layers) {
        const bool asIs = alphaAsIs(layer.opacity);
        passes.push_back({layer.rgba, _mm_set1_ps(layer.opacity), asIs, asIs ? AlphaLine{} : alphaLine(layer.opacity)});
    }

    for (std::size_t from = done; from < end; from += chunkPixels) {
        const std::size_t to = std::min(end, from + chunkPixels);
        const LayerPass& first = passes.front();
        switch (alphasOf(first)) {
        case Alphas::own: firstLayer<Alphas::own>(out, first, from, to); break;
        case Alphas::line: firstLayer<Alphas::line>(out, first, from, to); break;
        case Alphas::rule: firstLayer<Alphas::rule>(out, first, from, to); break;
        }
        for (std::size_t k = 1; k < passes.size(); ++k) {
            switch (alphasOf(passes[k])) {
            case Alphas::own: nextLayer<Alphas::own>(out, passes[k], from, to); break;
            case Alphas::line: nextLayer<Alphas::line>(out, passes[k], from, to); break;
            case Alphas::rule: nextLayer<Alphas::rule>(out, passes[k], from, to); break;
            }
        }
    }
    return end;
}

#endif

#ifdef QELO_BLEND_AVX2

// blendFour on eight pixels; unpacking and packing both work within each
// 128-bit half, so the halves stay apart exactly as four-pixel blocks.
// `asIs`: the layer's opacity keeps every alpha (alphaAsIs); `overNothing`:
// the frame is transparent black, whose products are 0.
template <bool overNothing>
QELO_BLEND_AVX2 __m256i blendEight(__m256i frame, __m256i layer, __m256 opacity, bool asIs, const AlphaLine& line)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alphaByte = _mm256_srli_epi32(layer, 24);
    __m256i blendA = alphaByte;
    if (!asIs && line.found) {
        const __m256i product = _mm256_madd_epi16(alphaByte, _mm256_set1_epi32(line.multiplier));
        blendA = _mm256_srli_epi32(_mm256_add_epi32(product, _mm256_set1_epi32(line.offset)), alphaLineShift);
    } else if (!asIs) {
        __m256 alpha =
            _mm256_mul_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(alphaByte), _mm256_set1_ps(1.0f / 255.0f)), opacity);
        alpha = _mm256_min_ps(_mm256_max_ps(alpha, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
        blendA = _mm256_cvtps_epi32(_mm256_mul_ps(alpha, _mm256_set1_ps(255.0f)));
    }

    const __m256i source =
        _mm256_or_si256(_mm256_and_si256(layer, _mm256_set1_epi32(0x00FFFFFF)), _mm256_slli_epi32(blendA, 24));
    const __m256i pairs = _mm256_or_si256(blendA, _mm256_slli_epi32(blendA, 16));
    const __m256i alphaLow = _mm256_unpacklo_epi32(pairs, pairs);
    const __m256i alphaHigh = _mm256_unpackhi_epi32(pairs, pairs);
    const __m256i full = _mm256_set1_epi16(255);
    const __m256i half = _mm256_set1_epi16(128);
    const auto scale = [half](__m256i x, __m256i y) QELO_BLEND_AVX2 {
        const __m256i t = _mm256_mullo_epi16(x, y);
        return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), half), 8);
    };
    if constexpr (overNothing)
        return _mm256_packus_epi16(scale(_mm256_unpacklo_epi8(source, zero), alphaLow),
                                   scale(_mm256_unpackhi_epi8(source, zero), alphaHigh));
    const __m256i low = _mm256_add_epi16(scale(_mm256_unpacklo_epi8(source, zero), alphaLow),
                                         scale(_mm256_unpacklo_epi8(frame, zero), _mm256_sub_epi16(full, alphaLow)));
    const __m256i high = _mm256_add_epi16(scale(_mm256_unpackhi_epi8(source, zero), alphaHigh),
                                          scale(_mm256_unpackhi_epi8(frame, zero), _mm256_sub_epi16(full, alphaHigh)));
    return _mm256_packus_epi16(low, high);
}

QELO_BLEND_AVX2 std::size_t composeAvx2(std::uint8_t* out, std::span<const LayerView> layers, std::size_t done,
                                        std::size_t pixelCount)
{
    const __m256i alphaMask = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    bool asIs[8] = {};
    AlphaLine lines[8];
    const AlphaLine noLine;
    for (std::size_t k = 0; k < layers.size() && k < 8; ++k) {
        asIs[k] = alphaAsIs(layers[k].opacity);
        if (!asIs[k]) lines[k] = alphaLine(layers[k].opacity);
    }
    for (; done + 8 <= pixelCount; done += 8) {
        __m256i frame = _mm256_setzero_si256();
        bool nothing = true;  // as in composeSse2
        for (std::size_t k = 0; k < layers.size(); ++k) {
            const LayerView& layer = layers[k];
            const __m256i texels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(layer.rgba + done * 4));
            if (_mm256_testz_si256(texels, alphaMask)) continue;
            const bool asIsHere = k < 8 && asIs[k];
            const AlphaLine& line = k < 8 ? lines[k] : noLine;
            const __m256i alphas = _mm256_and_si256(texels, alphaMask);
            if (asIsHere && _mm256_movemask_epi8(_mm256_cmpeq_epi32(alphas, alphaMask)) == -1)
                frame = texels;
            else if (nothing)
                frame = blendEight<true>(frame, texels, _mm256_set1_ps(layer.opacity), asIsHere, line);
            else
                frame = blendEight<false>(frame, texels, _mm256_set1_ps(layer.opacity), asIsHere, line);
            nothing = false;
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + done * 4), frame);
    }
    return done;
}

#endif

}  // namespace

std::uint8_t blendAlpha(std::uint8_t alpha, float opacity)
{
    float a = static_cast<float>(alpha) * (1.0f / 255.0f);
    a = a * opacity;
    if (!(a > 0.0f)) a = 0.0f;  // NaN too
    if (a > 1.0f) a = 1.0f;
    return static_cast<std::uint8_t>(std::nearbyint(a * 255.0f));
}

std::uint8_t blendChannel(std::uint8_t source, std::uint8_t destination, std::uint8_t alpha)
{
    const unsigned sum = scaled(source, alpha) + scaled(destination, 255u - alpha);
    return static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
}

void composeLayers(std::uint8_t* out, std::span<const LayerView> layers, std::size_t pixelCount, BlendPath widest)
{
    std::size_t done = 0;
#ifdef QELO_BLEND_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (widest == BlendPath::avx2 && avx2) done = composeAvx2(out, layers, done, pixelCount);
#endif
#if defined(__SSE2__) || defined(_M_X64)
    if (widest != BlendPath::scalar) done = composeSse2(out, layers, done, pixelCount);
#endif
    for (; done < pixelCount; ++done) {
        std::uint8_t* pixel = out + done * 4;
        std::memset(pixel, 0, 4);
        for (const LayerView& layer : layers) blendPixel(pixel, layer.rgba + done * 4, layer.opacity);
    }
}

}  // namespace qelo
