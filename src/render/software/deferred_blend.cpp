#include "render/software/deferred_blend.h"

#include <algorithm>
#include <cstring>

#include "render/software/blend.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace qelo::software {
namespace {

#if defined(__SSE2__)
// The counts of columns column to column + 3: the running sums of their
// differences (set back to 0) from `carry` on, which becomes the last.
inline __m128i countsOfFour(std::int32_t* differences, std::int32_t column, __m128i& carry)
{
    auto* fourDifferences = reinterpret_cast<__m128i*>(differences + column);
    __m128i counts = _mm_loadu_si128(fourDifferences);
    _mm_storeu_si128(fourDifferences, _mm_setzero_si128());
    counts = _mm_add_epi32(counts, _mm_slli_si128(counts, 4));
    counts = _mm_add_epi32(counts, _mm_slli_si128(counts, 8));
    counts = _mm_add_epi32(counts, carry);
    carry = _mm_shuffle_epi32(counts, 0xFF);
    return counts;
}

// Columns [column, end) of a row, four at a time while four remain: the
// counts are the running sums of the differences (from n on; set back to 0).
// Four neighbours all still clear take their counts' values over zero from
// the table together (a count of 0 leaves 0); the others go pixel by pixel
// to blendCounted(pixel, count). Returns the column reached; n becomes the
// count before it.
template <class BlendCounted>
std::int32_t blendFours(std::uint8_t* pixels, std::int32_t* differences, std::int32_t column, std::int32_t end,
                        std::int32_t& n, BlendCounted& blendCounted, const std::uint32_t* overZero, std::int32_t settled)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i carry = _mm_set1_epi32(n);
    for (; column + 4 <= end; column += 4) {
        const __m128i counts = countsOfFour(differences, column, carry);
        alignas(16) std::int32_t count[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(count), counts);
        auto* fourPixels = reinterpret_cast<__m128i*>(pixels + static_cast<std::size_t>(column) * 4);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_loadu_si128(fourPixels), zero)) == 0xFFFF) {
            const auto over = [&](std::int32_t k) {
                return static_cast<std::int32_t>(overZero[std::min(count[k], settled)]);
            };
            _mm_storeu_si128(fourPixels, _mm_set_epi32(over(3), over(2), over(1), over(0)));
        } else {
            for (std::int32_t k = 0; k < 4; ++k)
                if (count[k] > 0) blendCounted(pixels + static_cast<std::size_t>(column + k) * 4, count[k]);
        }
    }
    n = _mm_cvtsi128_si32(carry);
    return column;
}

// Counts (never negative) above `settled` lowered to it.
inline __m128i clampedCounts(__m128i counts, __m128i settled)
{
#if defined(__wasm_simd128__)
    return static_cast<__m128i>(wasm_i32x4_min(static_cast<v128_t>(counts), static_cast<v128_t>(settled)));
#else
    const __m128i above = _mm_cmpgt_epi32(counts, settled);
    return _mm_or_si128(_mm_and_si128(above, settled), _mm_andnot_si128(above, counts));
#endif
}

// blendFours over pixels known to be (0, 0, 0, 0): each takes its count's
// value from the table, unread.
std::int32_t fillFours(std::uint8_t* pixels, std::int32_t* differences, std::int32_t column, std::int32_t end,
                       std::int32_t& n, const std::uint32_t* overZero, std::int32_t settled)
{
    const __m128i settledLanes = _mm_set1_epi32(settled);
    __m128i carry = _mm_set1_epi32(n);
    for (; column + 4 <= end; column += 4) {
        const __m128i counts = countsOfFour(differences, column, carry);
        alignas(16) std::int32_t count[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(count), clampedCounts(counts, settledLanes));
        const auto over = [&](std::int32_t k) { return static_cast<std::int32_t>(overZero[count[k]]); };
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + static_cast<std::size_t>(column) * 4),
                         _mm_set_epi32(over(3), over(2), over(1), over(0)));
    }
    n = _mm_cvtsi128_si32(carry);
    return column;
}
#endif

}  // namespace

DeferredBlend::DeferredBlend(std::int32_t width, std::int32_t height)
    : width_(width), height_(height), rows_(height), counts_(width + 1, 0), firstRow_(height), lastRow_(-1)
{
}

void DeferredBlend::start(std::uint32_t source, BlendFactor sourceFactor, BlendFactor destinationFactor,
                          bool overClear)
{
    overClear_ = overClear;
    source_ = source;
    sourceFactor_ = sourceFactor;
    destinationFactor_ = destinationFactor;
}

// Calls row(r, differences, from, end) for each row r with spans: the
// pixels' counts are the running sums of differences[from..end), which the
// row function sets back to 0 as it goes (counts_ stays all 0 between
// calls); empties the lists.
template <class RowFunction>
void DeferredBlend::forEachCountedRow(RowFunction&& row)
{
    for (std::int32_t r = firstRow_; r <= lastRow_; ++r) {
        std::vector<Span>& spans = rows_[r];
        if (spans.empty()) continue;
        std::int32_t from = width_, end = 0;
        for (const Span& span : spans) {
            ++counts_[span.from];
            --counts_[span.end];
            from = std::min(from, span.from);
            end = std::max(end, span.end);
        }
        row(r, counts_.data(), from, end);
        counts_[end] = 0;
        spans.clear();
    }
    firstRow_ = height_;
    lastRow_ = -1;
    spans_ = 0;
}

void DeferredBlend::resolve(std::uint8_t* rgba)
{
    if (!pending()) return;
    std::uint8_t source[4];
    std::memcpy(source, &source_, 4);
    const FactorLine sourceFactor = factorLine(sourceFactor_), destinationFactor = factorLine(destinationFactor_);
    // overZero[k]: k blends over (0, 0, 0, 0). Blending is monotone in each
    // channel, so the sequence settles within 255 blends; the table ends
    // where it does.
    std::array<std::uint32_t, 257> overZero{};
    std::int32_t settled = 0;
    while (settled < 256) {
        std::uint8_t next[4];
        std::memcpy(next, &overZero[settled], 4);
        blendPixel(next, source, sourceFactor, destinationFactor);
        std::uint32_t value;
        std::memcpy(&value, next, 4);
        if (value == overZero[settled]) break;
        overZero[++settled] = value;
    }
    // A pixel blended n times: from (0, 0, 0, 0) by the table, otherwise one
    // blend after another, stopping as soon as one leaves it as it is (four
    // lanes blended together until the longest-lived stops measured a third
    // slower).
    const auto blendCounted = [&](std::uint8_t* pixel, std::int32_t n) {
        std::uint32_t value;
        std::memcpy(&value, pixel, 4);
        if (value == 0) {
            value = overZero[std::min(n, settled)];
            std::memcpy(pixel, &value, 4);
            return;
        }
        for (std::int32_t k = 0; k < n; ++k) {
            blendPixel(pixel, source, sourceFactor, destinationFactor);
            std::uint32_t after;
            std::memcpy(&after, pixel, 4);
            if (after == value) break;
            value = after;
        }
    };
    const bool overClear = overClear_;
    overClear_ = false;  // the picture now holds the run's pixels
    forEachCountedRow([&](std::int32_t row, std::int32_t* differences, std::int32_t from, std::int32_t end) {
        std::uint8_t* pixels = rgba + static_cast<std::size_t>(row) * width_ * 4;
        std::int32_t n = 0;
        std::int32_t column = from;
#if defined(__SSE2__)
        if (overClear) column = fillFours(pixels, differences, column, end, n, overZero.data(), settled);
        else column = blendFours(pixels, differences, column, end, n, blendCounted, overZero.data(), settled);
#endif
        for (; column < end; ++column) {
            n += differences[column];
            differences[column] = 0;
            if (overClear) std::memcpy(pixels + static_cast<std::size_t>(column) * 4, &overZero[std::min(n, settled)], 4);
            else if (n > 0) blendCounted(pixels + static_cast<std::size_t>(column) * 4, n);
        }
    });
}

void DeferredBlend::discard()
{
    overClear_ = true;
    forEachCountedRow([](std::int32_t, std::int32_t* differences, std::int32_t from, std::int32_t end) {
        std::fill(differences + from, differences + end, 0);
    });
}

}  // namespace qelo::software
