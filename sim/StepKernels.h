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
// A block of row particles meets the columns along diagonals (see RowSweep), so
// that rows and columns both take their terms in order without rearranging any
// vector.
//
// This header is included by the instruction-set files: it declares only plain
// data and functions, nothing inline that another file could share (the
// kernels leave RowProgress's atomics to the waits in StepWaits.cpp).

#include "Particle.h"

#include <atomic>

// How far the threads' sweep of one stripe of rows has got: the number of its
// tiles that are finished, their column sums stored. Alone in its cache line,
// so that the thread publishing it does not disturb the one sweeping the next
// stripe.
struct alignas(64) RowProgress {
    std::atomic<int> done;
    std::atomic<int> sleeping; // nonzero while the thread behind sleeps until `done` moves on
};

// The sweep of a block that is finished.
constexpr int kRowsDone = 0x7FFFFFFF;

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
    RowProgress* progress; // per stripe of rows (several threads only)
    int* nextRow;          // the next stripe no thread has taken (starts at 0)
    int* stop;             // nonzero: no thread takes another run or stripe (starts at 0)
    int blocks;            // padded count / block width
    int runBlocks;         // one thread: whole blocks it sweeps in one run through every column
    int tileRows;          // several threads: rows per stripe and columns per tile, a multiple of kWidestBlock; 0 for one thread
    int count;             // particles: the sweeps end at the last real column
    double attraction;
    double repulsion;
    // Called by the thread that finished a run of blocks, with its range of
    // particles [first, end) (end may lie in the padding): their sums are
    // final, so the particles can be finished at once.
    void (*rowsFinished)(void* context, int first, int end);
    void* context;
};

// The pair sums of the whole step. With job.tileRows 0, the calling thread
// alone sweeps runs of consecutive blocks of rows, lowest first. Otherwise every
// thread of the step calls it and takes stripes of rows, lowest first, until none
// is left; a stripe's sweep of each tile of columns waits until the stripe
// before it is done with that tile, so that every column sum receives its terms
// in ascending row order, and a stripe's row sums are final when its sweep ends.
void PairSumRowsAvx512(const PairSumJob& job); // blocks of 8
void PairSumRowsAvx2(const PairSumJob& job);   // blocks of 4
void PairSumRowsSimd128(const PairSumJob& job); // blocks of 4, WebAssembly SIMD

// Between the threads of a step (StepWaits.cpp, compiled for any CPU): a
// stripe's sweep publishes how far it has got with PublishRowProgress, and the
// sweep behind it waits with AwaitRowProgress until `need` tiles are done, and
// returns the progress then (at least `need`). The waiting thread polls for a
// short while, up to `enough` if it comes, and then sleeps until the next
// publication: a thread that is behind because it lost its core gets the core
// of the one waiting for it instead of sharing its own.
int AwaitRowProgress(RowProgress& progress, int need, int enough);
void PublishRowProgress(RowProgress& progress, int value);

// FinishParticle (ParticleRules.h) for particles first .. end - 1 of `cur` into
// `next`, from their finished sums, eight at a time where nothing is clamped and no
// particle meets a wall; the same floats.
void FinishParticlesAvx512(const Particle* cur, Particle* next, const double* fx, const float* fy, int first, int end,
                           double frictionFactor);

constexpr int kAvx512Block = 8;
constexpr int kAvx2Block = 4;
constexpr int kSimd128Block = 4;
constexpr int kWidestBlock = 8;
// The padding the kernels may read around the positions: a sweep starts up to a
// block before column 0 and reads up to two blocks past the padded count.
constexpr int kColumnsBefore = kWidestBlock;
constexpr int kColumnsAfter = 2 * kWidestBlock;
