#pragma once
// SSE2 in the browser build: emscripten's own <emmintrin.h>, except the two
// float-to-int conversions, which emscripten 3.1.6 does one lane at a time
// through lrint (a third of a frame's time in the layer compositing). Here
// they take four lanes at once with x86's results: rounding to nearest even
// (cvtps; the default rounding mode) or towards zero (cvttps), and
// 0x80000000 for NaN and values outside the int32 range. The web build puts
// this folder before the system headers; the renaming below is the only way
// to replace functions that header defines.
#define _mm_cvtps_epi32 qelo_emscripten_cvtps_epi32
#define _mm_cvttps_epi32 qelo_emscripten_cvttps_epi32
#include_next <emmintrin.h>
#undef _mm_cvtps_epi32
#undef _mm_cvttps_epi32

#include <wasm_simd128.h>

static inline __m128i _mm_cvttps_epi32(__m128 a)
{
    // False for NaN too.
    const v128_t inRange = wasm_f32x4_lt(wasm_f32x4_abs((v128_t)a), wasm_f32x4_splat(2147483648.0f));
    return (__m128i)wasm_v128_bitselect(wasm_i32x4_trunc_sat_f32x4((v128_t)a), wasm_i32x4_splat(INT32_MIN), inRange);
}

static inline __m128i _mm_cvtps_epi32(__m128 a) { return _mm_cvttps_epi32((__m128)wasm_f32x4_nearest((v128_t)a)); }
