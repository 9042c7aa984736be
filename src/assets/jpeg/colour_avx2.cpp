#include "assets/jpeg/colour_avx2.h"

#include "assets/jpeg/vector_path.h"

#ifdef QELO_JPEG_HAS_AVX2

#include <immintrin.h>

namespace qelo::jpeg {
namespace {

// The chrominance terms of eight pixels: 1.402 Cr', 0.34414 Cb',
// 0.71414 Cr', 1.772 Cb'.
struct ChromaTerms8 {
    __m256 red, greenBlue, greenRed, blue;
};

// Eight samples at `p` as floats.
QELO_JPEG_AVX2 inline __m256 floatsAt(const std::uint8_t* p)
{
    return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

QELO_JPEG_AVX2 inline ChromaTerms8 chromaTerms(const std::uint8_t* blues, const std::uint8_t* reds)
{
    // Exact: the centred samples are small integers either way.
    const __m256 half = _mm256_set1_ps(128.0f);
    const __m256 cb = _mm256_sub_ps(floatsAt(blues), half);
    const __m256 cr = _mm256_sub_ps(floatsAt(reds), half);
    return {_mm256_mul_ps(_mm256_set1_ps(1.402f), cr), _mm256_mul_ps(_mm256_set1_ps(0.34414f), cb),
            _mm256_mul_ps(_mm256_set1_ps(0.71414f), cr), _mm256_mul_ps(_mm256_set1_ps(1.772f), cb)};
}

// Lanes 0, 0, 1, 1, 2, 2, 3, 3 (or 4, 4, ..., 7, 7) of each term: the
// terms of eight pixels that share chroma in pairs.
QELO_JPEG_AVX2 inline ChromaTerms8 doubled(const ChromaTerms8& c, __m256i lanes)
{
    return {_mm256_permutevar8x32_ps(c.red, lanes), _mm256_permutevar8x32_ps(c.greenBlue, lanes),
            _mm256_permutevar8x32_ps(c.greenRed, lanes), _mm256_permutevar8x32_ps(c.blue, lanes)};
}

// Eight RGBA pixels from eight luma samples: R = Y + red, G = Y - greenBlue
// - greenRed, B = Y + blue, truncated; packing saturates to 0..255, which
// is the clamp.
QELO_JPEG_AVX2 inline void storeEight(std::uint8_t* rgba, const std::uint8_t* luma, const ChromaTerms8& c)
{
    const __m256 y = floatsAt(luma);
    const __m256i r = _mm256_cvttps_epi32(_mm256_add_ps(y, c.red));
    const __m256i g = _mm256_cvttps_epi32(_mm256_sub_ps(_mm256_sub_ps(y, c.greenBlue), c.greenRed));
    const __m256i b = _mm256_cvttps_epi32(_mm256_add_ps(y, c.blue));
    // Per 128-bit half (pixels 0..3, 4..7): R x4, G x4, B x4, A x4, then
    // interleaved to R G B A per pixel.
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(r, g), _mm256_packs_epi32(b, _mm256_set1_epi32(255)));
    const __m256i perPixel = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,  //
                                              0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(rgba), _mm256_shuffle_epi8(bytes, perPixel));
}

}  // namespace

QELO_JPEG_AVX2 std::int32_t yCbCrSixteensAvx2(const std::uint8_t* luma, const std::uint8_t* blues, const std::uint8_t* reds,
                                              bool halfWidth, std::int32_t width, std::uint8_t* rgba, const std::uint8_t* secondLuma,
                                              std::uint8_t* secondRgba)
{
    std::int32_t x = 0;
    if (halfWidth) {
        const __m256i firstFour = _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3);
        const __m256i lastFour = _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7);
        for (; x + 16 <= width; x += 16) {
            const ChromaTerms8 pairs = chromaTerms(blues + x / 2, reds + x / 2);
            const ChromaTerms8 low = doubled(pairs, firstFour), high = doubled(pairs, lastFour);
            storeEight(rgba + 4 * x, luma + x, low);
            storeEight(rgba + 4 * x + 32, luma + x + 8, high);
            if (secondLuma) {
                storeEight(secondRgba + 4 * x, secondLuma + x, low);
                storeEight(secondRgba + 4 * x + 32, secondLuma + x + 8, high);
            }
        }
        return x;
    }
    for (; x + 16 <= width; x += 16) {
        storeEight(rgba + 4 * x, luma + x, chromaTerms(blues + x, reds + x));
        storeEight(rgba + 4 * x + 32, luma + x + 8, chromaTerms(blues + x + 8, reds + x + 8));
    }
    return x;
}

}  // namespace qelo::jpeg

#endif
