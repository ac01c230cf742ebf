// SPDX-License-Identifier: MIT
#pragma once

// The body of the vector pair-sum kernels, written once over a small set of
// vector operations (the traits class V) and included by each instruction-set
// file, which compiles it for its own target. Everything here is in an unnamed
// namespace so that no two targets ever share a compiled function.
//
// Rounding follows the literal loop exactly. Where the literal code rounds a
// double result of two floats to float (dx, dy, and every addition to Fy), a
// float operation gives the same value: a double carries more than twice a float's
// precision, so rounding twice cannot differ from rounding once. No multiply is
// fused with an addition.

#include "CpuRelax.h"
#include "ParticleRules.h"
#include "StepKernels.h"

#include <thread>

namespace {

// The pairs of one block of rows with the columns above it are taken along
// diagonals rather than as square tiles. The row lanes hold the block's particles in
// descending order (lane l holds row i0 + W - 1 - l), and step t pairs lane l
// with column t + l: a window of W consecutive columns that slides by one per
// step. Every row lane then meets its columns in ascending order, and every
// column meets the rows, lane W - 1 first, in ascending order too, so both sums
// take their terms in the literal order without any transpose: the column sums
// travel in a vector of their own that slides with the window, taking in the
// next column's sum at the top and giving back the finished one at lane 0.
template <class V>
struct RowLanes {
    typename V::F x; // reversed, as the lanes hold the rows
    typename V::F y;
    typename V::D yd; // y widened to double
};

// The running sums of a sweep: the row lanes' and the window's.
template <class V>
struct Sums {
    typename V::D rowFx;
    typename V::F rowFy;
    typename V::D colFx; // lane l: column t + l
    typename V::F colFy;
};

// The terms of step t, +0 in the lanes whose pair does not count. Every stage
// runs over all N steps before the next, so that the roots and divisions of one
// step overlap with the other's work.
template <class V, int N>
struct Terms {
    typename V::D ax[N]; // the x terms, rounded to float and widened back
    typename V::D rx[N];
    typename V::F ay[N];
    typename V::F ry[N];
};

// The first stage of N steps from t on: the differences and the distances.
template <class V, int N>
struct Distances {
    typename V::D dxd[N]; // dx, rounded to float and widened back
    typename V::D dy[N];  // dy, the same
    typename V::D r[N];
};

template <class V, int N>
inline void ComputeDistances(const PairSumJob& job, int t, const RowLanes<V>& s, Distances<V, N>& out)
{
    using D = typename V::D;
#pragma GCC unroll 8
    for (int k = 0; k < N; ++k) {
        const int j = t + k;
        out.dxd[k] = V::Widen(V::SubF(V::LoadF(job.x + j), s.x));
        const D dyd = V::SubD(V::LoadD(job.yd + j), s.yd);
        out.dy[k] = V::Widen(V::SubF(V::LoadF(job.y + j), s.y)); // dyd rounded to float
        // The y term multiplies the unrounded difference by its rounded value.
        out.r[k] = V::SqrtD(V::AddD(V::MulD(dyd, out.dy[k]), V::MulD(out.dxd[k], out.dxd[k])));
    }
}

// The second stage: the powers of the distance and the two quotients.
template <class V, int N>
struct Quotients {
    typename V::D dxd[N];
    typename V::D dy[N];
    typename V::D qa[N]; // attraction / r^4
    typename V::D qr[N]; // repulsion / r^6
    typename V::M valid[N]; // the distance is above the no-force one (false also for NaN)
};

template <class V, int N>
inline void ComputeQuotients(const PairSumJob& job, const Distances<V, N>& d, Quotients<V, N>& out)
{
    using D = typename V::D;
    const D attraction = V::SetD(job.attraction);
    const D repulsion = V::SetD(job.repulsion);
    const D minDistance = V::SetD(kMinPairDistance);
#pragma GCC unroll 8
    for (int k = 0; k < N; ++k) {
        out.valid[k] = V::Greater(d.r[k], minDistance);
        const D rs = V::Widen(V::Narrow(d.r[k]));
        const D r4 = V::Widen(V::Narrow(V::MulD(V::MulD(V::MulD(rs, rs), rs), rs)));
        out.qa[k] = V::DivD(attraction, r4);
        out.qr[k] = V::DivD(repulsion, V::MulD(V::MulD(r4, rs), rs));
        out.dxd[k] = d.dxd[k];
        out.dy[k] = d.dy[k];
    }
}

// The last stage: the four terms, +0 where the pair does not count.
template <class V, int N>
inline void ComputeTerms(const Quotients<V, N>& q, const typename V::M* lanes, Terms<V, N>& out)
{
#pragma GCC unroll 8
    for (int k = 0; k < N; ++k) {
        const typename V::M valid = V::And(q.valid[k], lanes[k]);
        out.ax[k] = V::Widen(V::NarrowOrZero(valid, V::MulD(q.dxd[k], q.qa[k])));
        out.ay[k] = V::NarrowOrZero(valid, V::MulD(q.dy[k], q.qa[k]));
        out.rx[k] = V::Widen(V::NarrowOrZero(valid, V::MulD(q.qr[k], q.dxd[k])));
        out.ry[k] = V::NarrowOrZero(valid, V::MulD(q.qr[k], q.dy[k]));
    }
}

// Step k's terms go into the sums: per pair the row adds the attraction before
// it subtracts the repulsion, and the column, whose terms are the negatives,
// subtracts before it adds.
template <class V, int N>
inline void AddTerms(const Terms<V, N>& terms, int k, Sums<V>& sums)
{
    sums.rowFx = V::SubD(V::AddD(sums.rowFx, terms.ax[k]), terms.rx[k]);
    sums.rowFy = V::SubF(V::AddF(sums.rowFy, terms.ay[k]), terms.ry[k]);
    sums.colFx = V::AddD(V::SubD(sums.colFx, terms.ax[k]), terms.rx[k]);
    sums.colFy = V::AddF(V::SubF(sums.colFy, terms.ay[k]), terms.ry[k]);
}

// After step t the column at lane 0 (column t) has every term of this row block:
// it goes back to memory, and the window moves on by one column.
template <class V>
inline void SlideWindow(const PairSumJob& job, int t, bool store, bool next, Sums<V>& sums)
{
    if (store) {
        V::StoreLowD(job.colFx + t, sums.colFx);
        V::StoreLowF(job.colFy + t, sums.colFy);
    }
    const int j = t + V::W;
    sums.colFx = V::ShiftInD(sums.colFx, next ? job.colFx[j] : 0.0);
    sums.colFy = V::ShiftInF(sums.colFy, next ? job.colFy[j] : 0.0f);
}

// How far ahead of a sweep the sweep of the block before it must be: the
// columns a group of steps takes in must hold that block's terms. A sweep that
// has to wait waits for kLead more steps, so that the two threads do not hand
// each other the same cache lines at every group.
constexpr int kLead = 32;

// Waits until the sweep of row block `row` - 1 has finished every step below
// `need` (or has ended), and returns how far it has got.
inline int WaitForRowAbove(const PairSumJob& job, int row, int need, int end)
{
    const int enough = need + kLead < end ? need + kLead : end;
    for (int spins = 0;; ++spins) {
        const int done = __atomic_load_n(&job.progress[row - 1].done, __ATOMIC_ACQUIRE);
        if (done >= enough || (spins == 0 && done >= need))
            return done;
        if (spins < 4000)
            CpuRelax();
        else
            std::this_thread::yield(); // the other thread is not running: give it the core
    }
}

// The sweep of row block `row` (rows i0 .. i0 + W - 1) through every column
// above its rows. Lane l meets its own column at step i0 + W - 1 - 2 l, where
// its column sum holds every row below it: the row sum starts from there. The
// sweep starts at the first step where lane W - 1 does and ends when lane 0
// has met the last column.
template <class V>
inline void RowSweep(const PairSumJob& job, int row)
{
    constexpr int W = V::W;
    constexpr int kSteps = V::kSteps;
    const int i0 = row * W;
    const int c1 = job.count;
    const int first = i0 - W + 1;
    const RowLanes<V> s{V::ReverseF(V::LoadF(job.x + i0)), V::ReverseF(V::LoadF(job.y + i0)),
                        V::ReverseD(V::LoadD(job.yd + i0))};
    // The sweep of the block above has finished every step below `known`.
    int known = row == 0 ? kRowsDone : -kRowsDone;
    auto waitFor = [&](int need) {
        if (need > known)
            known = WaitForRowAbove(job, row, need, c1);
    };
    Sums<V> sums;
    sums.rowFx = V::SetD(0.0); // replaced lane by lane before any term counts
    sums.rowFy = V::SetF(0.0f);
    waitFor(first + W);
    {
        alignas(64) double fx[W];
        alignas(64) float fy[W];
        for (int l = 0; l < W; ++l) {
            const int j = first + l;
            const bool in = j >= 0 && j < c1;
            fx[l] = in ? job.colFx[j] : 0.0;
            fy[l] = in ? job.colFy[j] : 0.0f;
        }
        sums.colFx = V::LoadD(fx);
        sums.colFy = V::LoadF(fy);
    }
    // From step `full` on every lane's pair lies above the diagonal; before step
    // `fullEnd` the window still takes in a column.
    const int full = i0 + W;
    const int fullEnd = c1 - W;
    // The lanes of step t whose pair counts (none once the sweep is over).
    auto lanesOf = [&](int t) {
        const int own = i0 + W - 1 - t; // twice the lane that meets its own column
        return V::LaneRange(own >= 0 ? own / 2 + 1 : 0, c1 - t);
    };
    typename V::M all[kSteps];
    for (int k = 0; k < kSteps; ++k)
        all[k] = V::AllLanes();
    // The steps go in groups of kSteps through three stages at once: while the
    // terms of one group go into the sums, the quotients of the next group and
    // the distances of the one after are under way, so that the divider always
    // has work queued. A group past the end computes steps that add nothing.
    int t = first;
    Quotients<V, kSteps> q;
    Distances<V, kSteps> d;
    ComputeDistances<V, kSteps>(job, t, s, d);
    ComputeQuotients<V, kSteps>(job, d, q);
    if (t + kSteps < c1)
        ComputeDistances<V, kSteps>(job, t + kSteps, s, d);
    for (;;) {
        const bool more = t + kSteps < c1;
        Quotients<V, kSteps> nextQ;
        if (more) {
            if (t + 2 * kSteps < c1) {
                Distances<V, kSteps> nextD;
                ComputeDistances<V, kSteps>(job, t + 2 * kSteps, s, nextD);
                ComputeQuotients<V, kSteps>(job, d, nextQ);
                d = nextD;
            } else {
                ComputeQuotients<V, kSteps>(job, d, nextQ);
            }
        }
        Terms<V, kSteps> terms;
        // The group takes in the columns up to t + kSteps - 1 + W.
        waitFor(t + kSteps + W);
        if (t >= full && t + kSteps <= fullEnd) {
            ComputeTerms<V, kSteps>(q, all, terms);
#pragma GCC unroll 8
            for (int k = 0; k < kSteps; ++k) {
                AddTerms<V, kSteps>(terms, k, sums);
                SlideWindow<V>(job, t + k, true, true, sums);
            }
        } else {
            typename V::M lanes[kSteps];
            for (int k = 0; k < kSteps; ++k)
                lanes[k] = lanesOf(t + k);
            ComputeTerms<V, kSteps>(q, lanes, terms);
            for (int k = 0; k < kSteps && t + k < c1; ++k) {
                const int u = t + k;
                AddTerms<V, kSteps>(terms, k, sums);
                const int own = i0 + W - 1 - u;
                if (own >= 0 && own % 2 == 0 && own / 2 < W) {
                    sums.rowFx = V::TakeLaneD(sums.rowFx, sums.colFx, own / 2);
                    sums.rowFy = V::TakeLaneF(sums.rowFy, sums.colFy, own / 2);
                }
                SlideWindow<V>(job, u, u >= 0, u + W < c1, sums);
            }
        }
        t += kSteps;
        if (!more)
            break;
        __atomic_store_n(&job.progress[row].done, t, __ATOMIC_RELEASE);
        q = nextQ;
    }
    V::StoreD(job.fx + i0, V::ReverseD(sums.rowFx));
    V::StoreF(job.fy + i0, V::ReverseF(sums.rowFy));
    __atomic_store_n(&job.progress[row].done, kRowsDone, __ATOMIC_RELEASE);
}

template <class V>
void PairSumRows(const PairSumJob& job)
{
    for (;;) {
        // A step that is abandoned stops between blocks: a block that was taken is
        // always finished, as the sweep of the block after it may be waiting for it.
        if (__atomic_load_n(job.stop, __ATOMIC_RELAXED) != 0)
            return;
        const int row = __atomic_fetch_add(job.nextRow, 1, __ATOMIC_RELAXED);
        if (row >= job.blocks)
            return;
        RowSweep<V>(job, row);
        job.rowsFinished(job.context, row * V::W, (row + 1) * V::W);
    }
}

} // namespace
