#pragma once

// The body of the vector pair-sum kernels, written once over a small set of
// vector operations (the traits class V) and included by each instruction-set
// file, which compiles it for its own target. Everything here is in an unnamed
// namespace so that no two targets ever share a compiled function.
//
// Rounding follows the literal loop exactly. Where the literal code rounds a
// double result of two floats to float (dx, and every addition to Fy), a float
// operation gives the same value: a double carries more than twice a float's
// precision, so rounding twice cannot differ from rounding once. No multiply is
// fused with an addition.

#include "StepKernels.h"

#include <sched.h>

namespace {

// Pairs no farther apart than the single-precision value of 0.00001 exert no force.
constexpr double kMinPairDistance = static_cast<double>(0.00001f);

// Rows wait for the row above with this many column blocks of slack, so that a
// row that has caught up does not poll the other thread after every tile.
constexpr int kWaitSlack = 4;

inline void WaitForRow(const int* rowDone, int block, int needed)
{
    for (int spins = 0; __atomic_load_n(rowDone + block, __ATOMIC_ACQUIRE) < needed; ++spins) {
        if (spins < 4000)
            __builtin_ia32_pause();
        else
            sched_yield(); // the other thread is not running: give it the core
    }
}

// One tile: the pairs of the W row particles (lanes) with the W particles of one
// column block. pa[c] and pr[c] receive, for column c, the attraction and the
// repulsion terms (x in the low half, y in the high half), +0 for a skipped pair.
template <class V>
inline void ComputeTile(const PairSumJob& job, int colBlock, bool diagonal, typename V::F sx,
                        typename V::D syd, typename V::P (&pa)[V::W], typename V::P (&pr)[V::W])
{
    using D = typename V::D;
    const D attraction = V::SetD(job.attraction);
    const D repulsion = V::SetD(job.repulsion);
    const D minDistance = V::SetD(kMinPairDistance);
    // The work runs in stages over all columns of the tile, so that every stage
    // finds independent operations while the roots and divisions of the previous
    // one are still under way.
    D dxd[V::W], dy[V::W], r[V::W];
#pragma GCC unroll 8
    for (int c = 0; c < V::W; ++c) {
        const int j = colBlock * V::W + c;
        dxd[c] = V::Widen(V::SubF(V::SetF(job.x[j]), sx));
        const D dyd = V::SubD(V::SetD(job.yd[j]), syd);
        dy[c] = V::Widen(V::Narrow(dyd));
        // The y term multiplies the unrounded difference by its rounded value.
        r[c] = V::SqrtD(V::AddD(V::MulD(dyd, dy[c]), V::MulD(dxd[c], dxd[c])));
    }
    D qa[V::W], qr[V::W];
#pragma GCC unroll 8
    for (int c = 0; c < V::W; ++c) {
        const D rs = V::Widen(V::Narrow(r[c]));
        const D r4 = V::Widen(V::Narrow(V::MulD(V::MulD(V::MulD(rs, rs), rs), rs)));
        qa[c] = V::DivD(attraction, r4);
        qr[c] = V::DivD(repulsion, V::MulD(V::MulD(r4, rs), rs));
    }
#pragma GCC unroll 8
    for (int c = 0; c < V::W; ++c) {
        typename V::M valid = V::Greater(r[c], minDistance); // false also for a distance that is not a number
        if (diagonal)
            valid = V::And(valid, V::LanesBelow(c)); // within a block only pairs with j > i
        pa[c] = V::Join(V::NarrowOrZero(valid, V::MulD(dxd[c], qa[c])), V::NarrowOrZero(valid, V::MulD(dy[c], qa[c])));
        pr[c] = V::Join(V::NarrowOrZero(valid, V::MulD(qr[c], dxd[c])), V::NarrowOrZero(valid, V::MulD(qr[c], dy[c])));
    }
}

// The row particles' sums take the tile's terms column by column: per pair the
// attraction is added before the repulsion is subtracted.
template <class V>
inline void AddRowTerms(const typename V::P (&pa)[V::W], const typename V::P (&pr)[V::W], typename V::D& fx,
                        typename V::P& fy)
{
    for (int c = 0; c < V::W; ++c) {
        fx = V::SubD(V::AddD(fx, V::Widen(V::Low(pa[c]))), V::Widen(V::Low(pr[c])));
        fy = V::SubP(V::AddP(fy, pa[c]), pr[c]);
    }
}

// The column particles' sums take the negated terms lane by lane, in ascending
// row order: adding the negative of a term is subtracting it.
template <class V>
inline void AddColumnTerms(const PairSumJob& job, int colBlock, typename V::P (&pa)[V::W],
                           typename V::P (&pr)[V::W])
{
    V::Transpose(pa);
    V::Transpose(pr);
    double* colFx = job.colFx + colBlock * V::W;
    float* colFy = job.colFy + colBlock * V::W;
    typename V::D fx = V::LoadD(colFx);
    typename V::P fy = V::Join(V::LoadF(colFy), V::LoadF(colFy)); // only the high half counts
    for (int l = 0; l < V::W; ++l) {
        fx = V::AddD(V::SubD(fx, V::Widen(V::Low(pa[l]))), V::Widen(V::Low(pr[l])));
        fy = V::AddP(V::SubP(fy, pa[l]), pr[l]);
    }
    V::StoreD(colFx, fx);
    V::StoreF(colFy, V::High(fy));
}

template <class V>
void PairSumRows(const PairSumJob& job, int thread)
{
    using P = typename V::P;
    const bool shared = job.threads > 1;
    for (int row = thread; row < job.blocks; row += job.threads) {
        const typename V::F sx = V::LoadF(job.x + row * V::W);
        const typename V::D syd = V::LoadD(job.yd + row * V::W);
        int aboveDone = 0; // what this row last saw of the row above
        auto waitAbove = [&](int colBlock) {
            if (shared && row > 0 && aboveDone < colBlock + 1) {
                const int target = colBlock + 1 + kWaitSlack < job.blocks ? colBlock + 1 + kWaitSlack : job.blocks;
                WaitForRow(job.rowDone, row - 1, target);
                aboveDone = __atomic_load_n(job.rowDone + row - 1, __ATOMIC_ACQUIRE);
            }
        };
        auto publish = [&](int colBlock) {
            if (shared)
                __atomic_store_n(job.rowDone + row, colBlock + 1, __ATOMIC_RELEASE);
        };

        P pa[V::W], pr[V::W];
        // The diagonal tile: its column terms complete this block's column sums,
        // which are then where the row sums start.
        waitAbove(row);
        ComputeTile<V>(job, row, true, sx, syd, pa, pr);
        P ra[V::W], rr[V::W];
        for (int c = 0; c < V::W; ++c) {
            ra[c] = pa[c];
            rr[c] = pr[c];
        }
        AddColumnTerms<V>(job, row, pa, pr);
        typename V::D fx = V::LoadD(job.colFx + row * V::W);
        const typename V::F colFy = V::LoadF(job.colFy + row * V::W);
        P fy = V::Join(colFy, colFy); // only the high half counts
        AddRowTerms<V>(ra, rr, fx, fy);
        publish(row);

        for (int col = row + 1; col < job.blocks; ++col) {
            waitAbove(col);
            ComputeTile<V>(job, col, false, sx, syd, pa, pr);
            AddRowTerms<V>(pa, pr, fx, fy);
            AddColumnTerms<V>(job, col, pa, pr);
            publish(col);
        }
        V::StoreD(job.fx + row * V::W, fx);
        V::StoreF(job.fy + row * V::W, V::High(fy));
    }
}

} // namespace
