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
// threads' bookkeeping is TileBoard's).

#include "Particle.h"

#include <cstddef>

// A step number past the end of any sweep.
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
    int* stop;             // nonzero: no thread takes another run or tile (starts at 0)
    int blocks;            // padded count / block width
    int runBlocks;         // whole blocks one thread sweeps in one run through every column
    int count;             // particles: the sweeps end at the last real column
    double attraction;
    double repulsion;
    // Called by the thread that finished a run of blocks, with its range of
    // particles [first, end) (end may lie in the padding): their sums are
    // final, so the particles can be finished at once.
    void (*rowsFinished)(void* context, int first, int end, const double* fx, const float* fy);
    void* context;
};

// The pair sums of the whole step on the calling thread: runs of consecutive
// blocks of rows, lowest first, each through every column above its rows, so
// that every column sum receives its terms in ascending row order, and a run's
// row sums are final when its sweep ends.
void PairSumRowsAvx512(const PairSumJob& job); // blocks of 8
void PairSumRowsAvx2(const PairSumJob& job);   // blocks of 4
void PairSumRowsSimd128(const PairSumJob& job); // blocks of 4, WebAssembly SIMD

// One tile of the threads' step (TileBoard.h): the pairs of row blocks first ..
// last - 1 with columns c0 .. c1 - 1, along the diagonal (c0 the first row) or
// beside it (c0 past the last row, the row sums going on from job.fx and
// job.fy); the column sums of the tile's columns must hold every row above
// `first`. The results are in job.colFx, colFy, fx and fy. The first `groups`
// groups of steps take their terms from `ahead` (null for none), as TermsAhead
// for the same tile computed them.
void SweepTileAvx512(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, const void* ahead,
                     int groups);
void SweepTileAvx2(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, const void* ahead,
                   int groups);
void SweepTileSimd128(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, const void* ahead,
                      int groups);

// The terms of the same tile's first groups of steps, from the positions alone,
// for a thread that waits for the tile's sums: into `bytes` of `terms` (aligned
// to 64), until goOn(context) is false (asked every few groups) or there is no
// more room. Returns the groups computed.
int TermsAheadAvx512(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, void* terms,
                     std::size_t bytes, bool (*goOn)(const void*), const void* context);
int TermsAheadAvx2(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, void* terms,
                   std::size_t bytes, bool (*goOn)(const void*), const void* context);
int TermsAheadSimd128(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, void* terms,
                      std::size_t bytes, bool (*goOn)(const void*), const void* context);

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
