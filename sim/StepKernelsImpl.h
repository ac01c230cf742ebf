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

#include "ParticleRules.h"
#include "StepKernels.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>

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

// Where the steps of a sweep take their rows and columns. The sweep of a run of
// consecutive blocks goes on from one block into the next without starting
// over: once lane l has met the last column of its block, it takes the next
// block's row l and meets that block's columns, which trail the current ones by
// `shift` columns, while the lower lanes still finish the current block.
template <class V>
struct Rows {
    RowLanes<V> cur;
    RowLanes<V> next; // the next block of the run, if there is one
    int mixFrom;      // the first step with a lane in the next block (none: past every step)
    int shift;        // a next-block lane of step t meets column t - shift + l
    int count;
};

template <class V>
inline RowLanes<V> LoadRowLanes(const PairSumJob& job, int i0)
{
    return {V::ReverseF(V::LoadF(job.x + i0)), V::ReverseF(V::LoadF(job.y + i0)), V::ReverseD(V::LoadD(job.yd + i0))};
}

template <class V, int N>
inline void ComputeDistances(const PairSumJob& job, int t, const Rows<V>& rows, Distances<V, N>& out)
{
    using D = typename V::D;
    using F = typename V::F;
#pragma GCC unroll 8
    for (int k = 0; k < N; ++k) {
        const int j = t + k;
        F x = V::LoadF(job.x + j);
        F y = V::LoadF(job.y + j);
        D yd = V::LoadD(job.yd + j);
        RowLanes<V> s = rows.cur;
        if (j >= rows.mixFrom) {
            const typename V::M next = V::LaneRange(rows.count - j, V::W);
            const int from = j - rows.shift;
            x = V::BlendF(x, next, V::LoadF(job.x + from));
            y = V::BlendF(y, next, V::LoadF(job.y + from));
            yd = V::BlendD(yd, next, V::LoadD(job.yd + from));
            s.x = V::BlendF(s.x, next, rows.next.x);
            s.y = V::BlendF(s.y, next, rows.next.y);
            s.yd = V::BlendD(s.yd, next, rows.next.yd);
        }
        out.dxd[k] = V::Widen(V::SubF(x, s.x));
        const D dyd = V::SubD(yd, s.yd);
        out.dy[k] = V::Widen(V::SubF(y, s.y)); // dyd rounded to float
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

// After a step the column at lane 0 has every term of this row block: it goes
// back to memory (unless `out` is negative), and the window moves on by one
// column, taking in column `in` at the top (+0 if negative).
template <class V>
inline void SlideWindow(const PairSumJob& job, int out, int in, Sums<V>& sums)
{
    if (out >= 0) {
        V::StoreLowD(job.colFx + out, sums.colFx);
        V::StoreLowF(job.colFy + out, sums.colFy);
    }
    sums.colFx = V::ShiftInD(sums.colFx, in >= 0 ? job.colFx[in] : 0.0);
    sums.colFy = V::ShiftInF(sums.colFy, in >= 0 ? job.colFy[in] : 0.0f);
}

// The sweep of row blocks first .. last - 1 (block b holds rows b W .. b W + W - 1)
// through columns c0 .. c1 - 1, in one of two shapes.
//
// Along the diagonal (`diagonal`, c0 the first block's first row): every column
// above the blocks' rows. Lane l meets its own column at step i0 + W - 1 - 2 l of
// its block's sweep (i0 its first row), where its column sum holds every row
// below it: the row sum starts from there.
//
// Beside it (c0 past the last row): every pair of the rows with those columns.
// The row sums go on from what job.fx and job.fy hold for these rows.
//
// Either way the sweep starts at the first step where lane W - 1 of block `first`
// meets a column of its own, and ends when lane 0 of block last - 1 has met
// column c1 - 1. In between, each block hands its lanes to the next one by one as
// they meet the last column (see Rows), so that the run does not wait for lanes
// that have nothing left to do; every block of the run but the last is whole.
// The column sums of c0 .. c1 - 1 must hold every row above `first` already, and
// the row sums end up in job.fx and job.fy.
//
// The terms of a step need only the positions, so a thread that waits for a
// tile's sums can compute the terms of its first groups of steps ahead
// (Sweep::TermsAhead: into `store`, as many groups as `groups` hold, until
// goOn(context) is false, asked every eight groups; the groups computed are
// returned). The sweep (Sweep::SumsAfterTermsAhead) then takes the first
// `groups` groups' terms from `store` and adds them in the same order; nothing
// else changes.
enum class Sweep { Sums, SumsAfterTermsAhead, TermsAhead };

template <class V, Sweep kWay = Sweep::Sums>
inline int SweepTile(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal,
                     std::conditional_t<kWay == Sweep::TermsAhead, Terms<V, V::kSteps>*, const Terms<V, V::kSteps>*>
                         store = nullptr,
                     int groups = 0, bool (*goOn)(const void*) = nullptr, const void* context = nullptr)
{
    constexpr int W = V::W;
    constexpr int kSteps = V::kSteps;
    constexpr bool kAhead = kWay == Sweep::TermsAhead;
    // Whether group g's terms were computed ahead.
    const auto ahead = [&](int g) { return kWay == Sweep::SumsAfterTermsAhead && g < groups; };
    int block = first;
    int i0 = block * W;
    Rows<V> rows;
    rows.count = c1;
    rows.cur = LoadRowLanes<V>(job, i0);
    Sums<V> sums;
    // The row sums of the next block, where they go on from earlier columns.
    typename V::D nextFx = V::SetD(0.0);
    typename V::F nextFy = V::SetF(0.0f);
    // Takes the steps of `block` from here on: its own row lanes, and the next
    // block's if the run goes on.
    auto enter = [&] {
        const bool next = block + 1 < last;
        rows.mixFrom = next ? c1 - W + 1 : kRowsDone;
        rows.shift = diagonal ? c1 - i0 - W : c1 - c0;
        if (next) {
            rows.next = LoadRowLanes<V>(job, i0 + W);
            if (!kAhead && !diagonal) {
                nextFx = V::ReverseD(V::LoadD(job.fx + i0 + W));
                nextFy = V::ReverseF(V::LoadF(job.fy + i0 + W));
            }
        }
    };
    enter();
    if (diagonal || kAhead) {
        sums.rowFx = V::SetD(0.0); // replaced lane by lane before any term counts
        sums.rowFy = V::SetF(0.0f);
    } else {
        sums.rowFx = V::ReverseD(V::LoadD(job.fx + i0));
        sums.rowFy = V::ReverseF(V::LoadF(job.fy + i0));
    }
    // The row sums of the block before `block`, lane by lane as they are done.
    Sums<V> done;
    done.rowFx = V::SetD(0.0);
    done.rowFy = V::SetF(0.0f);
    const int start = (diagonal ? i0 : c0) - W + 1;
    if (!kAhead) {
        alignas(64) double fx[W];
        alignas(64) float fy[W];
        for (int l = 0; l < W; ++l) {
            const int j = start + l;
            const bool in = j >= c0 && j < c1;
            fx[l] = in ? job.colFx[j] : 0.0;
            fy[l] = in ? job.colFy[j] : 0.0f;
        }
        sums.colFx = V::LoadD(fx);
        sums.colFy = V::LoadF(fy);
    }
    // From step `full` on every lane's pair counts; before step `fullEnd` the
    // window still takes in a column of this block. Past `end` nothing is left.
    int full = diagonal ? i0 + W : c0;
    const int fullEnd = c1 - W;
    int end = block + 1 < last ? kRowsDone : c1;
    // The lanes of step t whose pair counts (none once the sweep is over).
    auto lanesOf = [&](int t) {
        if (!diagonal) {
            // Lane l meets column t + l, or t + l - shift in the next block.
            return V::LaneRange(c0 - t, c1 - t + (t >= rows.mixFrom ? rows.shift : 0));
        }
        const int own = i0 + W - 1 - t; // twice the lane that meets its own column
        typename V::M lanes = V::LaneRange(own >= 0 ? own / 2 + 1 : 0, c1 - t);
        if (t >= rows.mixFrom) {
            const int ownNext = own + W + rows.shift;
            lanes = V::Or(lanes, V::LaneRange(std::max(c1 - t, ownNext >= 0 ? ownNext / 2 + 1 : 0), c1 - t + rows.shift));
        }
        return lanes;
    };
    // The row sums of the block before, kept when its lane `lane` is done, and
    // stored once its last lane is.
    auto keepDone = [&](int lane, int before) {
        done.rowFx = V::TakeLaneD(done.rowFx, sums.rowFx, lane);
        done.rowFy = V::TakeLaneF(done.rowFy, sums.rowFy, lane);
        if (lane == 0) {
            V::StoreD(job.fx + before, V::ReverseD(done.rowFx));
            V::StoreF(job.fy + before, V::ReverseF(done.rowFy));
        }
    };
    typename V::M all[kSteps];
    for (int k = 0; k < kSteps; ++k)
        all[k] = V::AllLanes();
    // The steps go in groups of kSteps through three stages at once: while the
    // terms of one group go into the sums, the quotients of the next group and
    // the distances of the one after are under way, so that the divider always
    // has work queued. A group past the end computes steps that add nothing.
    int t = start;
    int g = 0; // the group of steps from t on
    Quotients<V, kSteps> q;
    Distances<V, kSteps> d;
    if (!ahead(0)) {
        ComputeDistances<V, kSteps>(job, t, rows, d);
        ComputeQuotients<V, kSteps>(job, d, q);
    }
    if (t + kSteps < end && !ahead(1))
        ComputeDistances<V, kSteps>(job, t + kSteps, rows, d);
    for (;;) {
        const bool more = t + kSteps < end;
        Quotients<V, kSteps> nextQ;
        if (more && !ahead(g + 1)) {
            if (t + 2 * kSteps < end) {
                Distances<V, kSteps> nextD;
                ComputeDistances<V, kSteps>(job, t + 2 * kSteps, rows, nextD);
                ComputeQuotients<V, kSteps>(job, d, nextQ);
                d = nextD;
            } else {
                ComputeQuotients<V, kSteps>(job, d, nextQ);
            }
        } else if (more && t + 2 * kSteps < end && !ahead(g + 2)) {
            ComputeDistances<V, kSteps>(job, t + 2 * kSteps, rows, d); // the first group not computed ahead
        }
        const bool whole = t >= full && t + kSteps <= fullEnd;
        Terms<V, kSteps> terms;
        if (ahead(g))
            terms = store[g];
        if (whole) {
            if (!ahead(g))
                ComputeTerms<V, kSteps>(q, all, terms);
            if constexpr (!kAhead) {
#pragma GCC unroll 8
                for (int k = 0; k < kSteps; ++k) {
                    AddTerms<V, kSteps>(terms, k, sums);
                    SlideWindow<V>(job, t + k, t + k + W, sums);
                }
            }
        } else {
            if (!ahead(g)) {
                typename V::M lanes[kSteps];
                for (int k = 0; k < kSteps; ++k)
                    lanes[k] = lanesOf(t + k);
                ComputeTerms<V, kSteps>(q, lanes, terms);
            }
            if constexpr (!kAhead) {
                for (int k = 0; k < kSteps && t + k < end; ++k) {
                    const int u = t + k;
                    AddTerms<V, kSteps>(terms, k, sums);
                    const bool next = u >= rows.mixFrom;
                    if (diagonal) {
                        // The lane that meets its own column here, in this block or the next.
                        const int own = i0 + W - 1 - u + (next ? W + rows.shift : 0);
                        if (own >= 0 && own % 2 == 0 && own / 2 < W) {
                            const int lane = own / 2;
                            // The lane's row in the block before is done: keep its sum.
                            if (next || block > first)
                                keepDone(lane, next ? i0 : i0 - W);
                            sums.rowFx = V::TakeLaneD(sums.rowFx, sums.colFx, lane);
                            sums.rowFy = V::TakeLaneF(sums.rowFy, sums.colFy, lane);
                        }
                    } else if (block + 1 < last) {
                        // The lane that has just met the last column hands over to the
                        // next block's row, which goes on from its earlier columns.
                        const int lane = c1 - 1 - u;
                        if (lane >= 0 && lane < W) {
                            keepDone(lane, i0);
                            sums.rowFx = V::TakeLaneD(sums.rowFx, nextFx, lane);
                            sums.rowFy = V::TakeLaneF(sums.rowFy, nextFy, lane);
                        }
                    }
                    // Lane 0 holds column u of this block, or column u - shift of the
                    // next; so does the column coming in at the top, W further on.
                    // Columns before c0 are not this sweep's.
                    int out = u < c1 ? u : u - rows.shift;
                    if (out < c0)
                        out = -1;
                    int in = u + W;
                    if (in >= c1)
                        in = block + 1 < last && in - rows.shift < c1 ? in - rows.shift : -1;
                    SlideWindow<V>(job, out, in, sums);
                }
            }
        }
        if constexpr (kAhead) {
            store[g] = terms;
            if (g + 1 == groups || ((g + 1) % 8 == 0 && !goOn(context)))
                return g + 1;
        }
        t += kSteps;
        ++g;
        if (!more)
            break;
        // Once lane 0 has left this block, the steps count in the next block's terms.
        if (t >= c1 && block + 1 < last) {
            t -= rows.shift;
            ++block;
            i0 += W;
            rows.cur = rows.next;
            enter();
            if (diagonal)
                full = i0 + W;
            end = block + 1 < last ? kRowsDone : c1;
        }
        if (!ahead(g))
            q = nextQ;
    }
    if constexpr (kAhead)
        return g;
    V::StoreD(job.fx + i0, V::ReverseD(sums.rowFx));
    V::StoreF(job.fy + i0, V::ReverseF(sums.rowFy));
    return 0;
}

// The terms of a tile's first groups of steps, ahead of its sweep (SweepTile),
// into `bytes` of memory aligned for any vector; returns the groups computed.
template <class V>
int TermsAhead(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, void* store,
               std::size_t bytes, bool (*goOn)(const void*), const void* context)
{
    const int room = static_cast<int>(bytes / sizeof(Terms<V, V::kSteps>));
    if (room == 0)
        return 0;
    return SweepTile<V, Sweep::TermsAhead>(job, first, last, c0, c1, diagonal, static_cast<Terms<V, V::kSteps>*>(store), room, goOn,
                              context);
}

// A tile's sweep with the first `groups` groups' terms from `store` (TermsAhead).
template <class V>
void SweepTileAhead(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, const void* store,
                    int groups)
{
    if (store == nullptr || groups == 0)
        SweepTile<V>(job, first, last, c0, c1, diagonal);
    else
        SweepTile<V, Sweep::SumsAfterTermsAhead>(job, first, last, c0, c1, diagonal,
                                                 static_cast<const Terms<V, V::kSteps>*>(store), groups);
}

// The blocks' pairs on one thread: runs of job.runBlocks whole blocks through
// every column, and the last block alone if it is partly padding.
template <class V>
void PairSumRows(const PairSumJob& job)
{
    const int whole = job.count / V::W;
    const int wholeRuns = (whole + job.runBlocks - 1) / job.runBlocks;
    const int runs = wholeRuns + (job.blocks > whole ? 1 : 0);
    for (int run = 0; run < runs; ++run) {
        if (__atomic_load_n(job.stop, __ATOMIC_RELAXED) != 0)
            return;
        const int first = run < wholeRuns ? run * job.runBlocks : whole;
        const int last = run < wholeRuns ? std::min(first + job.runBlocks, whole) : whole + 1;
        SweepTile<V>(job, first, last, first * V::W, job.count, true);
        job.rowsFinished(job.context, first * V::W, last * V::W, job.fx, job.fy);
    }
}

} // namespace
