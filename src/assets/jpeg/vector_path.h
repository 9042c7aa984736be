#pragma once
// Which vector instructions the decoder's inner loops use: AVX2 where the
// processor has it, otherwise SSE2 (every x86-64 has it). Every path gives
// the same bytes, the wider ones sooner. Tests lower the choice to prove
// that each path matches the plain rules.
#include <cstdint>

namespace qelo::jpeg {

enum class VectorPath : std::uint8_t { sse2, avx2 };

// The widest path this processor supports, within the current limit.
VectorPath vectorPath();

// Allows at most `widest` from now on (for every decode, in every thread);
// returns the previous limit.
VectorPath limitVectorPath(VectorPath widest);

}  // namespace qelo::jpeg

// Marks a function (and each helper it inlines) as compiled for AVX2, so the
// rest of the program keeps the x86-64 baseline. An attribute has no
// function or constant form, hence the macro. Never contracts into FMA: the
// flag -ffp-contract=off holds, and the target does not include FMA anyway.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define QELO_JPEG_AVX2 __attribute__((target("avx2")))
#define QELO_JPEG_HAS_AVX2 1
#endif
