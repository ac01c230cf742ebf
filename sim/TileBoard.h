// SPDX-License-Identifier: MIT
#pragma once

// The fast step on several threads, in tiles that any thread may compute.
//
// Stripes of kTileRows rows meet chunks of one or two stripes' width of
// columns, a chunk's first column at a stripe's first row; tile (r, c) takes
// the column sums of chunk c after stripe r - 1 and the row sums of stripe r
// after tile (r, c - 1), and gives both on (StepKernels.h). A stripe's first
// tile is in the chunk that holds its rows, from its first row on (the columns
// below belong to lower rows). A thread takes the stripes in turn and sweeps
// each stripe's tiles in order. Chunks two stripes wide halve the sweeps'
// starts and ends per pair against square tiles (a few percent of the step),
// but a stripe then waits for a longer tile above it before it starts: they are
// taken where there are enough stripes for every thread to stay busy
// (scripts/thread-model.py).
//
// On two threads the first stripe has kFirstStripeRows rows and the second the
// rest of the first chunk: the two threads then work about half a stripe apart,
// and each finds the tiles above its own done. With stripes all alike both start
// each pair of stripes together, the second waits for the first one's tiles, and
// the first, whose stripe is the longer, sets the pace (the model: 1.87 of one
// thread at 1000 particles, 1.96 with a first stripe of 48 rows).
//
// A thread whose next tile waits for the stripe above computes the terms of
// the tile's first steps meanwhile, from the positions alone, and the tile's
// sweep then only adds them in order (up to a tile's worth, kAheadBytes).
//
// A thread never waits long for another: a tile whose inputs have not come
// within kOvertakeAfter is computed by the waiting thread itself, from the same
// inputs, and whichever publishes first gives the tile's results; the other's
// are dropped. So a thread that lost its core holds up nobody.
//
// For that, every thread computes into buffers of its own, copies its results
// into slots it owns, and publishes the slots' numbers with the tile, tagged
// with the step's number: a thread that was overtaken, perhaps by a whole step,
// fails to publish and frees its slots, and nothing it wrote was read by anyone.

#include "StepKernels.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

constexpr int kTileRows = 64;
constexpr int kFirstStripeRows = 48; // on two threads
constexpr int kNarrowColumns = 64; // a chunk's columns, on many threads and few stripes
constexpr int kWideColumns = 128;  // and elsewhere
static_assert(kTileRows % kWidestBlock == 0 && kFirstStripeRows % kWidestBlock == 0 && kNarrowColumns % kTileRows == 0 &&
              kWideColumns % kTileRows == 0);

// One kernel's sweep of a tile, and the terms of its first steps computed
// ahead (SweepTileAvx2 and TermsAheadAvx2 in StepKernels.h, for instance).
using TileSweep = void (*)(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal,
                           const void* ahead, int groups);
using TileAhead = int (*)(const PairSumJob& job, int first, int last, int c0, int c1, bool diagonal, void* terms,
                          std::size_t bytes, bool (*goOn)(const void*), const void* context);

// The sums of particles first .. end - 1 are final in fx and fy: finish them.
using StripeFinish = void (*)(void* context, int first, int end, const double* fx, const float* fy);

// Asked by the step's thread now and then: sets the job's stop word when the
// step is to stop.
using StepLook = void (*)(void* context);

class TileBoard {
public:
    TileBoard();
    ~TileBoard();
    TileBoard(const TileBoard&) = delete;
    TileBoard& operator=(const TileBoard&) = delete;

    // Buffers for `padded` particles and `threads` threads. False when the
    // memory is not there; the board is then as before.
    bool Reserve(int padded, int threads);

    // Starts a step on `threads` threads: `job` (its column and row sums
    // unused), the kernel's sweep, its terms ahead (null for none) and block
    // width, what finishes a stripe and what the step's thread asks (when it
    // starts, after each tile it computes, while it waits, and once its share
    // is done, so at least twice). Called by the step's thread while no other
    // is in Work for this board, or only overtaken ones.
    void Begin(const PairSumJob& job, int threads, TileSweep sweep, TileAhead ahead, int width, StripeFinish finish,
               StepLook look);

    // Every thread of the step calls this with its own number (0: the step's
    // thread, which returns once every stripe is finished or the step stops).
    void Work(int thread);

    // Where a tile's results go: the column sums of a chunk or the row sums of
    // a stripe, for the tiles that read them next (the last stripe and chunk
    // take the rest of the particles, less than one more stripe).
    static constexpr int kSlotRows = kWideColumns + kTileRows + kWidestBlock;
    struct Slot {
        std::atomic<std::uint64_t> state{0}; // 0 free; step << 32 | 1 << 31 | thread: being written; step << 32 | tile: published
        double fx[kSlotRows];
        float fy[kSlotRows];
    };

private:
    struct Step {
        PairSumJob job;
        TileSweep sweep = nullptr;
        TileAhead ahead = nullptr;
        StripeFinish finish = nullptr;
        StepLook look = nullptr;
        int width = 0;
        int stripes = 0;
        int chunks = 0;
        int chunkStripes = 1; // a chunk's width in stripes
        int secondStripe = kTileRows; // the first row of stripe 1
        std::uint32_t number = 0;
        int FirstChunk(int r) const { return r / chunkStripes; } // the chunk that holds stripe r's rows
        int FirstRow(int r) const { return r == 1 ? secondStripe : r * kTileRows; }
    };
    bool TakeStripe(const Step& step, int thread, int& stripe);
    bool Owns(const Step& step, int thread, int stripe) const;
    // Tile (r, c): row blocks first .. last - 1, columns c0 .. c1 - 1, the
    // chunk's slots from chunk0 on; `split` when its block that is partly
    // padding is swept alone.
    struct Span {
        int first, last, c0, c1, chunk0;
        bool diagonal, split;
    };
    static Span SpanOf(const Step& step, int r, int c);
    bool Ensure(const Step& step, int thread, int r, int c);
    int Prepare(const Step& step, int thread, int r, int c);
    bool Compute(const Step& step, int thread, int r, int c, int ahead);
    static bool Stopped(const Step& step, int thread);
    std::size_t TileIndex(int r, int c) const;
    std::uint64_t Tile(int r, int c) const;
    Slot* TakeSlot(std::vector<Slot>& slots, int index, std::uint64_t owner);

    // The parameters of the last few steps, by step number, each behind a
    // sequence number (odd while Begin writes them): a thread overtaken by as
    // many steps finds its own overwritten and leaves.
    static constexpr int kSteps = 4;
    struct StepEntry {
        std::atomic<std::uint64_t> sequence{0};
        Step step;
    };
    StepEntry m_steps[kSteps];
    bool ReadStep(std::uint32_t number, Step& step) const;
    std::atomic<std::uint32_t> m_number{0};
    std::atomic<std::uint64_t> m_take{0};     // step number << 32 | next stripe
    std::atomic<std::uint64_t> m_finished{0}; // step number << 32 | stripes finished
    int m_padded = 0;
    int m_threads = 0;
    int m_stripes = 0;
    int m_chunks = 0; // the most chunks a step can have, the tiles' row length
    std::unique_ptr<std::atomic<std::uint64_t>[]> m_tiles; // per tile: step number << 32 | published | slots
    std::unique_ptr<std::atomic<std::uint64_t>[]> m_owners; // per stripe: step number << 32 | the thread sweeping it
    std::vector<Slot> m_colSlots; // per chunk, m_slotsEach of them
    std::vector<Slot> m_rowSlots;
    int m_slotsEach = 0;
    static constexpr std::size_t kAheadBytes = std::size_t{256} << 10; // a 64 x 128 tile's terms and more
    struct alignas(64) Line {
        unsigned char bytes[64];
    };
    std::vector<Line> m_ahead; // per thread, kAheadBytes each
    Line* AheadOf(int thread);
    std::vector<double> m_workFx, m_workColFx; // per thread, padded particles each
    std::vector<float> m_workFy, m_workColFy;
};
