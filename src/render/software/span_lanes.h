#pragma once
// How many pixels at a time the software renderer's vector paths take:
// eight (AVX2, where the processor has it), four (SSE2: every x86-64
// processor, and the browser build through WebAssembly SIMD) or one. Every
// width gives the same bytes; tests narrow the choice to compare each width
// with the one-pixel path.
namespace qelo::software {

enum class SpanLanes { one = 1, four = 4, eight = 8 };

// The widest the processor and the limit below allow.
SpanLanes spanLanes();

// The widest allowed from now on (by default eight).
void limitSpanLanes(SpanLanes widest);

}  // namespace qelo::software
