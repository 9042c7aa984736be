#include "assets/jpeg/colour.h"

#include <array>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace qelo::jpeg {
namespace {

// The chrominance products, one per sample value: exactly the float
// products 1.402 x Cr' and so on that the conversion adds and subtracts.
struct ChromaTerms {
    std::array<float, 256> red{};        // 1.402 x Cr'
    std::array<float, 256> greenBlue{};  // 0.34414 x Cb'
    std::array<float, 256> greenRed{};   // 0.71414 x Cr'
    std::array<float, 256> blue{};       // 1.772 x Cb'
};

const ChromaTerms& chromaTerms()
{
    static const ChromaTerms terms = [] {
        ChromaTerms t;
        for (int sample = 0; sample < 256; ++sample) {
            const auto centred = static_cast<float>(sample - 128);
            t.red[sample] = 1.402f * centred;
            t.greenBlue[sample] = 0.34414f * centred;
            t.greenRed[sample] = 0.71414f * centred;
            t.blue[sample] = 1.772f * centred;
        }
        return t;
    }();
    return terms;
}

inline std::uint8_t channel(float value)
{
    const auto n = static_cast<std::int32_t>(value);  // |value| < 512: no overflow
    return static_cast<std::uint8_t>(n < 0 ? 0 : (n > 255 ? 255 : n));
}

inline void store(std::uint8_t* rgba, float luma, float red, float greenBlue, float greenRed, float blue)
{
    rgba[0] = channel(luma + red);
    rgba[1] = channel(luma - greenBlue - greenRed);
    rgba[2] = channel(luma + blue);
    rgba[3] = 255;
}

#if defined(__SSE2__) || defined(_M_X64)

// Four bytes' worth of lanes as floats: lanes `first`..`first + 3` of 16 bytes.
inline __m128 floatsOf(__m128i bytes16, int quarter)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = quarter < 2 ? _mm_unpacklo_epi8(bytes16, zero) : _mm_unpackhi_epi8(bytes16, zero);
    const __m128i ints = (quarter % 2 == 0) ? _mm_unpacklo_epi16(words, zero) : _mm_unpackhi_epi16(words, zero);
    return _mm_cvtepi32_ps(ints);
}

// Sixteen pixels: Y, Cb and Cr one byte per pixel. The same float
// operations, in the same order, as store(); packing saturates to 0..255,
// which is the clamp.
inline void storeSixteen(std::uint8_t* rgba, __m128i y, __m128i cb, __m128i cr)
{
    const __m128 half = _mm_set1_ps(128.0f);
    __m128i red[4], green[4], blue[4];
    for (int q = 0; q < 4; ++q) {
        const __m128 luma = floatsOf(y, q);
        // Exact: the centred sample is a small integer either way.
        const __m128 blues = _mm_sub_ps(floatsOf(cb, q), half);
        const __m128 reds = _mm_sub_ps(floatsOf(cr, q), half);
        red[q] = _mm_cvttps_epi32(_mm_add_ps(luma, _mm_mul_ps(_mm_set1_ps(1.402f), reds)));
        green[q] = _mm_cvttps_epi32(_mm_sub_ps(_mm_sub_ps(luma, _mm_mul_ps(_mm_set1_ps(0.34414f), blues)), _mm_mul_ps(_mm_set1_ps(0.71414f), reds)));
        blue[q] = _mm_cvttps_epi32(_mm_add_ps(luma, _mm_mul_ps(_mm_set1_ps(1.772f), blues)));
    }
    const auto bytes = [](const __m128i (&v)[4]) {
        return _mm_packus_epi16(_mm_packs_epi32(v[0], v[1]), _mm_packs_epi32(v[2], v[3]));
    };
    const __m128i r = bytes(red), g = bytes(green), b = bytes(blue);
    const __m128i a = _mm_set1_epi8(static_cast<char>(0xFF));
    const __m128i rgLow = _mm_unpacklo_epi8(r, g), rgHigh = _mm_unpackhi_epi8(r, g);
    const __m128i baLow = _mm_unpacklo_epi8(b, a), baHigh = _mm_unpackhi_epi8(b, a);
    auto* out = reinterpret_cast<__m128i*>(rgba);
    _mm_storeu_si128(out, _mm_unpacklo_epi16(rgLow, baLow));
    _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(rgLow, baLow));
    _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(rgHigh, baHigh));
    _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(rgHigh, baHigh));
}

// Pixels 0.. of a row in groups of sixteen; returns how many were done.
// Chroma is either full width or one sample per two pixels.
std::int32_t yCbCrSixteens(const std::uint8_t* luma, const std::uint8_t* blues, const std::uint8_t* reds, bool halfWidth,
                           std::int32_t width, std::uint8_t* rgba)
{
    std::int32_t x = 0;
    for (; x + 16 <= width; x += 16, rgba += 64) {
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x));
        __m128i cb, cr;
        if (halfWidth) {
            cb = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(blues + x / 2));
            cr = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(reds + x / 2));
            cb = _mm_unpacklo_epi8(cb, cb);
            cr = _mm_unpacklo_epi8(cr, cr);
        } else {
            cb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blues + x));
            cr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(reds + x));
        }
        storeSixteen(rgba, y, cb, cr);
    }
    return x;
}

#endif

}  // namespace

void greyRow(const std::uint8_t* grey, std::int32_t width, std::uint8_t* rgba)
{
    for (std::int32_t x = 0; x < width; ++x, rgba += 4) {
        rgba[0] = rgba[1] = rgba[2] = grey[x];
        rgba[3] = 255;
    }
}

void yCbCrRow(const SamplePlane& y, const SamplePlane& cb, const SamplePlane& cr, std::int32_t row, std::int32_t width,
              std::uint8_t* rgba)
{
    const ChromaTerms& terms = chromaTerms();
    const std::uint8_t* luma = y.samples + row * y.stride;
    const std::uint8_t* blues = cb.samples + (row / cb.vr) * cb.stride;
    const std::uint8_t* reds = cr.samples + (row / cr.vr) * cr.stride;

    if (cb.hr == cr.hr && (cb.hr == 1 || cb.hr == 2)) {
        // The common layouts: 4:4:4, and 4:2:2 / 4:2:0 with one chroma pair
        // per two pixels.
        const int shift = cb.hr - 1;
        std::int32_t x = 0;
#if defined(__SSE2__) || defined(_M_X64)
        x = yCbCrSixteens(luma, blues, reds, shift == 1, width, rgba);
        rgba += 4 * x;
#endif
        for (; x < width; ++x, rgba += 4) {
            const std::uint8_t b = blues[x >> shift];
            const std::uint8_t r = reds[x >> shift];
            store(rgba, static_cast<float>(luma[x]), terms.red[r], terms.greenBlue[b], terms.greenRed[r], terms.blue[b]);
        }
        return;
    }
    for (std::int32_t x = 0; x < width; ++x, rgba += 4) {
        const std::uint8_t b = blues[x / cb.hr];
        const std::uint8_t r = reds[x / cr.hr];
        store(rgba, static_cast<float>(luma[x]), terms.red[r], terms.greenBlue[b], terms.greenRed[r], terms.blue[b]);
    }
}

}  // namespace qelo::jpeg
