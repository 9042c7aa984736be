#include "render/depth_tested_triangles.h"

#include <algorithm>
#include <bit>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace qelo {

namespace {

// The driver's min/max: the second operand when either is not a number.
float maximum(float a, float b) { return a > b ? a : b; }
float minimum(float a, float b) { return a < b ? a : b; }

float clampedColour(float value) { return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f); }

// z in [0, 1] to 24 bits: one float product, rounded to nearest even.
std::uint32_t depthBits(float z)
{
    const float scaled = minimum(maximum(z, 0.0f), 1.0f) * 16777215.0f;
#if defined(__x86_64__) || defined(__i386__)
    return static_cast<std::uint32_t>(_mm_cvtss_si32(_mm_set_ss(scaled)));
#else
    return static_cast<std::uint32_t>(std::nearbyint(scaled));
#endif
}

// a x b / 255 in the driver's 8-bit arithmetic.
std::uint32_t multiplyNormalised(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t t = a * b;
    return (t + (t >> 8) + 128u) >> 8;
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2,fma"))) inline __m256 planeAt(float a0, float dadx, float dady, __m256 x, __m256 y)
{
    return _mm256_fmadd_ps(_mm256_set1_ps(dady), y, _mm256_fmadd_ps(_mm256_set1_ps(dadx), x, _mm256_set1_ps(a0)));
}

__attribute__((target("avx2,fma"))) inline __m256i multiplyNormalised8(__m256i a, __m256i b)
{
    const __m256i t = _mm256_mullo_epi32(a, b);
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(t, _mm256_srli_epi32(t, 8)), _mm256_set1_epi32(128)), 8);
}
#endif

}  // namespace

DepthTestedColour::DepthTestedColour(PictureView picture, DepthView depth, Blending blending, bool wide)
    : SpanSink(std::min(picture.width, depth.width), std::min(picture.height, depth.height)),
      picture(picture),
      depth(depth),
      blending(blending),
      wide(wide)
{
}

void DepthTestedColour::setVertexColour(float red, float green, float blue, float alpha)
{
    const float given[4] = {red, green, blue, alpha};
    for (int c = 0; c < 4; ++c) colour[c] = minimum(maximum(given[c], 0.0f), 1.0f);
    constant = false;
}

void DepthTestedColour::setConstantColour(float red, float green, float blue, float alpha)
{
    const float given[4] = {red, green, blue, alpha};
    for (int c = 0; c < 4; ++c) constantBytes[c] = unormByte(clampedColour(given[c]));
    constant = true;
}

float DepthTestedColour::Plane::at(float x, float y) const
{
    // Two roundings or four, as the driver's code is compiled here.
    static const bool fusedHere = processorFusesMultiplyAdd();
    if (fusedHere) return std::fma(dady, y, std::fma(dadx, x, a0));
    return dady * y + (dadx * x + a0);
}

void DepthTestedColour::triangle(const WindowPoint& v0, const WindowPoint& v1, const WindowPoint& v2)
{
    // The set-up's own order of operations, pixel centres at +0.5.
    const float x0 = v0.x - 0.5f;
    const float y0 = v0.y - 0.5f;
    const float dx01 = v0.x - v1.x;
    const float dy01 = v0.y - v1.y;
    const float dx20 = v2.x - v0.x;
    const float dy20 = v2.y - v0.y;
    const float e = dx01 * dy20;
    const float f = dy01 * dx20;
    const float oneOverArea = 1.0f / (e - f);
    const float dx20a = dx20 * oneOverArea;
    const float dy20a = dy20 * oneOverArea;
    const float dx01a = dx01 * oneOverArea;
    const float dy01a = dy01 * oneOverArea;
    const auto plane = [&](float a0, float a1, float a2) {
        const float da01 = a0 - a1;
        const float da20 = a2 - a0;
        Plane p;
        p.dadx = da01 * dy20a - da20 * dy01a;
        p.dady = da20 * dx01a - da01 * dx20a;
        p.a0 = a0 - (p.dadx * x0 + p.dady * y0);
        return p;
    };
    z = plane(v0.z, v1.z, v2.z);
    if (constant) return;
    oneOverW = plane(v0.oneOverW, v1.oneOverW, v2.oneOverW);
    for (int c = 0; c < 4; ++c)
        channel[c] = plane(colour[c] * v0.oneOverW, colour[c] * v1.oneOverW, colour[c] * v2.oneOverW);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2,fma"))) std::int32_t DepthTestedColour::spanEightAtATime(std::int32_t row, std::int32_t from,
                                                                                     std::int32_t to)
{
    // Lane for lane the operations of the scalar loop below, in the same
    // order; only the pixels passing the depth test are written.
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 y = _mm256_set1_ps(static_cast<float>(row));
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    const std::uint32_t constantSource = static_cast<std::uint32_t>(constantBytes[0]) | static_cast<std::uint32_t>(constantBytes[1]) << 8 |
                                         static_cast<std::uint32_t>(constantBytes[2]) << 16 |
                                         static_cast<std::uint32_t>(constantBytes[3]) << 24;

    std::uint32_t* depths = depth.depth + static_cast<std::size_t>(row) * static_cast<std::size_t>(depth.width);
    auto* pixels = reinterpret_cast<std::uint32_t*>(picture.rgba + static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width) * 4);
    const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    std::int32_t column = from;
    for (; column <= to; column += 8) {
        // The last group of a span may be short: masked loads and stores
        // touch only its lanes, never a pixel past the span.
        const __m256i inSpan = _mm256_cmpgt_epi32(_mm256_set1_epi32(to - column + 1), laneIndex);
        const __m256 x = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(column)), lanes);
        const __m256 zs = _mm256_min_ps(_mm256_max_ps(planeAt(z.a0, z.dadx, z.dady, x, y), zero), one);
        const __m256i newDepth = _mm256_cvtps_epi32(_mm256_mul_ps(zs, _mm256_set1_ps(16777215.0f)));
        auto* depthAt = reinterpret_cast<int*>(depths + column);
        const __m256i stored = _mm256_maskload_epi32(depthAt, inSpan);
        const __m256i pass = _mm256_and_si256(_mm256_cmpgt_epi32(stored, newDepth), inSpan);
        if (_mm256_testz_si256(pass, pass)) continue;
        _mm256_maskstore_epi32(depthAt, pass, newDepth);

        __m256i source;
        if (constant) {
            source = _mm256_set1_epi32(static_cast<std::int32_t>(constantSource));
        } else {
            const __m256 w = _mm256_div_ps(one, planeAt(oneOverW.a0, oneOverW.dadx, oneOverW.dady, x, y));
            source = _mm256_setzero_si256();
            for (int c = 0; c < 4; ++c) {
                const __m256 value = _mm256_min_ps(_mm256_max_ps(_mm256_mul_ps(planeAt(channel[c].a0, channel[c].dadx, channel[c].dady, x, y), w), zero), one);
                const __m256 biased = _mm256_add_ps(_mm256_mul_ps(value, _mm256_set1_ps(255.0f / 256.0f)), _mm256_set1_ps(32768.0f));
                const __m256i byte = _mm256_and_si256(_mm256_castps_si256(biased), byteMask);
                source = _mm256_or_si256(source, _mm256_slli_epi32(byte, 8 * c));
            }
        }
        auto* pixelAt = reinterpret_cast<int*>(pixels + column);
        __m256i result = source;
        if (blending == Blending::sourceAlphaOver) {
            const __m256i destination = _mm256_maskload_epi32(pixelAt, pass);
            const __m256i alpha = _mm256_srli_epi32(source, 24);
            const __m256i inverse = _mm256_sub_epi32(byteMask, alpha);
            result = _mm256_setzero_si256();
            for (int c = 0; c < 4; ++c) {
                const __m256i s = _mm256_and_si256(_mm256_srli_epi32(source, 8 * c), byteMask);
                const __m256i d = _mm256_and_si256(_mm256_srli_epi32(destination, 8 * c), byteMask);
                const __m256i sum = _mm256_min_epu32(_mm256_add_epi32(multiplyNormalised8(s, alpha), multiplyNormalised8(d, inverse)), byteMask);
                result = _mm256_or_si256(result, _mm256_slli_epi32(sum, 8 * c));
            }
        }
        _mm256_maskstore_epi32(pixelAt, pass, result);
    }
    return to + 1;
}
#else
std::int32_t DepthTestedColour::spanEightAtATime(std::int32_t, std::int32_t from, std::int32_t) { return from; }
#endif

void DepthTestedColour::span(std::int32_t row, std::int32_t from, std::int32_t to)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool processorIsWide = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    if (wide && processorIsWide) from = spanEightAtATime(row, from, to);
#endif
    const std::size_t rowStart = static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width);
    std::uint32_t* depths = depth.depth + static_cast<std::size_t>(row) * static_cast<std::size_t>(depth.width);
    std::uint8_t* pixels = picture.rgba + rowStart * 4;
    const float y = static_cast<float>(row);
    for (std::int32_t column = from; column <= to; ++column) {
        const float x = static_cast<float>(column);
        const std::uint32_t pixelDepth = depthBits(z.at(x, y));
        if (!(pixelDepth < depths[column])) continue;
        depths[column] = pixelDepth;

        std::uint8_t source[4];
        if (constant) {
            for (int c = 0; c < 4; ++c) source[c] = constantBytes[c];
        } else {
            const float w = 1.0f / oneOverW.at(x, y);
            for (int c = 0; c < 4; ++c) source[c] = unormByte(clampedColour(channel[c].at(x, y) * w));
        }
        std::uint8_t* pixel = pixels + static_cast<std::size_t>(column) * 4;
        if (blending == Blending::none) {
            for (int c = 0; c < 4; ++c) pixel[c] = source[c];
            continue;
        }
        const std::uint32_t alpha = source[3];
        for (int c = 0; c < 4; ++c) {
            const std::uint32_t sum = multiplyNormalised(source[c], alpha) + multiplyNormalised(pixel[c], 255u - alpha);
            pixel[c] = static_cast<std::uint8_t>(std::min(sum, 255u));
        }
    }
}

}  // namespace qelo
