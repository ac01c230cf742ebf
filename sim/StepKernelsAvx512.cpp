// SPDX-License-Identifier: MIT
// The pair-sum kernel for AVX-512 (F, DQ, VL): eight row particles per vector,
// doubles in zmm registers, their float terms in ymm halves. This file alone is
// compiled for that instruction set; it runs only after the CPU confirmed it.

#include "StepKernelsImpl.h"

#include <immintrin.h>

namespace {

struct Avx512 {
    static constexpr int W = kAvx512Block;
    using D = __m512d; // eight doubles, one per row particle
    using F = __m256;  // eight floats
    using P = __m512;  // two float vectors: x terms low, y terms high
    using M = __mmask8;

    static F LoadF(const float* p) { return _mm256_loadu_ps(p); }
    static void StoreF(float* p, F v) { _mm256_storeu_ps(p, v); }
    static D LoadD(const double* p) { return _mm512_loadu_pd(p); }
    static void StoreD(double* p, D v) { _mm512_storeu_pd(p, v); }
    static F SetF(float v) { return _mm256_set1_ps(v); }
    static D SetD(double v) { return _mm512_set1_pd(v); }
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
    static M LanesBelow(int c) { return static_cast<M>((1u << c) - 1u); }
    static P Join(F low, F high) { return _mm512_insertf32x8(_mm512_castps256_ps512(low), high, 1); }
    static F Low(P v) { return _mm512_castps512_ps256(v); }
    static F High(P v) { return _mm512_extractf32x8_ps(v, 1); }
    static P AddP(P a, P b) { return _mm512_add_ps(a, b); }
    static P SubP(P a, P b) { return _mm512_sub_ps(a, b); }

    // Transposes both 8x8 float matrices at once: the low halves of the eight
    // vectors form one matrix, the high halves the other.
    static void Transpose(P* v)
    {
        P t[W], s[W];
        for (int k = 0; k < W; k += 2) {
            t[k] = _mm512_unpacklo_ps(v[k], v[k + 1]);
            t[k + 1] = _mm512_unpackhi_ps(v[k], v[k + 1]);
        }
        for (int k = 0; k < W; k += 4) {
            s[k] = _mm512_shuffle_ps(t[k], t[k + 2], 0x44);
            s[k + 1] = _mm512_shuffle_ps(t[k], t[k + 2], 0xEE);
            s[k + 2] = _mm512_shuffle_ps(t[k + 1], t[k + 3], 0x44);
            s[k + 3] = _mm512_shuffle_ps(t[k + 1], t[k + 3], 0xEE);
        }
        // Within each half: the low 128 bits of s[k] and s[k + 4] make row k, the
        // high 128 bits row k + 4.
        const __m512i lowQuarters = _mm512_setr_epi32(0, 1, 2, 3, 16, 17, 18, 19, 8, 9, 10, 11, 24, 25, 26, 27);
        const __m512i highQuarters = _mm512_setr_epi32(4, 5, 6, 7, 20, 21, 22, 23, 12, 13, 14, 15, 28, 29, 30, 31);
        for (int k = 0; k < 4; ++k) {
            v[k] = _mm512_permutex2var_ps(s[k], lowQuarters, s[k + 4]);
            v[k + 4] = _mm512_permutex2var_ps(s[k], highQuarters, s[k + 4]);
        }
    }
};

} // namespace

void PairSumRowsAvx512(const PairSumJob& job)
{
    PairSumRows<Avx512>(job);
}
