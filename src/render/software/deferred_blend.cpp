#include "render/software/deferred_blend.h"

#include <algorithm>
#include <cstring>

#include "render/software/blend.h"

namespace qelo::software {

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
    forEachCountedRow([&](std::int32_t row, std::int32_t* differences, std::int32_t from, std::int32_t end) {
        std::uint8_t* pixels = rgba + static_cast<std::size_t>(row) * width_ * 4;
        // One pixel at a time, each stopping as soon as a blend leaves it as
        // it is: four lanes run until the longest-lived one stops, which
        // measured a third slower here. The count is summed in the same pass.
        std::int32_t n = 0;
        for (std::int32_t column = from; column < end; ++column) {
            n += differences[column];
            differences[column] = 0;
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
    forEachCountedRow([](std::int32_t, std::int32_t* differences, std::int32_t from, std::int32_t end) {
        std::fill(differences + from, differences + end, 0);
    });
}

}  // namespace qelo::software
