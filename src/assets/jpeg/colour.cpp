#include "assets/jpeg/colour.h"

#include <array>

#include "assets/jpeg/colour_avx2.h"
#include "assets/jpeg/vector_path.h"

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

// The chrominance terms of four pixels, as store() uses them.
struct ChromaQuarter {
    __m128 red, greenBlue, greenRed, blue;
};

inline ChromaQuarter chromaQuarter(__m128 blues, __m128 reds)
{
    const __m128 half = _mm_set1_ps(128.0f);
    // Exact: the centred samples are small integers either way.
    const __m128 cb = _mm_sub_ps(blues, half);
    const __m128 cr = _mm_sub_ps(reds, half);
    return {_mm_mul_ps(_mm_set1_ps(1.402f), cr), _mm_mul_ps(_mm_set1_ps(0.34414f), cb), _mm_mul_ps(_mm_set1_ps(0.71414f), cr),
            _mm_mul_ps(_mm_set1_ps(1.772f), cb)};
}

// Each term twice: lanes 0, 0, 1, 1 (or 2, 2, 3, 3 for the high half).
inline ChromaQuarter doubled(const ChromaQuarter& c, bool high)
{
    const auto twice = [high](__m128 v) { return high ? _mm_unpackhi_ps(v, v) : _mm_unpacklo_ps(v, v); };
    return {twice(c.red), twice(c.greenBlue), twice(c.greenRed), twice(c.blue)};
}

// Four pixels: R, G and B as 32-bit integers. The same float operations,
// in the same order, as store().
struct FourPixels {
    __m128i red, green, blue;
};

inline FourPixels convertFour(__m128 luma, const ChromaQuarter& c)
{
    return {_mm_cvttps_epi32(_mm_add_ps(luma, c.red)), _mm_cvttps_epi32(_mm_sub_ps(_mm_sub_ps(luma, c.greenBlue), c.greenRed)),
            _mm_cvttps_epi32(_mm_add_ps(luma, c.blue))};
}

// Eight pixels as 16-bit R, G and B.
struct EightPixels {
    __m128i red, green, blue;
};

inline EightPixels pack(const FourPixels& a, const FourPixels& b)
{
    return {_mm_packs_epi32(a.red, b.red), _mm_packs_epi32(a.green, b.green), _mm_packs_epi32(a.blue, b.blue)};
}

// Sixteen RGBA pixels; packing to bytes saturates to 0..255, which is the
// clamp.
inline void storeSixteen(std::uint8_t* rgba, const EightPixels& low, const EightPixels& high)
{
    const __m128i r = _mm_packus_epi16(low.red, high.red);
    const __m128i g = _mm_packus_epi16(low.green, high.green);
    const __m128i b = _mm_packus_epi16(low.blue, high.blue);
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
// Chroma is either full width or one sample per two pixels. With
// `secondLuma`, a second row that shares the chroma is converted alongside
// into `secondRgba`.
std::int32_t yCbCrSixteens(const std::uint8_t* luma, const std::uint8_t* blues, const std::uint8_t* reds, bool halfWidth,
                           std::int32_t width, std::uint8_t* rgba, const std::uint8_t* secondLuma = nullptr,
                           std::uint8_t* secondRgba = nullptr)
{
    std::int32_t x = 0;
    if (halfWidth) {
        for (; x + 16 <= width; x += 16) {
            const __m128i cb = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(blues + x / 2));
            const __m128i cr = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(reds + x / 2));
            ChromaQuarter chroma[4];
            for (int half = 0; half < 2; ++half) {
                const ChromaQuarter pairs = chromaQuarter(floatsOf(cb, half), floatsOf(cr, half));
                chroma[2 * half] = doubled(pairs, false);
                chroma[2 * half + 1] = doubled(pairs, true);
            }
            for (int row = 0; row < (secondLuma ? 2 : 1); ++row) {
                const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>((row == 0 ? luma : secondLuma) + x));
                const EightPixels low = pack(convertFour(floatsOf(y, 0), chroma[0]), convertFour(floatsOf(y, 1), chroma[1]));
                const EightPixels high = pack(convertFour(floatsOf(y, 2), chroma[2]), convertFour(floatsOf(y, 3), chroma[3]));
                storeSixteen((row == 0 ? rgba : secondRgba) + 4 * x, low, high);
            }
        }
        return x;
    }
    for (; x + 16 <= width; x += 16) {
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x));
        const __m128i cb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blues + x));
        const __m128i cr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(reds + x));
        EightPixels halves[2];
        for (int half = 0; half < 2; ++half) {
            const int q = 2 * half;
            halves[half] = pack(convertFour(floatsOf(y, q), chromaQuarter(floatsOf(cb, q), floatsOf(cr, q))),
                                convertFour(floatsOf(y, q + 1), chromaQuarter(floatsOf(cb, q + 1), floatsOf(cr, q + 1))));
        }
        storeSixteen(rgba + 4 * x, halves[0], halves[1]);
    }
    return x;
}

// yCbCrSixteens, in AVX2 where the decoder may use it.
std::int32_t widestSixteens(const std::uint8_t* luma, const std::uint8_t* blues, const std::uint8_t* reds, bool halfWidth,
                            std::int32_t width, std::uint8_t* rgba, const std::uint8_t* secondLuma = nullptr,
                            std::uint8_t* secondRgba = nullptr)
{
#ifdef QELO_JPEG_HAS_AVX2
    if (vectorPath() == VectorPath::avx2) return yCbCrSixteensAvx2(luma, blues, reds, halfWidth, width, rgba, secondLuma, secondRgba);
#endif
    return yCbCrSixteens(luma, blues, reds, halfWidth, width, rgba, secondLuma, secondRgba);
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
        x = widestSixteens(luma, blues, reds, shift == 1, width, rgba);
        rgba += 4 * static_cast<std::int64_t>(x);
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

void yCbCrRowPair(const SamplePlane& y, const SamplePlane& cb, const SamplePlane& cr, std::int32_t row, std::int32_t width,
                  std::uint8_t* rgba, std::uint8_t* nextRgba)
{
    std::int32_t done = 0;
#if defined(__SSE2__) || defined(_M_X64)
    if (cb.hr == 2 && cr.hr == 2 && cb.vr == 2 && cr.vr == 2 && row % 2 == 0) {
        const std::uint8_t* luma = y.samples + row * y.stride;
        done = widestSixteens(luma, cb.samples + (row / 2) * cb.stride, cr.samples + (row / 2) * cr.stride, true, width, rgba,
                             luma + y.stride, nextRgba);
    }
#endif
    if (done == width) return;
    // The rest (done is a multiple of 16, so of hr), or every pixel when the
    // rows share no chroma.
    const auto rest = [done](const SamplePlane& p) { return SamplePlane{p.samples + done / p.hr, p.stride, p.hr, p.vr}; };
    yCbCrRow(rest(y), rest(cb), rest(cr), row, width - done, rgba + 4 * done);
    yCbCrRow(rest(y), rest(cb), rest(cr), row + 1, width - done, nextRgba + 4 * done);
}

void rgbRow(const SamplePlane& red, const SamplePlane& green, const SamplePlane& blue, std::int32_t row, std::int32_t width,
            std::uint8_t* rgba)
{
    const std::uint8_t* reds = red.samples + (row / red.vr) * red.stride;
    const std::uint8_t* greens = green.samples + (row / green.vr) * green.stride;
    const std::uint8_t* blues = blue.samples + (row / blue.vr) * blue.stride;
    for (std::int32_t x = 0; x < width; ++x, rgba += 4) {
        rgba[0] = reds[x / red.hr];
        rgba[1] = greens[x / green.hr];
        rgba[2] = blues[x / blue.hr];
        rgba[3] = 255;
    }
}

}  // namespace qelo::jpeg
