// SPDX-License-Identifier: MIT
// The pair-sum kernel for AVX-512 (F, DQ, VL): eight row particles per vector,
// doubles in zmm registers, floats in ymm registers. This file alone is
// compiled for that instruction set; it runs only after the CPU confirmed it.

#include "StepKernelsImpl.h"

#include <algorithm>

#include <immintrin.h>

namespace {

struct Avx512 {
    // Steps per group of the sweep: the three stages of groups of two keep to
    // the 32 registers (groups of four spill and are slower).
    static constexpr int kSteps = 2;
    static constexpr int W = kAvx512Block;
    using D = __m512d; // eight doubles, one per row particle
    using F = __m256;  // eight floats
    using M = __mmask8;

    static F LoadF(const float* p) { return _mm256_loadu_ps(p); }
    static void StoreF(float* p, F v) { _mm256_storeu_ps(p, v); }
    static D LoadD(const double* p) { return _mm512_loadu_pd(p); }
    static void StoreD(double* p, D v) { _mm512_storeu_pd(p, v); }
    static void StoreLowF(float* p, F v) { _mm_store_ss(p, _mm256_castps256_ps128(v)); }
    static void StoreLowD(double* p, D v) { _mm_store_sd(p, _mm512_castpd512_pd128(v)); }
    static F SetF(float v) { return _mm256_set1_ps(v); }
    static D SetD(double v) { return _mm512_set1_pd(v); }
    static F AddF(F a, F b) { return _mm256_add_ps(a, b); }
    static F SubF(F a, F b) { return _mm256_sub_ps(a, b); }
    static D AddD(D a, D b) { return _mm512_add_pd(a, b); }
    static D SubD(D a, D b) { return _mm512_sub_pd(a, b); }
    static D MulD(D a, D b) { return _mm512_mul_pd(a, b); }
    static D DivD(D a, D b) { return _mm512_div_pd(a, b); }
    static D SqrtD(D a) { return _mm512_sqrt_pd(a); }
    static D Widen(F v) { return _mm512_cvtps_pd(v); }
    static F Narrow(D v) { return _mm512_cvtpd_ps(v); }
    static F NarrowOrZero(M keep, D v) { return _mm512_maskz_cvtpd_ps(keep, v); }
    static M Greater(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    static M And(M a, M b) { return static_cast<M>(a & b); }
    static M Or(M a, M b) { return static_cast<M>(a | b); }
    static M AllLanes() { return static_cast<M>(0xFF); }
    // The lanes l with low <= l < high.
    static M LaneRange(int low, int high)
    {
        const unsigned lo = static_cast<unsigned>(std::clamp(low, 0, W));
        const unsigned hi = static_cast<unsigned>(std::clamp(high, 0, W));
        return static_cast<M>(((1u << hi) - 1u) & ~((1u << lo) - 1u));
    }
    // a, with b in the lanes of m.
    static F BlendF(F a, M m, F b) { return _mm256_mask_mov_ps(a, m, b); }
    static D BlendD(D a, M m, D b) { return _mm512_mask_mov_pd(a, m, b); }
    static D TakeLaneD(D to, D from, int lane) { return _mm512_mask_mov_pd(to, static_cast<M>(1u << lane), from); }
    static F TakeLaneF(F to, F from, int lane) { return _mm256_mask_mov_ps(to, static_cast<M>(1u << lane), from); }
    // Lanes 1 .. W - 1 move down by one, v comes in at the top.
    static D ShiftInD(D v, double top)
    {
        return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(_mm512_set1_pd(top)), _mm512_castpd_si512(v), 1));
    }
    static F ShiftInF(F v, float top)
    {
        return _mm256_castsi256_ps(_mm256_alignr_epi32(_mm256_castps_si256(_mm256_set1_ps(top)), _mm256_castps_si256(v), 1));
    }
    static D ReverseD(D v) { return _mm512_permutexvar_pd(_mm512_setr_epi64(7, 6, 5, 4, 3, 2, 1, 0), v); }
    static F ReverseF(F v) { return _mm256_permutexvar_ps(_mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0), v); }
};

} // namespace

void PairSumRowsAvx512(const PairSumJob& job)
{
    PairSumRows<Avx512>(job);
}
