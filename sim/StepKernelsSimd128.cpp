// SPDX-License-Identifier: MIT
// The pair-sum kernel for WebAssembly's 128-bit SIMD: four row particles per
// vector, as in the AVX2 kernel, their doubles in two f64x2 halves (lanes 0-1 and
// 2-3) and their floats in one f32x4. Only the SIMD build of the browser's module
// compiles this file; a browser without SIMD gets the build without it.

#include "StepKernelsImpl.h"

#include <wasm_simd128.h>

namespace {

// Four doubles, or four lanes of all ones or all zeros: lanes 0 and 1 in lo.
struct Pair {
    v128_t lo;
    v128_t hi;
};

template <class Op>
inline Pair Each(Pair a, Pair b, Op op)
{
    return {op(a.lo, b.lo), op(a.hi, b.hi)};
}

struct Simd128 {
    static constexpr int kSteps = 2;
    static constexpr int W = kSimd128Block;
    using D = Pair;
    using F = v128_t;
    using M = Pair;

    static F LoadF(const float* p) { return wasm_v128_load(p); }
    static void StoreF(float* p, F v) { wasm_v128_store(p, v); }
    static D LoadD(const double* p) { return {wasm_v128_load(p), wasm_v128_load(p + 2)}; }
    static void StoreD(double* p, D v)
    {
        wasm_v128_store(p, v.lo);
        wasm_v128_store(p + 2, v.hi);
    }
    static void StoreLowF(float* p, F v) { *p = wasm_f32x4_extract_lane(v, 0); }
    static void StoreLowD(double* p, D v) { *p = wasm_f64x2_extract_lane(v.lo, 0); }
    static F SetF(float v) { return wasm_f32x4_splat(v); }
    static D SetD(double v) { return {wasm_f64x2_splat(v), wasm_f64x2_splat(v)}; }
    static F AddF(F a, F b) { return wasm_f32x4_add(a, b); }
    static F SubF(F a, F b) { return wasm_f32x4_sub(a, b); }
    static D AddD(D a, D b) { return Each(a, b, [](v128_t x, v128_t y) { return wasm_f64x2_add(x, y); }); }
    static D SubD(D a, D b) { return Each(a, b, [](v128_t x, v128_t y) { return wasm_f64x2_sub(x, y); }); }
    static D MulD(D a, D b) { return Each(a, b, [](v128_t x, v128_t y) { return wasm_f64x2_mul(x, y); }); }
    static D DivD(D a, D b) { return Each(a, b, [](v128_t x, v128_t y) { return wasm_f64x2_div(x, y); }); }
    static D SqrtD(D a) { return {wasm_f64x2_sqrt(a.lo), wasm_f64x2_sqrt(a.hi)}; }
    static D Widen(F v)
    {
        return {wasm_f64x2_promote_low_f32x4(v), wasm_f64x2_promote_low_f32x4(wasm_i32x4_shuffle(v, v, 2, 3, 2, 3))};
    }
    static F Narrow(D v)
    {
        return wasm_i32x4_shuffle(wasm_f32x4_demote_f64x2_zero(v.lo), wasm_f32x4_demote_f64x2_zero(v.hi), 0, 1, 4, 5);
    }
    // A cleared lane converts to +0.
    static F NarrowOrZero(M keep, D v) { return Narrow(And(keep, v)); }
    static M Greater(D a, D b) { return Each(a, b, [](v128_t x, v128_t y) { return wasm_f64x2_gt(x, y); }); }
    static M And(M a, M b) { return Each(a, b, [](v128_t x, v128_t y) { return wasm_v128_and(x, y); }); }
    static M Or(M a, M b) { return Each(a, b, [](v128_t x, v128_t y) { return wasm_v128_or(x, y); }); }
    static M AllLanes() { return {wasm_i64x2_splat(-1), wasm_i64x2_splat(-1)}; }
    // The lanes l with low <= l < high.
    static M LaneRange(int low, int high)
    {
        const auto range = [low, high](v128_t lanes) {
            return wasm_v128_andnot(wasm_i64x2_gt(wasm_i64x2_splat(high), lanes),
                                    wasm_i64x2_gt(wasm_i64x2_splat(low), lanes));
        };
        return {range(wasm_i64x2_make(0, 1)), range(wasm_i64x2_make(2, 3))};
    }
    // a, with b in the lanes of m.
    static F BlendF(F a, M m, F b)
    {
        // The low halves of m's lanes, which are all ones or all zeros like the lanes.
        return wasm_v128_bitselect(b, a, wasm_i32x4_shuffle(m.lo, m.hi, 0, 2, 4, 6));
    }
    static D BlendD(D a, M m, D b) { return {wasm_v128_bitselect(b.lo, a.lo, m.lo), wasm_v128_bitselect(b.hi, a.hi, m.hi)}; }
    static D TakeLaneD(D to, D from, int lane) { return BlendD(to, LaneRange(lane, lane + 1), from); }
    static F TakeLaneF(F to, F from, int lane)
    {
        return wasm_v128_bitselect(from, to, wasm_i32x4_eq(wasm_i32x4_splat(lane), wasm_i32x4_make(0, 1, 2, 3)));
    }
    // Lanes 1 .. W - 1 move down by one, v comes in at the top.
    static D ShiftInD(D v, double top)
    {
        return {wasm_i64x2_shuffle(v.lo, v.hi, 1, 2), wasm_i64x2_shuffle(v.hi, wasm_f64x2_splat(top), 1, 2)};
    }
    static F ShiftInF(F v, float top) { return wasm_i32x4_shuffle(v, wasm_f32x4_splat(top), 1, 2, 3, 4); }
    static D ReverseD(D v) { return {wasm_i64x2_shuffle(v.hi, v.hi, 1, 0), wasm_i64x2_shuffle(v.lo, v.lo, 1, 0)}; }
    static F ReverseF(F v) { return wasm_i32x4_shuffle(v, v, 3, 2, 1, 0); }
};

} // namespace

void PairSumRowsSimd128(const PairSumJob& job)
{
    PairSumRows<Simd128>(job);
}

void SweepTileSimd128(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, const void* ahead,
                  int groups)
{
    SweepTileAhead<Simd128>(job, first, last, c0, c1, diagonal, ahead, groups);
}

int TermsAheadSimd128(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, void* terms,
                  std::size_t bytes, bool (*goOn)(const void*), const void* context)
{
    return TermsAhead<Simd128>(job, first, last, c0, c1, diagonal, terms, bytes, goOn, context);
}
