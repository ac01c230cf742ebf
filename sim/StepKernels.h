// SPDX-License-Identifier: MIT
#pragma once

// The vector kernels of the fast step. Each one computes, for blocks of
// particles, the same two force sums as PairSums: Fx in double and Fy in single
// precision, each in ascending index order, rounded exactly as the literal loop
// rounds them. They are compiled for their instruction set in files of their own
// and only ever called after the CPU was found to support it.
//
// Every unordered pair is evaluated once: the force on j from i is the exact
// negative of the force on i from j (the differences change sign exactly, the
// distance and its powers are the same), so one evaluation feeds both sums. A
// particle's sum receives the pairs with lower indices as "column" terms, from
// the rows above it, before its own row adds the pairs with higher indices.
// A block of row particles meets the columns along diagonals (see
// RowThroughColumns), so that rows and columns both take their terms in order
// without rearranging any vector.
//
// This header is included by the instruction-set files: it declares only plain
// data and functions, nothing inline that another file could share.

// The progress of one band of rows, alone in its cache line so that the thread
// working on a band does not disturb the other's.
struct alignas(64) BandState {
    int done;    // squares finished (the first square of band b is square b)
    int claimed; // the next square no thread has taken yet
};

// The most bands a step with several threads uses.
constexpr int kMaxBands = 16;

// One step's pair sums, shared by every thread that works on it.
struct PairSumJob {
    // Positions, padded to whole blocks, with kColumnsBefore more before index 0
    // and kColumnsAfter more after the padded count; padding is NaN and pairs with nothing.
    const float* x;
    const float* y;
    const double* yd; // the same y, widened to double
    double* colFx;    // per particle, the running sums of its column terms (start at +0)
    float* colFy;
    double* fx;       // per particle, the finished sums
    float* fy;
    BandState* bandState; // per band of rows (kMaxBands of them)
    int* finishedBands;   // bands whose last square is done
    int blocks;       // padded count / block width
    int band;         // blocks per band (the unit of hand-over between threads)
    double attraction;
    double repulsion;
    int threads;      // threads sharing the rows
    // Called by the thread that finished a band of rows, with the range of
    // particles [first, end) of that band (end may lie in the padding): their
    // sums are final, so the particles can be finished at once.
    void (*bandFinished)(void* context, int first, int end);
    void* context;
};

// Works through band-sized squares of pairs until none is left; every thread of
// the step calls it. A square starts only after the band above has finished the
// same band of columns, so that every column sum still receives its terms in
// ascending order; the row sums pass from square to square through fx and fy.
// Each sweep of a block of rows through a square computes up to two blocks of
// pairs outside it (they add nothing), so fewer, larger squares waste less.
void PairSumRowsAvx512(const PairSumJob& job); // blocks of 8
void PairSumRowsAvx2(const PairSumJob& job);   // blocks of 4

constexpr int kAvx512Block = 8;
constexpr int kAvx2Block = 4;
constexpr int kWidestBlock = 8;
// The padding the kernels may read around the positions: a sweep starts up to a
// block before its first column and reads up to two blocks past its last.
constexpr int kColumnsBefore = kWidestBlock;
constexpr int kColumnsAfter = 2 * kWidestBlock;
