// SPDX-License-Identifier: MIT
// The pair-sum kernel for AVX2: four row particles per vector, doubles in ymm
// registers, their float terms in xmm halves. This file alone is compiled for
// that instruction set; it runs only after the CPU confirmed it.

#include "StepKernelsImpl.h"

#include <immintrin.h>

namespace {

struct Avx2 {
    static constexpr int W = kAvx2Block;
    using D = __m256d; // four doubles, one per row particle
    using F = __m128;  // four floats
    using P = __m256;  // two float vectors: x terms low, y terms high
    using M = __m256d; // all ones in the lanes that count

    static F LoadF(const float* p) { return _mm_loadu_ps(p); }
    static void StoreF(float* p, F v) { _mm_storeu_ps(p, v); }
    static D LoadD(const double* p) { return _mm256_loadu_pd(p); }
    static void StoreD(double* p, D v) { _mm256_storeu_pd(p, v); }
    static F SetF(float v) { return _mm_set1_ps(v); }
    static D SetD(double v) { return _mm256_set1_pd(v); }
    static F SubF(F a, F b) { return _mm_sub_ps(a, b); }
    static D AddD(D a, D b) { return _mm256_add_pd(a, b); }
    static D SubD(D a, D b) { return _mm256_sub_pd(a, b); }
    static D MulD(D a, D b) { return _mm256_mul_pd(a, b); }
    static D DivD(D a, D b) { return _mm256_div_pd(a, b); }
    static D SqrtD(D a) { return _mm256_sqrt_pd(a); }
    static D Widen(F v) { return _mm256_cvtps_pd(v); }
    static F Narrow(D v) { return _mm256_cvtpd_ps(v); }
    // A cleared lane converts to +0.
    static F NarrowOrZero(M keep, D v) { return _mm256_cvtpd_ps(_mm256_and_pd(keep, v)); }
    static M Greater(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    static M And(M a, M b) { return _mm256_and_pd(a, b); }
    static M LanesBelow(int c)
    {
        const __m256i lanes = _mm256_setr_epi64x(0, 1, 2, 3);
        return _mm256_castsi256_pd(_mm256_cmpgt_epi64(_mm256_set1_epi64x(c), lanes));
    }
    static P Join(F low, F high) { return _mm256_set_m128(high, low); }
    static F Low(P v) { return _mm256_castps256_ps128(v); }
    static F High(P v) { return _mm256_extractf128_ps(v, 1); }
    static P AddP(P a, P b) { return _mm256_add_ps(a, b); }
    static P SubP(P a, P b) { return _mm256_sub_ps(a, b); }

    // Transposes both 4x4 float matrices at once: every step stays within its
    // 128-bit half.
    static void Transpose(P* v)
    {
        const P t0 = _mm256_unpacklo_ps(v[0], v[1]);
        const P t1 = _mm256_unpackhi_ps(v[0], v[1]);
        const P t2 = _mm256_unpacklo_ps(v[2], v[3]);
        const P t3 = _mm256_unpackhi_ps(v[2], v[3]);
        v[0] = _mm256_shuffle_ps(t0, t2, 0x44);
        v[1] = _mm256_shuffle_ps(t0, t2, 0xEE);
        v[2] = _mm256_shuffle_ps(t1, t3, 0x44);
        v[3] = _mm256_shuffle_ps(t1, t3, 0xEE);
    }
};

} // namespace

void PairSumRowsAvx2(const PairSumJob& job)
{
    PairSumRows<Avx2>(job);
}
