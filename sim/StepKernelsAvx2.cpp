// SPDX-License-Identifier: MIT
// The pair-sum kernel for AVX2: four row particles per vector, doubles in ymm
// registers, their float terms in xmm halves. This file alone is compiled for
// that instruction set; it runs only after the CPU confirmed it.

#include "StepKernelsImpl.h"

#include <immintrin.h>

namespace {

struct Avx2 {
    // Steps per group of the sweep (measured: one and three are slower).
    static constexpr int kSteps = 2;
    static constexpr int W = kAvx2Block;
    using D = __m256d; // four doubles, one per row particle
    using F = __m128;  // four floats
    using M = __m256d; // all ones in the lanes that count

    static F LoadF(const float* p) { return _mm_loadu_ps(p); }
    static void StoreF(float* p, F v) { _mm_storeu_ps(p, v); }
    static D LoadD(const double* p) { return _mm256_loadu_pd(p); }
    static void StoreD(double* p, D v) { _mm256_storeu_pd(p, v); }
    static void StoreLowF(float* p, F v) { _mm_store_ss(p, v); }
    static void StoreLowD(double* p, D v) { _mm_store_sd(p, _mm256_castpd256_pd128(v)); }
    static F SetF(float v) { return _mm_set1_ps(v); }
    static D SetD(double v) { return _mm256_set1_pd(v); }
    static F AddF(F a, F b) { return _mm_add_ps(a, b); }
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
    static M Or(M a, M b) { return _mm256_or_pd(a, b); }
    static M AllLanes() { return _mm256_castsi256_pd(_mm256_set1_epi64x(-1)); }
    // The lanes l with low <= l < high.
    static M LaneRange(int low, int high)
    {
        const __m256i lanes = _mm256_setr_epi64x(0, 1, 2, 3);
        const __m256i belowHigh = _mm256_cmpgt_epi64(_mm256_set1_epi64x(high), lanes);
        const __m256i belowLow = _mm256_cmpgt_epi64(_mm256_set1_epi64x(low), lanes);
        return _mm256_castsi256_pd(_mm256_andnot_si256(belowLow, belowHigh));
    }
    // a, with b in the lanes of m.
    static F BlendF(F a, M m, F b)
    {
        // The low halves of m's lanes, which are all ones or all zeros like the lanes.
        const __m256 halves = _mm256_permutevar8x32_ps(_mm256_castpd_ps(m), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6));
        return _mm_blendv_ps(a, b, _mm256_castps256_ps128(halves));
    }
    static D BlendD(D a, M m, D b) { return _mm256_blendv_pd(a, b, m); }
    static D TakeLaneD(D to, D from, int lane) { return _mm256_blendv_pd(to, from, LaneRange(lane, lane + 1)); }
    static F TakeLaneF(F to, F from, int lane)
    {
        const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
        return _mm_blendv_ps(to, from, _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_set1_epi32(lane), lanes)));
    }
    // Lanes 1 .. W - 1 move down by one, v comes in at the top.
    static D ShiftInD(D v, double top)
    {
        return _mm256_blend_pd(_mm256_permute4x64_pd(v, _MM_SHUFFLE(0, 3, 2, 1)), _mm256_set1_pd(top), 0x8);
    }
    static F ShiftInF(F v, float top)
    {
        return _mm_castsi128_ps(_mm_alignr_epi8(_mm_castps_si128(_mm_set1_ps(top)), _mm_castps_si128(v), 4));
    }
    static D ReverseD(D v) { return _mm256_permute4x64_pd(v, _MM_SHUFFLE(0, 1, 2, 3)); }
    static F ReverseF(F v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3)); }
};

} // namespace

void PairSumRowsAvx2(const PairSumJob& job)
{
    PairSumRows<Avx2>(job);
}

void SweepTileAvx2(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, const void* ahead,
                  int groups)
{
    SweepTileAhead<Avx2>(job, first, last, c0, c1, diagonal, ahead, groups);
}

int TermsAheadAvx2(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, void* terms,
                  std::size_t bytes, bool (*goOn)(const void*), const void* context)
{
    return TermsAhead<Avx2>(job, first, last, c0, c1, diagonal, terms, bytes, goOn, context);
}
