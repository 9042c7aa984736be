#pragma once
// Blends of one constant source colour, counted now and applied later.
// While consecutive primitives blend the same 8-bit colour with the same
// factors, without depth test or texture (thousands of same-coloured pieces
// laid one over another), each covered span is only noted in its row's
// list. resolve() goes row by row: +1 at each span's first column, -1 past
// its last, the running sum along the row is the pixel's count n, and the
// blend is applied n times. Every blend of the run has the same source, so
// n blends in a row give exactly what the spans drawn one by one would. A
// pixel still (0, 0, 0, 0) takes the n-th entry of a table of blends over
// zero; any other pixel is blended n times, stopping early once a blend
// leaves it unchanged (it stays so).
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "render/drawing_context.h"

namespace qelo::software {

class DeferredBlend {
public:
    DeferredBlend(std::int32_t width, std::int32_t height);

    bool pending() const { return firstRow_ <= lastRow_; }
    // Whether the run holds as many spans as it may (the lists keep their
    // memory, 8 bytes a span, for the next run); the caller resolves then.
    bool full() const { return spans_ >= maxSpans; }
    // Whether the pending blends (if any) use this colour and these factors.
    bool holds(std::uint32_t source, BlendFactor sourceFactor, BlendFactor destinationFactor) const
    {
        return source == source_ && sourceFactor == sourceFactor_ && destinationFactor == destinationFactor_;
    }
    // Starts a run of this colour (RGBA bytes in memory order) and factors;
    // nothing may be pending. `overClear`: the picture is all (0, 0, 0, 0)
    // and nothing but this run draws on it until it is resolved, so resolve()
    // takes every pixel from the table without reading it.
    void start(std::uint32_t source, BlendFactor sourceFactor, BlendFactor destinationFactor, bool overClear);
    // One blend more over columns from..to (inclusive) of `row`, within the picture.
    void add(std::int32_t row, std::int32_t from, std::int32_t to)
    {
        std::vector<Span>& spans = rows_[row];
        // A span touching the row's last one joins it (a quad's two triangles meet so).
        if (!spans.empty() && spans.back().end == from) {
            spans.back().end = to + 1;
        } else if (!spans.empty() && spans.back().from == to + 1) {
            spans.back().from = from;
        } else {
            spans.push_back({from, to + 1});
            ++spans_;
        }
        firstRow_ = std::min(firstRow_, row);
        lastRow_ = std::max(lastRow_, row);
    }
    // Applies the pending blends to `rgba` (width x height RGBA bytes) and forgets them.
    void resolve(std::uint8_t* rgba);
    // Forgets the pending blends: the picture they were for was cleared
    // (the run goes on over a clear picture).
    void discard();

private:
    template <class RowFunction>
    void forEachCountedRow(RowFunction&& row);

    // Spans held at most (8 bytes each) before the caller resolves.
    static constexpr std::int64_t maxSpans = std::int64_t{1} << 22;
    struct Span {
        std::int32_t from, end;  // columns [from, end)
    };

    std::int32_t width_, height_;
    std::int64_t spans_ = 0;
    std::vector<std::vector<Span>> rows_;
    std::vector<std::int32_t> counts_;  // one row's differences, width + 1
    std::int32_t firstRow_, lastRow_;
    std::uint32_t source_ = 0;
    bool overClear_ = false;
    BlendFactor sourceFactor_ = BlendFactor::one, destinationFactor_ = BlendFactor::zero;
};

}  // namespace qelo::software
