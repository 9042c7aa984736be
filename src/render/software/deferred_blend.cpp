#include "render/software/deferred_blend.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "render/software/blend.h"
#include "render/software/span_lanes.h"

namespace qelo::software {

namespace {

#if defined(__SSE2__)
// resolve's work on columns from..end of a row four at a time, whole groups
// only; returns where they end. Lanes still (0, 0, 0, 0) take the table; the
// others are blended while any of them has blends left and changes (a blend
// that leaves a pixel as it is leaves it so for good).
std::int32_t resolveFours(std::uint8_t* pixels, const std::int32_t* counts, std::int32_t from, std::int32_t end,
                          const std::uint8_t source[4], FactorLine sourceFactor, FactorLine destinationFactor,
                          const std::uint32_t* overZero, std::int32_t settled)
{
    const std::uint32_t fs = sourceFactor.at(source[3]), fd = destinationFactor.at(source[3]);
    short term[4];
    for (int c = 0; c < 4; ++c) term[c] = static_cast<short>(multiplyBytes(source[c], fs));
    const __m128i terms = _mm_setr_epi16(term[0], term[1], term[2], term[3], term[0], term[1], term[2], term[3]);
    const __m128i factor = _mm_set1_epi16(static_cast<short>(fd));
    const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi32(1);
    std::int32_t column = from;
    for (; column + 4 <= end; column += 4) {
        const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts + column));
        if (_mm_movemask_epi8(_mm_cmpgt_epi32(n, zero)) == 0) continue;
        std::uint8_t* pixel = pixels + static_cast<std::size_t>(column) * 4;
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
        const __m128i blank = _mm_cmpeq_epi32(before, zero);
        __m128i value = before, left = n;
        for (;;) {
            const __m128i next = blendConstantFour(value, terms, factor);
            const __m128i live = _mm_andnot_si128(blank, _mm_cmpgt_epi32(left, zero));
            const __m128i changes = _mm_andnot_si128(_mm_cmpeq_epi32(next, value), live);
            if (_mm_movemask_epi8(changes) == 0) break;
            value = _mm_or_si128(_mm_and_si128(changes, next), _mm_andnot_si128(changes, value));
            left = _mm_sub_epi32(left, one);
        }
        alignas(16) std::uint32_t result[4];
        alignas(16) std::int32_t count[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(result), value);
        _mm_store_si128(reinterpret_cast<__m128i*>(count), n);
        const int blankLanes = _mm_movemask_epi8(blank);  // four bits a lane
        if (blankLanes != 0)
            for (int k = 0; k < 4; ++k)
                if ((blankLanes >> (4 * k) & 1) && count[k] > 0) result[k] = overZero[std::min(count[k], settled)];
        std::memcpy(pixel, result, 16);
    }
    return column;
}
#endif

}  // namespace

DeferredBlend::DeferredBlend(std::int32_t width, std::int32_t height)
    : width_(width), height_(height), rows_(height), counts_(width + 1, 0), firstRow_(height), lastRow_(-1)
{
}

void DeferredBlend::start(std::uint32_t source, BlendFactor sourceFactor, BlendFactor destinationFactor)
{
    source_ = source;
    sourceFactor_ = sourceFactor;
    destinationFactor_ = destinationFactor;
}

// Calls row(r, counts, from, end) for each row r with spans, counts[from..end)
// its pixels' counts; empties the lists.
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
        std::int32_t n = 0;
        for (std::int32_t column = from; column < end; ++column) {
            n += counts_[column];
            counts_[column] = n;
        }
        counts_[end] = 0;
        row(r, counts_.data(), from, end);
        std::fill(counts_.begin() + from, counts_.begin() + end, 0);
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
    forEachCountedRow([&](std::int32_t row, const std::int32_t* counts, std::int32_t from, std::int32_t end) {
        std::uint8_t* pixels = rgba + static_cast<std::size_t>(row) * width_ * 4;
        std::int32_t column = from;
#if defined(__SSE2__)
        if (spanLanes() != SpanLanes::one)
            column = resolveFours(pixels, counts, from, end, source, sourceFactor, destinationFactor,
                                  overZero.data(), settled);
#endif
        for (; column < end; ++column) {
            const std::int32_t n = counts[column];
            if (n <= 0) continue;
            std::uint8_t* pixel = pixels + static_cast<std::size_t>(column) * 4;
            std::uint32_t value;
            std::memcpy(&value, pixel, 4);
            if (value == 0) {
                value = overZero[std::min(n, settled)];
                std::memcpy(pixel, &value, 4);
                continue;
            }
            for (std::int32_t k = 0; k < n; ++k) {
                blendPixel(pixel, source, sourceFactor, destinationFactor);
                std::uint32_t after;
                std::memcpy(&after, pixel, 4);
                if (after == value) break;
                value = after;
            }
        }
    });
}

void DeferredBlend::discard()
{
    forEachCountedRow([](std::int32_t, const std::int32_t*, std::int32_t, std::int32_t) {});
}

}  // namespace qelo::software
