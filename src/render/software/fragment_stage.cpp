#include "render/software/fragment_stage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/software/blend.h"
#include "render/software/sampler.h"
#include "render/software/wide_spans.h"

namespace qelo::software {

namespace {

constexpr double depthUnits = 16777215.0;  // 2^24 - 1

[[gnu::always_inline]] inline std::uint32_t depthValue(double z)
{
    z = z > 0 ? (z < 1 ? z : 1) : 0;
    const double scaled = z * depthUnits + 0.5;
#if defined(__wasm__)
    // In [0.5, 2^24): floor(x) + 2^52 holds the whole number in its low 32
    // bits, without the range checks V8 puts around a conversion.
    const double shifted = std::floor(scaled) + 4503599627370496.0;
    std::uint64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return static_cast<std::uint32_t>(bits);
#else
    return static_cast<std::uint32_t>(scaled);
#endif
}

struct SpanJob {
    const TriangleSetup& triangle;
    const FragmentState& state;
    const FragmentTarget& target;
    std::uint8_t bytes[4];  // the constant colour in 8 bits
};

// One colour (`bytes`) over a span without depth test: fill or blend.
void constantSpan(const FragmentState& state, const std::uint8_t* bytes, std::uint8_t* pixel, std::int32_t count)
{
    if (state.blend) return blendConstantSpan(pixel, count, bytes, state.source, state.destination);
    std::uint32_t value;
    std::memcpy(&value, bytes, 4);
    std::uint32_t four[4] = {value, value, value, value};  // 16 bytes a store
    std::int32_t n = 0;
    for (; n + 4 <= count; n += 4) std::memcpy(pixel + 4 * n, four, 16);
    for (; n < count; ++n) std::memcpy(pixel + 4 * n, &value, 4);
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
    if constexpr (!depthTest && !smooth && !textured) return constantSpan(state, job.bytes, pixel, count);

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

    std::int32_t n = 0;
    if constexpr (textured && !depthTest && !smooth) {
        const TexturedSpan group{state.texture, state.filter, start[4], step[4], start[5],
                                 step[5], perspective, qStart, qStep, state.colour,
                                 blend, state.source, state.destination};
        n = drawTexturedGroups(group, pixel, count);
        pixel += 4 * n;
    }
    if constexpr (!textured && (smooth || depthTest)) {
        if (count >= 8) {  // shorter spans cost less one pixel at a time
            SmoothSpan wide;
            if constexpr (smooth) {
                std::copy(start, start + 4, wide.colour.begin());
                std::copy(step, step + 4, wide.colourStep.begin());
            } else {
                wide.colour = state.colour;  // steps 0: each lane's colour is exactly this one
            }
            wide.q = qStart;
            wide.qStep = qStep;
            wide.perspective = smooth && perspective;
            wide.depthTest = depthTest;
            wide.z = zStart;
            wide.zStep = dz;
            wide.blend = blend;
            wide.source = state.source;
            wide.destination = state.destination;
            n = drawSmoothGroups(wide, pixel, depth, count);
            pixel += 4 * n;
            depth += n;
        }
    }
    for (; n < count; ++n, pixel += 4, ++depth) {
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
            const __m128 scaled = _mm_mul_ps(c01, _mm_loadu_ps(texel.data()));
            const __m128i q = _mm_cvttps_epi32(_mm_add_ps(scaled, _mm_set1_ps(0.5f)));
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
            for (int c = 0; c < 4; ++c) source[c] = colourByte(value[c]);
        } else {
            std::memcpy(source, job.bytes, 4);
        }

        if constexpr (blend) blendPixel(pixel, source, sourceFactor, destinationFactor);
        else std::memcpy(pixel, source, 4);
        if constexpr (depthTest) *depth = z;
    }
}

// One colour, depth-tested, no texture (the tree's cones: mostly rows of a
// few pixels): span<true, blend, false, false, *> row for row, without a call
// a row, the factors looked up once a triangle.
template <bool blend>
void depthTestedConstant(const SpanJob& job)
{
    const FragmentState& state = job.state;
    const FragmentTarget& target = job.target;
    const FactorLine sourceFactor = factorLine(state.source), destinationFactor = factorLine(state.destination);
    const Plane& depthPlane = job.triangle.depth();
    // Inlined where the rows are walked: most spans are a pixel or two, and a
    // call a span cost as much as the span.
    job.triangle.forEachSpan([&](std::int32_t row, std::int32_t from, std::int32_t to) __attribute__((always_inline)) {
        const std::size_t offset = static_cast<std::size_t>(row) * target.width + from;
        std::uint8_t* pixel = target.rgba + offset * 4;
        std::uint32_t* depth = target.depth + offset;
        const std::int32_t count = to - from + 1;
        const double zStart = depthPlane.at(from, row), dz = depthPlane.dx;
        std::int32_t n = 0;
        if (count >= 8) {
            SmoothSpan wide;
            wide.colour = state.colour;
            wide.depthTest = true;
            wide.z = zStart;
            wide.zStep = dz;
            wide.blend = blend;
            wide.source = state.source;
            wide.destination = state.destination;
            n = drawSmoothGroups(wide, pixel, depth, count);
        }
        for (; n < count; ++n) {
            const std::uint32_t z = depthValue(zStart + dz * n);
            if (z >= depth[n]) continue;
            if constexpr (blend) blendPixel(pixel + 4 * n, job.bytes, sourceFactor, destinationFactor);
            else std::memcpy(pixel + 4 * n, job.bytes, 4);
            depth[n] = z;
        }
    });
}

using SpanFunction = void (*)(const SpanJob&, std::int32_t, std::int32_t, std::int32_t);

template <bool depthTest, bool blend, bool smooth, bool textured>
SpanFunction choose(bool perspective)
{
    return perspective ? span<depthTest, blend, smooth, textured, true>
                       : span<depthTest, blend, smooth, textured, false>;
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

// One colour without depth test: fill or blend every span of `coverage`
// (a TriangleSetup or a QuadCoverage); most rows are short: no call a row.
template <class Coverage>
void constantSpans(const Coverage& coverage, const FragmentState& state, const FragmentTarget& target)
{
    std::uint8_t bytes[4];
    for (int c = 0; c < 4; ++c) bytes[c] = colourByte(state.colour[c]);
    if (!state.blend) {
        // A dot's wedges: most rows one or two pixels, stored in place.
        std::uint32_t value;
        std::memcpy(&value, bytes, 4);
        coverage.forEachSpan([&](std::int32_t row, std::int32_t from, std::int32_t to) {
            std::uint8_t* pixel = target.rgba + (static_cast<std::size_t>(row) * target.width + from) * 4;
            const std::int32_t count = to - from + 1;
            if (count > 2) return constantSpan(state, bytes, pixel, count);
            std::memcpy(pixel, &value, 4);
            if (count == 2) std::memcpy(pixel + 4, &value, 4);
        });
        return;
    }
    coverage.forEachSpan([&](std::int32_t row, std::int32_t from, std::int32_t to) {
        const std::size_t offset = static_cast<std::size_t>(row) * target.width + from;
        constantSpan(state, bytes, target.rgba + offset * 4, to - from + 1);
    });
}

}  // namespace

void drawConstantQuad(const QuadCoverage& quad, const FragmentState& state, const FragmentTarget& target)
{
    constantSpans(quad, state, target);
}

void drawTriangle(const TriangleSetup& triangle, const FragmentState& state, const FragmentTarget& target)
{
    if (triangle.empty()) return;
    if (!state.depthTest && state.constantColour && !state.texture) return constantSpans(triangle, state, target);
    SpanJob job{triangle, state, target, {}};
    for (int c = 0; c < 4; ++c) job.bytes[c] = colourByte(state.colour[c]);
    if (state.depthTest && state.constantColour && !state.texture)
        return state.blend ? depthTestedConstant<true>(job) : depthTestedConstant<false>(job);
    const SpanFunction drawSpan = chooseSpan(state, triangle.perspective());
    triangle.forEachSpan([&](std::int32_t row, std::int32_t from, std::int32_t to) { drawSpan(job, row, from, to); });
}

}  // namespace qelo::software
