// SPDX-License-Identifier: MIT
#include "DividerCeiling.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include <time.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Twelve chains, each feeding one root and two quotients per round with
// operands of the sizes a step sees (distances of a few units, small
// coefficients); the additions that keep the chains going use another unit.
constexpr int kChains = 12;
constexpr long kRounds = 20000;

#if defined(__x86_64__)
__attribute__((target("avx512f"))) double RoundsAvx512(long rounds, double start)
{
    __m512d a[kChains], s1[kChains], s2[kChains];
    const __m512d step = _mm512_set1_pd(1e-9);
    const __m512d attraction = _mm512_set1_pd(0.01);
    const __m512d repulsion = _mm512_set1_pd(0.003);
#pragma GCC unroll 16
    for (int c = 0; c < kChains; ++c) {
        a[c] = _mm512_set1_pd(start + c);
        s1[c] = s2[c] = _mm512_setzero_pd();
    }
    for (long r = 0; r < rounds; ++r) {
#pragma GCC unroll 16
        for (int c = 0; c < kChains; ++c) {
            a[c] = _mm512_add_pd(a[c], step);
            const __m512d root = _mm512_sqrt_pd(a[c]);
            s1[c] = _mm512_add_pd(s1[c], _mm512_div_pd(attraction, root));
            s2[c] = _mm512_add_pd(s2[c], _mm512_div_pd(repulsion, root));
        }
    }
    __m512d sum = _mm512_setzero_pd();
    for (int c = 0; c < kChains; ++c)
        sum = _mm512_add_pd(sum, _mm512_add_pd(s1[c], s2[c]));
    return _mm512_reduce_add_pd(sum);
}

__attribute__((target("avx2"))) double RoundsAvx2(long rounds, double start)
{
    __m256d a[kChains], s1[kChains], s2[kChains];
    const __m256d step = _mm256_set1_pd(1e-9);
    const __m256d attraction = _mm256_set1_pd(0.01);
    const __m256d repulsion = _mm256_set1_pd(0.003);
#pragma GCC unroll 16
    for (int c = 0; c < kChains; ++c) {
        a[c] = _mm256_set1_pd(start + c);
        s1[c] = s2[c] = _mm256_setzero_pd();
    }
    for (long r = 0; r < rounds; ++r) {
#pragma GCC unroll 16
        for (int c = 0; c < kChains; ++c) {
            a[c] = _mm256_add_pd(a[c], step);
            const __m256d root = _mm256_sqrt_pd(a[c]);
            s1[c] = _mm256_add_pd(s1[c], _mm256_div_pd(attraction, root));
            s2[c] = _mm256_add_pd(s2[c], _mm256_div_pd(repulsion, root));
        }
    }
    __m256d sum = _mm256_setzero_pd();
    for (int c = 0; c < kChains; ++c)
        sum = _mm256_add_pd(sum, _mm256_add_pd(s1[c], s2[c]));
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, sum);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}
#endif

// Read anew before every batch, so that the compiler cannot reuse the result
// of one batch (it depends only on its arguments) for the next.
volatile double g_start = 2.0;
volatile double g_sink;

} // namespace

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

namespace {

// The pairs per second of its own processor time that one thread reaches until `end`.
double RateUntil(StepKernel kernel, std::chrono::steady_clock::time_point end)
{
    const double start = ThreadSeconds();
    double pairs = 0.0;
    do {
#if defined(__x86_64__)
        if (kernel == StepKernel::Avx512) {
            g_sink = RoundsAvx512(kRounds, g_start);
            pairs += static_cast<double>(kRounds) * kChains * 8;
        } else {
            g_sink = RoundsAvx2(kRounds, g_start);
            pairs += static_cast<double>(kRounds) * kChains * 4;
        }
#endif
    } while (std::chrono::steady_clock::now() < end);
    return pairs / (ThreadSeconds() - start);
}

} // namespace

double DividerCeiling(StepKernel kernel, int threads, double seconds)
{
    if (kernel == StepKernel::Plain || !KernelSupported(kernel))
        return 0.0;
    threads = std::max(threads, 1);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    std::vector<double> rates(static_cast<std::size_t>(threads), 0.0);
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back([&rates, t, kernel, end] { rates[static_cast<std::size_t>(t)] = RateUntil(kernel, end); });
    rates[0] = RateUntil(kernel, end);
    for (std::thread& h : helpers)
        h.join();
    double total = 0.0;
    for (double r : rates)
        total += r;
    return total;
}
