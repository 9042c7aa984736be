#include "render/software/fragment_stage.h"

#include <algorithm>
#include <cstring>

#include "render/software/sampler.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace qelo::software {

namespace {

constexpr double depthUnits = 16777215.0;  // 2^24 - 1

[[gnu::always_inline]] inline std::uint32_t depthValue(double z)
{
    z = z > 0 ? (z < 1 ? z : 1) : 0;
    return static_cast<std::uint32_t>(z * depthUnits + 0.5);
}

// A colour channel clamped to [0, 1] (NaN to 0), scaled by `scale` and rounded.
[[gnu::always_inline]] inline std::uint8_t toByte(float c, float scale = 255.0f)
{
    c = c > 0 ? (c < 1 ? c : 1) : 0;
    return static_cast<std::uint8_t>(c * scale + 0.5f);
}

// A blend factor as base + slope * source alpha, in bytes.
struct FactorLine {
    std::int32_t base = 0, slope = 0;
    std::uint32_t at(std::uint32_t sourceAlpha) const
    {
        return static_cast<std::uint32_t>(base + slope * static_cast<std::int32_t>(sourceAlpha));
    }
};

FactorLine factorLine(BlendFactor factor)
{
    switch (factor) {
    case BlendFactor::zero: return {0, 0};
    case BlendFactor::one: return {255, 0};
    case BlendFactor::sourceAlpha: return {0, 1};
    case BlendFactor::oneMinusSourceAlpha: return {255, -1};
    }
    return {};
}

std::uint32_t factorByte(BlendFactor factor, std::uint32_t sourceAlpha)
{
    switch (factor) {
    case BlendFactor::zero: return 0;
    case BlendFactor::one: return 255;
    case BlendFactor::sourceAlpha: return sourceAlpha;
    case BlendFactor::oneMinusSourceAlpha: return 255 - sourceAlpha;
    }
    return 0;
}

[[gnu::always_inline]] inline void blendPixel(std::uint8_t* pixel, const std::uint8_t* source, FactorLine sourceFactor, FactorLine destinationFactor)
{
    const std::uint32_t fs = sourceFactor.at(source[3]);
    const std::uint32_t fd = destinationFactor.at(source[3]);
#if defined(__SSE2__)
    // Source and destination side by side in 16-bit lanes, each times its factor.
    std::int32_t sourceBytes, destinationBytes;
    std::memcpy(&sourceBytes, source, 4);
    std::memcpy(&destinationBytes, pixel, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i both = _mm_unpacklo_epi8(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(sourceBytes), _mm_cvtsi32_si128(destinationBytes)), zero);
    const __m128i factors = _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(fs)), _mm_set1_epi16(static_cast<short>(fd)));
    const __m128i t = _mm_mullo_epi16(both, factors);
    const __m128i products = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), _mm_set1_epi16(128)), 8);
    const __m128i sum = _mm_add_epi16(products, _mm_srli_si128(products, 8));
    const std::int32_t result = _mm_cvtsi128_si32(_mm_packus_epi16(sum, sum));
    std::memcpy(pixel, &result, 4);
    return;
#endif
    for (int c = 0; c < 4; ++c)
        pixel[c] = static_cast<std::uint8_t>(
            std::min<std::uint32_t>(255, multiplyBytes(source[c], fs) + multiplyBytes(pixel[c], fd)));
}

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
// Eight pixels at a time of constantSpan's blend where the processor has
// AVX2 (the rest of the program keeps the x86-64 baseline); returns how many
// pixels it did.
__attribute__((target("avx2"))) std::int32_t blendConstantEights(std::uint8_t* pixel, std::int32_t count,
                                                                  const std::uint32_t term[4], std::uint32_t fd)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i factor = _mm256_set1_epi16(static_cast<short>(fd));
    const __m256i half = _mm256_set1_epi16(128);
    const __m256i terms = _mm256_setr_epi16(
        short(term[0]), short(term[1]), short(term[2]), short(term[3]), short(term[0]), short(term[1]),
        short(term[2]), short(term[3]), short(term[0]), short(term[1]), short(term[2]), short(term[3]),
        short(term[0]), short(term[1]), short(term[2]), short(term[3]));
    std::int32_t n = 0;
    for (; n + 8 <= count; n += 8) {
        // Unpacking and packing work within 128-bit halves, so the pixels keep their places.
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixel + 4 * n));
        __m256i sums[2];
        for (int half16 = 0; half16 < 2; ++half16) {
            const __m256i destination = half16 ? _mm256_unpackhi_epi8(d, zero) : _mm256_unpacklo_epi8(d, zero);
            const __m256i t = _mm256_mullo_epi16(destination, factor);
            const __m256i product =
                _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), half), 8);
            sums[half16] = _mm256_add_epi16(product, terms);
        }
        const __m256i low = sums[0], high = sums[1];
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixel + 4 * n), _mm256_packus_epi16(low, high));
    }
    return n;
}

const bool processorHasAvx2 = __builtin_cpu_supports("avx2");
#endif

struct SpanJob {
    const TriangleSetup& triangle;
    const FragmentState& state;
    const FragmentTarget& target;
    std::uint8_t bytes[4];  // the constant colour in 8 bits
};

// One colour over a span without depth test: fill, or blend where the
// source term and the destination factor are the same for every pixel.
void constantSpan(const SpanJob& job, std::uint8_t* pixel, std::int32_t count)
{
    const FragmentState& state = job.state;
    if (!state.blend) {
        std::uint32_t value;
        std::memcpy(&value, job.bytes, 4);
        for (std::int32_t n = 0; n < count; ++n) std::memcpy(pixel + 4 * n, &value, 4);
        return;
    }
    const std::uint32_t fs = factorByte(state.source, job.bytes[3]);
    const std::uint32_t fd = factorByte(state.destination, job.bytes[3]);
    std::uint32_t term[4];
    for (int c = 0; c < 4; ++c) term[c] = multiplyBytes(job.bytes[c], fs);
    std::int32_t n = 0;
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    if (processorHasAvx2) n = blendConstantEights(pixel, count, term, fd);
#endif
#if defined(__SSE2__)
    // Four pixels at a time in 16-bit lanes: t + (t >> 8) + 128 <= 65407 and
    // term + product <= 510 fit; the pack saturates at 255.
    const __m128i zero = _mm_setzero_si128();
    const __m128i factor = _mm_set1_epi16(static_cast<short>(fd));
    const __m128i half = _mm_set1_epi16(128);
    const __m128i terms = _mm_set_epi16(short(term[3]), short(term[2]), short(term[1]), short(term[0]),
                                        short(term[3]), short(term[2]), short(term[1]), short(term[0]));
    auto blendEight = [&](__m128i destination) {
        const __m128i t = _mm_mullo_epi16(destination, factor);
        const __m128i product = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half), 8);
        return _mm_add_epi16(product, terms);
    };
    for (; n + 4 <= count; n += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel + 4 * n));
        const __m128i low = blendEight(_mm_unpacklo_epi8(d, zero));
        const __m128i high = blendEight(_mm_unpackhi_epi8(d, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel + 4 * n), _mm_packus_epi16(low, high));
    }
#endif
    for (; n < count; ++n)
        for (int c = 0; c < 4; ++c) {
            std::uint8_t& d = pixel[4 * n + c];
            d = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, term[c] + multiplyBytes(d, fd)));
        }
}

template <bool depthTest, bool blend, bool smooth, bool textured, bool perspective>
void span(const SpanJob& job, std::int32_t row, std::int32_t from, std::int32_t to)
{
    const TriangleSetup& triangle = job.triangle;
    const FragmentState& state = job.state;
    const std::size_t offset = static_cast<std::size_t>(row) * job.target.width + from;
    std::uint8_t* pixel = job.target.rgba + offset * 4;
    std::uint32_t* depth = job.target.depth + offset;
    const std::int32_t count = to - from + 1;
    if constexpr (!depthTest && !smooth && !textured) return constantSpan(job, pixel, count);

    const FactorLine sourceFactor = factorLine(state.source), destinationFactor = factorLine(state.destination);
    const double zStart = triangle.depth().at(from, row), dz = triangle.depth().dx;
    // Attributes 0-3 colour, 4-5 texture coordinates; only those used.
    constexpr int first = smooth ? 0 : 4, last = textured ? 6 : 4;
    float start[attributeCount] = {}, step[attributeCount] = {};
    for (int k = first; k < last; ++k) {
        start[k] = static_cast<float>(triangle.attribute(k).at(from, row));
        step[k] = static_cast<float>(triangle.attribute(k).dx);
    }
    const float qStart = static_cast<float>(triangle.oneOverW().at(from, row));
    const float qStep = static_cast<float>(triangle.oneOverW().dx);

    for (std::int32_t n = 0; n < count; ++n, pixel += 4, ++depth) {
        std::uint32_t z = 0;
        if constexpr (depthTest) {
            z = depthValue(zStart + dz * n);
            if (z >= *depth) continue;
        }
        float value[attributeCount];
        const float position = static_cast<float>(n);
        float w = 1;
        if constexpr (perspective && first < last) w = 1.0f / (qStart + qStep * position);
        for (int k = first; k < last; ++k) value[k] = (start[k] + step[k] * position) * w;
        if constexpr (!smooth)
            for (int c = 0; c < 4; ++c) value[c] = state.colour[c];

        std::uint8_t source[4];
        if constexpr (textured) {
            const Texel texel = state.filter == TextureFilter::nearest
                                    ? sampleNearest(*state.texture, value[4], value[5])
                                    : sampleLinear(*state.texture, value[4], value[5]);
#if defined(__SSE2__)
            // As below: max(c, 0) is 0 for NaN, then min(c, 1), times the texel, rounded.
            const __m128 c01 = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(value), _mm_setzero_ps()), _mm_set1_ps(1));
            const __m128i q = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(c01, _mm_loadu_ps(texel.data())), _mm_set1_ps(0.5f)));
            const __m128i q16 = _mm_packs_epi32(q, q);
            const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(q16, q16));
            std::memcpy(source, &bytes, 4);
#else
            for (int c = 0; c < 4; ++c) {
                const float c01 = value[c] > 0 ? (value[c] < 1 ? value[c] : 1) : 0;
                source[c] = static_cast<std::uint8_t>(c01 * texel[c] + 0.5f);
            }
#endif
        } else if constexpr (smooth) {
            for (int c = 0; c < 4; ++c) source[c] = toByte(value[c]);
        } else {
            std::memcpy(source, job.bytes, 4);
        }

        if constexpr (blend) blendPixel(pixel, source, sourceFactor, destinationFactor);
        else std::memcpy(pixel, source, 4);
        if constexpr (depthTest) *depth = z;
    }
}

using SpanFunction = void (*)(const SpanJob&, std::int32_t, std::int32_t, std::int32_t);

template <bool depthTest, bool blend, bool smooth, bool textured>
SpanFunction choose(bool perspective)
{
    return perspective ? span<depthTest, blend, smooth, textured, true> : span<depthTest, blend, smooth, textured, false>;
}

template <bool depthTest, bool blend, bool smooth>
SpanFunction choose(bool textured, bool perspective)
{
    return textured ? choose<depthTest, blend, smooth, true>(perspective)
                    : choose<depthTest, blend, smooth, false>(perspective);
}

template <bool depthTest, bool blend>
SpanFunction choose(bool smooth, bool textured, bool perspective)
{
    return smooth ? choose<depthTest, blend, true>(textured, perspective)
                  : choose<depthTest, blend, false>(textured, perspective);
}

SpanFunction chooseSpan(const FragmentState& state, bool perspective)
{
    const bool smooth = !state.constantColour, textured = state.texture != nullptr;
    if (state.depthTest)
        return state.blend ? choose<true, true>(smooth, textured, perspective)
                           : choose<true, false>(smooth, textured, perspective);
    return state.blend ? choose<false, true>(smooth, textured, perspective)
                       : choose<false, false>(smooth, textured, perspective);
}

}  // namespace

void drawTriangle(const TriangleSetup& triangle, const FragmentState& state, const FragmentTarget& target)
{
    if (triangle.empty()) return;
    SpanJob job{triangle, state, target, {}};
    for (int c = 0; c < 4; ++c) job.bytes[c] = toByte(state.colour[c]);
    const SpanFunction drawSpan = chooseSpan(state, triangle.perspective());
    std::int32_t from = 0, to = 0;
    for (std::int32_t row = triangle.firstRow(); row <= triangle.lastRow(); ++row)
        if (triangle.rowSpan(row, from, to)) drawSpan(job, row, from, to);
}

}  // namespace qelo::software
