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

void SweepTileAvx512(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, const void* ahead,
                  int groups)
{
    SweepTileAhead<Avx512>(job, first, last, c0, c1, diagonal, ahead, groups);
}

int TermsAheadAvx512(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, void* terms,
                  std::size_t bytes, bool (*goOn)(const void*), const void* context)
{
    return TermsAhead<Avx512>(job, first, last, c0, c1, diagonal, terms, bytes, goOn, context);
}

namespace {

// Eight particles are 40 floats: x, y, vx and vy of particle p are floats
// 5 p .. 5 p + 3 (5 p + 4 is the unused one, which is loaded with the others
// but never used, and never stored).
constexpr int kFields = sizeof(Particle) / sizeof(float);
static_assert(kFields == 5, "a particle is x, y, vx, vy and one unused float");

// The permutations between the 40 floats and the fields, made once per call.
struct GroupLayout {
    __m512i field[4];  // field f of particle p: float (5 p + f) mod 32 of floats 0 .. 31, or of 32 .. 39
    __m512i floats[3]; // floats 16 g .. 16 g + 15 from (x | y) and (vx | vy): p, 8 + p, 16 + p, 24 + p
    __mmask16 used[3]; // which of those floats belong to a field

    GroupLayout()
    {
        alignas(64) int index[16] = {};
        for (int f = 0; f < 4; ++f) {
            for (int p = 0; p < 8; ++p)
                index[p] = (kFields * p + f) % 32;
            field[f] = _mm512_loadu_si512(index);
        }
        for (int g = 0; g < 3; ++g) {
            unsigned mask = 0;
            for (int k = 0; k < 16; ++k) {
                const int at = 16 * g + k;
                const int p = at / kFields < 8 ? at / kFields : 7;
                const int f = at % kFields;
                index[k] = f == 4 ? 0 : 8 * f + p;
                if (f != 4 && at < 8 * kFields)
                    mask |= 1u << k;
            }
            floats[g] = _mm512_loadu_si512(index);
            used[g] = static_cast<__mmask16>(mask);
        }
    }

    // Field f of the particles from floats a (0 .. 15), b (16 .. 31) and c (32 .. 39).
    __m256 Field(__m512 a, __m512 b, __m256 c, int f) const
    {
        const __m512 low = _mm512_permutex2var_ps(a, field[f], b);
        const __m512 high = _mm512_permutexvar_ps(field[f], _mm512_castps256_ps512(c));
        // Particle 7's fields, and particle 6's vx and vy, lie in c.
        return _mm512_castps512_ps256(_mm512_mask_mov_ps(low, static_cast<__mmask16>(f >= 2 ? 0xC0 : 0x80), high));
    }
};

} // namespace

void FinishParticlesAvx512(const Particle* cur, Particle* next, const double* fx, const float* fy, int first, int end,
                           double frictionFactor)
{
    const GroupLayout layout;
    const __m512d friction = _mm512_set1_pd(frictionFactor);
    const __m512d maxSquare = _mm512_set1_pd(kMaxSpeed * kMaxSpeed);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 wall = _mm256_set1_ps(kWall);
    int i = first;
    for (; i + 8 <= end; i += 8) {
        const float* in = &cur[i].x;
        const __m512 a = _mm512_loadu_ps(in);
        const __m512 b = _mm512_loadu_ps(in + 16);
        const __m256 c = _mm256_loadu_ps(in + 32);
        // FinishParticle's steps for eight particles at once; a sum of two floats
        // rounded to double and then to float is their float sum.
        __m256 vx = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_loadu_pd(fx + i), _mm512_cvtps_pd(layout.Field(a, b, c, 2))));
        __m256 vy = _mm256_add_ps(_mm256_loadu_ps(fy + i), layout.Field(a, b, c, 3));
        vx = _mm512_cvtpd_ps(_mm512_mul_pd(friction, _mm512_cvtps_pd(vx)));
        vy = _mm512_cvtpd_ps(_mm512_mul_pd(friction, _mm512_cvtps_pd(vy)));
        const __m512d vxd = _mm512_cvtps_pd(vx);
        const __m512d vyd = _mm512_cvtps_pd(vy);
        const __m512d square = _mm512_add_pd(_mm512_mul_pd(vxd, vxd), _mm512_mul_pd(vyd, vyd));
        const __m256 nx = _mm256_add_ps(layout.Field(a, b, c, 0), vx);
        const __m256 ny = _mm256_add_ps(layout.Field(a, b, c, 1), vy);
        // Only where no velocity is clamped (a square of at most 0.25, which
        // also rules out infinities and NaN) and no particle meets a wall; any
        // other group takes the particles one by one.
        const __mmask8 plain = _mm512_cmp_pd_mask(square, maxSquare, _CMP_LE_OQ) &
                               _mm256_cmp_ps_mask(nx, zero, _CMP_GE_OQ) & _mm256_cmp_ps_mask(ny, zero, _CMP_GE_OQ) &
                               _mm256_cmp_ps_mask(nx, wall, _CMP_LE_OQ) & _mm256_cmp_ps_mask(ny, wall, _CMP_LE_OQ);
        if (plain != 0xFF) {
            for (int k = i; k < i + 8; ++k)
                FinishParticle(cur[k], next[k], fx[k], fy[k], frictionFactor);
            continue;
        }
        const __m512 positions = _mm512_insertf32x8(_mm512_castps256_ps512(nx), ny, 1);
        const __m512 velocities = _mm512_insertf32x8(_mm512_castps256_ps512(vx), vy, 1);
        float* out = &next[i].x;
        _mm512_mask_storeu_ps(out, layout.used[0], _mm512_permutex2var_ps(positions, layout.floats[0], velocities));
        _mm512_mask_storeu_ps(out + 16, layout.used[1], _mm512_permutex2var_ps(positions, layout.floats[1], velocities));
        _mm256_mask_storeu_ps(out + 32, static_cast<__mmask8>(layout.used[2]),
                              _mm512_castps512_ps256(_mm512_permutex2var_ps(positions, layout.floats[2], velocities)));
    }
    for (; i < end; ++i)
        FinishParticle(cur[i], next[i], fx[i], fy[i], frictionFactor);
}