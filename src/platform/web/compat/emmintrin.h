#pragma once
// SSE2 in the browser build: emscripten's own <emmintrin.h>, except
// - three float-to-int conversions, which emscripten 3.1.6 does one lane at
//   a time through lrint (a third of a frame's time in the layer
//   compositing). Here they take all lanes at once with x86's results:
//   rounding to nearest even (cvtps; the default rounding mode) or towards
//   zero (cvttps, cvttpd), and 0x80000000 for NaN and values outside the
//   int32 range;
// - min and max of floats and doubles, which emscripten builds from a
//   compare and a select: here WebAssembly's pseudo-min and pseudo-max,
//   which V8 makes one instruction each and which give x86's results
//   exactly (a < b ? a : b and a > b ? a : b, NaN and signed zeros alike).
// The web build puts this folder before the system headers (<xmmintrin.h>,
// which defines the float min and max, comes in through <emmintrin.h>); the
// renaming below is the only way to replace functions those headers define.
#define _mm_cvtps_epi32 qelo_emscripten_cvtps_epi32
#define _mm_cvttps_epi32 qelo_emscripten_cvttps_epi32
#define _mm_cvttpd_epi32 qelo_emscripten_cvttpd_epi32
#define _mm_min_ps qelo_emscripten_min_ps
#define _mm_max_ps qelo_emscripten_max_ps
#define _mm_min_pd qelo_emscripten_min_pd
#define _mm_max_pd qelo_emscripten_max_pd
#include_next <emmintrin.h>
#undef _mm_cvtps_epi32
#undef _mm_cvttps_epi32
#undef _mm_cvttpd_epi32
#undef _mm_min_ps
#undef _mm_max_ps
#undef _mm_min_pd
#undef _mm_max_pd

#include <wasm_simd128.h>

// pmin(b, a) is a < b ? a : b; pmax(b, a) is b < a ? a : b.
static inline __m128 _mm_min_ps(__m128 a, __m128 b) { return (__m128)wasm_f32x4_pmin((v128_t)b, (v128_t)a); }
static inline __m128 _mm_max_ps(__m128 a, __m128 b) { return (__m128)wasm_f32x4_pmax((v128_t)b, (v128_t)a); }
static inline __m128d _mm_min_pd(__m128d a, __m128d b) { return (__m128d)wasm_f64x2_pmin((v128_t)b, (v128_t)a); }
static inline __m128d _mm_max_pd(__m128d a, __m128d b) { return (__m128d)wasm_f64x2_pmax((v128_t)b, (v128_t)a); }

static inline __m128i _mm_cvttps_epi32(__m128 a)
{
    // False for NaN too.
    const v128_t inRange = wasm_f32x4_lt(wasm_f32x4_abs((v128_t)a), wasm_f32x4_splat(2147483648.0f));
    return (__m128i)wasm_v128_bitselect(wasm_i32x4_trunc_sat_f32x4((v128_t)a), wasm_i32x4_splat(INT32_MIN), inRange);
}

static inline __m128i _mm_cvtps_epi32(__m128 a) { return _mm_cvttps_epi32((__m128)wasm_f32x4_nearest((v128_t)a)); }

// Two doubles truncated into the low lanes, zeros above.
static inline __m128i _mm_cvttpd_epi32(__m128d a)
{
    // Truncation fits int32 strictly between -2^31 - 1 and 2^31; false for NaN too.
    const v128_t inRange = wasm_v128_and(wasm_f64x2_gt((v128_t)a, wasm_f64x2_splat(-2147483649.0)),
                                         wasm_f64x2_lt((v128_t)a, wasm_f64x2_splat(2147483648.0)));
    const v128_t lowLanes = wasm_i32x4_shuffle(inRange, wasm_i32x4_splat(0), 0, 2, 4, 4);
    return (__m128i)wasm_v128_bitselect(wasm_i32x4_trunc_sat_f64x2_zero((v128_t)a),
                                        wasm_i32x4_make(INT32_MIN, INT32_MIN, 0, 0), lowLanes);
}
