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

// K tiles side by side: the pairs of the W row particles (lanes) with the K * W
// particles of K column blocks from firstBlock on. pa[c] and pr[c] receive, for
// column c, the attraction and the repulsion terms (x in the low half, y in the
// high half), +0 for a skipped pair.
template <class V>
struct RowLanes {
    typename V::F x;
    typename V::F y;
    typename V::D yd; // y widened to double
};

template <class V, int K>
inline void ComputeTiles(const PairSumJob& job, int firstBlock, bool diagonal, const RowLanes<V>& s,
                         typename V::P* pa, typename V::P* pr)
{
    using D = typename V::D;
    constexpr int N = K * V::W;
    const D attraction = V::SetD(job.attraction);
    const D repulsion = V::SetD(job.repulsion);
    const D minDistance = V::SetD(kMinPairDistance);
    // The work runs in stages over all columns of the tile, so that every stage
    // finds independent operations while the roots and divisions of the previous
    // one are still under way.
    D dxd[N], dy[N], r[N];
#pragma GCC unroll 16
    for (int c = 0; c < N; ++c) {
        const int j = firstBlock * V::W + c;
        dxd[c] = V::Widen(V::SubF(V::SetF(job.x[j]), s.x));
        const D dyd = V::SubD(V::SetD(job.yd[j]), s.yd);
        dy[c] = V::Widen(V::SubF(V::SetF(job.y[j]), s.y)); // dyd rounded to float
        // The y term multiplies the unrounded difference by its rounded value.
        r[c] = V::SqrtD(V::AddD(V::MulD(dyd, dy[c]), V::MulD(dxd[c], dxd[c])));
    }
    D qa[N], qr[N];
#pragma GCC unroll 16
    for (int c = 0; c < N; ++c) {
        const D rs = V::Widen(V::Narrow(r[c]));
        const D r4 = V::Widen(V::Narrow(V::MulD(V::MulD(V::MulD(rs, rs), rs), rs)));
        qa[c] = V::DivD(attraction, r4);
        qr[c] = V::DivD(repulsion, V::MulD(V::MulD(r4, rs), rs));
    }
#pragma GCC unroll 16
    for (int c = 0; c < N; ++c) {
        typename V::M valid = V::Greater(r[c], minDistance); // false also for a distance that is not a number
        if (diagonal)
            valid = V::And(valid, V::LanesBelow(c)); // within a block only pairs with j > i
        pa[c] = V::Join(V::NarrowOrZero(valid, V::MulD(dxd[c], qa[c])), V::NarrowOrZero(valid, V::MulD(dy[c], qa[c])));
        pr[c] = V::Join(V::NarrowOrZero(valid, V::MulD(qr[c], dxd[c])), V::NarrowOrZero(valid, V::MulD(qr[c], dy[c])));
    }
}

// The row particles' sums take the tile's terms column by column: per pair the
// attraction is added before the repulsion is subtracted.
template <class V, int K>
inline void AddRowTerms(const typename V::P* pa, const typename V::P* pr, typename V::D& fx, typename V::P& fy)
{
#pragma GCC unroll 16
    for (int c = 0; c < K * V::W; ++c) {
        fx = V::SubD(V::AddD(fx, V::Widen(V::Low(pa[c]))), V::Widen(V::Low(pr[c])));
        fy = V::SubP(V::AddP(fy, pa[c]), pr[c]);
    }
}

// The column particles' sums take the negated terms lane by lane, in ascending
// row order: adding the negative of a term is subtracting it.
template <class V>
inline void AddColumnTerms(const PairSumJob& job, int colBlock, typename V::P* pa, typename V::P* pr)
{
    V::Transpose(pa);
    V::Transpose(pr);
    double* colFx = job.colFx + colBlock * V::W;
    float* colFy = job.colFy + colBlock * V::W;
    typename V::D fx = V::LoadD(colFx);
    typename V::P fy = V::Join(V::LoadF(colFy), V::LoadF(colFy)); // only the high half counts
#pragma GCC unroll 8
    for (int l = 0; l < V::W; ++l) {
        fx = V::AddD(V::SubD(fx, V::Widen(V::Low(pa[l]))), V::Widen(V::Low(pr[l])));
        fy = V::AddP(V::SubP(fy, pa[l]), pr[l]);
    }
    V::StoreD(colFx, fx);
    V::StoreF(colFy, V::High(fy));
}

// The row sums of one row block through the tiles of columns [firstCol, endCol).
// The diagonal tile, when it is among them, first completes the block's own
// column sums, which are then where the row sums start.
template <class V>
inline void RowThroughColumns(const PairSumJob& job, int row, int firstCol, int endCol)
{
    using P = typename V::P;
    const RowLanes<V> s{V::LoadF(job.x + row * V::W), V::LoadF(job.y + row * V::W), V::LoadD(job.yd + row * V::W)};
    double* rowFx = job.fx + row * V::W;
    float* rowFy = job.fy + row * V::W;
    P pa[2 * V::W], pr[2 * V::W];
    typename V::D fx;
    P fy;
    if (firstCol == row) {
        ComputeTiles<V, 1>(job, row, true, s, pa, pr);
        P ra[V::W], rr[V::W];
        for (int c = 0; c < V::W; ++c) {
            ra[c] = pa[c];
            rr[c] = pr[c];
        }
        AddColumnTerms<V>(job, row, pa, pr);
        fx = V::LoadD(job.colFx + row * V::W);
        const typename V::F colFy = V::LoadF(job.colFy + row * V::W);
        fy = V::Join(colFy, colFy); // only the high half counts
        AddRowTerms<V, 1>(ra, rr, fx, fy);
        ++firstCol;
    } else {
        fx = V::LoadD(rowFx);
        const typename V::F sumFy = V::LoadF(rowFy);
        fy = V::Join(sumFy, sumFy);
    }
    // Two column blocks at a time give the roots and divisions twice the
    // independent work to overlap with.
    int col = firstCol;
    for (; col + 1 < endCol; col += 2) {
        ComputeTiles<V, 2>(job, col, false, s, pa, pr);
        AddRowTerms<V, 2>(pa, pr, fx, fy);
        AddColumnTerms<V>(job, col, pa, pr);
        AddColumnTerms<V>(job, col + 1, pa + V::W, pr + V::W);
    }
    if (col < endCol) {
        ComputeTiles<V, 1>(job, col, false, s, pa, pr);
        AddRowTerms<V, 1>(pa, pr, fx, fy);
        AddColumnTerms<V>(job, col, pa, pr);
    }
    V::StoreD(rowFx, fx);
    V::StoreF(rowFy, V::High(fy));
}

// One square: the tiles of the row blocks of band rowBand with the column blocks
// of band colBand, row by row.
template <class V>
inline void DoSquare(const PairSumJob& job, int rowBand, int colBand)
{
    const int firstRow = rowBand * job.band;
    const int endRow = firstRow + job.band < job.blocks ? firstRow + job.band : job.blocks;
    const int firstCol = colBand * job.band;
    const int endCol = firstCol + job.band < job.blocks ? firstCol + job.band : job.blocks;
    for (int row = firstRow; row < endRow; ++row) {
        const int from = row > firstCol ? row : firstCol;
        if (from < endCol)
            RowThroughColumns<V>(job, row, from, endCol);
    }
}

template <class V>
inline void FinishBand(const PairSumJob& job, int band)
{
    job.bandFinished(job.context, band * job.band * V::W, (band + 1) * job.band * V::W);
}

// Square (b, q) may start when the square before it in band b is done (its row
// sums go on from there) and band b - 1 has done square q (its column sums
// then hold every row above, in order). Claiming it is a compare-and-swap on
// the band's next unclaimed square, so each square runs exactly once.
inline bool TryClaim(const PairSumJob& job, int b, int q)
{
    if (__atomic_load_n(&job.bandState[b].done, __ATOMIC_ACQUIRE) != q)
        return false;
    if (b > 0 && __atomic_load_n(&job.bandState[b - 1].done, __ATOMIC_ACQUIRE) < q + 1)
        return false;
    int expected = q;
    return __atomic_compare_exchange_n(&job.bandState[b].claimed, &expected, q + 1, false, __ATOMIC_ACQ_REL,
                                       __ATOMIC_RELAXED);
}

// The blocks are grouped into bands of job.band blocks, and the pairs into
// band-sized squares. Alone, a thread does the squares band by band. Shared,
// the squares form a wavefront: each thread keeps to the band it is on while
// the next square there can start, and otherwise takes any square that can,
// so neither thread waits for the other except at the very start and end.
template <class V>
void PairSumRows(const PairSumJob& job)
{
    const int bands = (job.blocks + job.band - 1) / job.band;
    if (job.threads == 1) {
        for (int b = 0; b < bands; ++b) {
            for (int q = b; q < bands; ++q)
                DoSquare<V>(job, b, q);
            FinishBand<V>(job, b);
        }
        return;
    }
    int b = -1, q = 0; // the square this thread did last
    for (;;) {
        if (b >= 0 && q + 1 < bands && TryClaim(job, b, q + 1)) {
            ++q;
        } else {
            b = -1;
            for (int spins = 0; b < 0; ++spins) {
                if (__atomic_load_n(job.finishedBands, __ATOMIC_ACQUIRE) == bands)
                    return;
                for (int c = 0; c < bands && b < 0; ++c) {
                    const int next = __atomic_load_n(&job.bandState[c].claimed, __ATOMIC_RELAXED);
                    if (next < bands && TryClaim(job, c, next)) {
                        b = c;
                        q = next;
                    }
                }
                if (b < 0) {
                    if (spins < 4000)
                        CpuRelax();
                    else
                        std::this_thread::yield(); // the other thread is not running: give it the core
                }
            }
        }
        DoSquare<V>(job, b, q);
        __atomic_store_n(&job.bandState[b].done, q + 1, __ATOMIC_RELEASE);
        if (q + 1 == bands) {
            FinishBand<V>(job, b);
            __atomic_fetch_add(job.finishedBands, 1, __ATOMIC_ACQ_REL);
        }
    }
}

} // namespace
