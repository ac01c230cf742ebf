// SPDX-License-Identifier: MIT
#include "TileBoard.h"

#include "CpuRelax.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <thread>

namespace {

// A thread waits this long for a tile before it computes the tile itself. A
// tile takes up to some 50 microseconds while its thread runs, so a longer wait
// means that the thread has lost its core.
constexpr std::chrono::microseconds kOvertakeAfter{100};

constexpr std::uint64_t kPublished = std::uint64_t{1} << 31;
constexpr std::uint64_t kWriting = std::uint64_t{1} << 31;
constexpr unsigned kNoSlot = 0x7FFF;

std::uint32_t StepOf(std::uint64_t word)
{
    return static_cast<std::uint32_t>(word >> 32);
}

// A tile word says "published" only for its own step.
bool Published(std::uint64_t word, std::uint32_t step)
{
    return StepOf(word) == step && (word & kPublished) != 0;
}

// A slot's numbers are read and written as relaxed atomics: a thread that was
// overtaken may read a slot while its next owner writes it (and drops what it
// read); the tile's word orders everything else.
template <class T>
T Load(const T& from)
{
    T value;
    __atomic_load(&from, &value, __ATOMIC_RELAXED);
    return value;
}

template <class T>
void Store(T& to, T value)
{
    __atomic_store(&to, &value, __ATOMIC_RELAXED);
}

} // namespace

TileBoard::TileBoard() = default;
TileBoard::~TileBoard() = default;

bool TileBoard::Reserve(int padded, int threads)
{
    if (padded <= m_padded && threads <= m_threads)
        return true;
    padded = std::max(padded, m_padded);
    threads = std::max(threads, m_threads);
    const int stripes = std::max(1, padded / kTileRows);
    const int chunks = (stripes - 1) / (kNarrowColumns / kTileRows) + 1;
    // A thread that was overtaken holds at most one slot of each kind until it
    // notices; the live results need two.
    const int slotsEach = 2 + threads;
    try {
        auto tiles = std::make_unique<std::atomic<std::uint64_t>[]>(static_cast<std::size_t>(stripes) * chunks);
        auto owners = std::make_unique<std::atomic<std::uint64_t>[]>(static_cast<std::size_t>(stripes));
        std::vector<Slot> colSlots(static_cast<std::size_t>(chunks * slotsEach));
        std::vector<Slot> rowSlots(static_cast<std::size_t>(stripes * slotsEach));
        const std::size_t work = static_cast<std::size_t>(padded) * static_cast<std::size_t>(threads);
        std::vector<double> workFx(work), workColFx(work);
        std::vector<float> workFy(work), workColFy(work);
        std::vector<Line> ahead(static_cast<std::size_t>(threads) * (kAheadBytes / sizeof(Line)));
        m_tiles = std::move(tiles);
        m_owners = std::move(owners);
        m_colSlots = std::move(colSlots);
        m_rowSlots = std::move(rowSlots);
        m_workFx = std::move(workFx);
        m_workColFx = std::move(workColFx);
        m_workFy = std::move(workFy);
        m_workColFy = std::move(workColFy);
        m_ahead = std::move(ahead);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_padded = padded;
    m_threads = threads;
    m_stripes = stripes;
    m_chunks = chunks;
    m_slotsEach = slotsEach;
    return true;
}

void TileBoard::Begin(const PairSumJob& job, int threads, TileSweep sweep, TileAhead ahead, int width,
                      StripeFinish finish, StepLook look)
{
    const std::uint32_t number = m_number.load(std::memory_order_relaxed) + 1;
    StepEntry& entry = m_steps[number % kSteps];
    entry.sequence.store(2 * std::uint64_t{number} + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    Step& step = entry.step;
    step.job = job;
    step.sweep = sweep;
    step.ahead = ahead;
    step.finish = finish;
    step.look = look;
    step.width = width;
    step.stripes = std::max(1, job.count / kTileRows);
    const bool wide = threads <= 2 || step.stripes * kTileRows >= 1024 * threads; // rows enough for every thread
    step.chunkStripes = (wide ? kWideColumns : kNarrowColumns) / kTileRows;
    step.secondStripe = threads == 2 && step.chunkStripes == 2 ? kFirstStripeRows : kTileRows;
    step.chunks = step.FirstChunk(step.stripes - 1) + 1; // the last one takes the rest
    step.number = number;
    entry.sequence.store(2 * std::uint64_t{number}, std::memory_order_release);
    // Every tile of this step is unpublished: a thread overtaken in an earlier
    // step can publish none of them.
    for (int r = 0; r < step.stripes; ++r)
        for (int c = step.FirstChunk(r); c < step.chunks; ++c)
            m_tiles[TileIndex(r, c)].store(std::uint64_t{number} << 32, std::memory_order_relaxed);
    m_take.store(std::uint64_t{number} << 32, std::memory_order_relaxed);
    m_finished.store(std::uint64_t{number} << 32, std::memory_order_relaxed);
    m_number.store(number, std::memory_order_release);
}

std::size_t TileBoard::TileIndex(int r, int c) const
{
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(m_chunks) + static_cast<std::size_t>(c);
}

std::uint64_t TileBoard::Tile(int r, int c) const
{
    return m_tiles[TileIndex(r, c)].load(std::memory_order_acquire);
}

TileBoard::Slot* TileBoard::TakeSlot(std::vector<Slot>& slots, int index, std::uint64_t owner)
{
    const std::uint32_t number = StepOf(owner);
    // There is a slot for every thread and two more, so one is always free or
    // about to be (a slot whose tile's successor has just been published).
    while (m_number.load(std::memory_order_relaxed) == number) {
        for (int k = 0; k < m_slotsEach; ++k) {
            Slot& slot = slots[static_cast<std::size_t>(index * m_slotsEach + k)];
            std::uint64_t state = slot.state.load(std::memory_order_relaxed);
            // Free, or published in an earlier step than the taker's (which
            // nobody reads any more). A taker that was overtaken by a step must
            // not take a slot of the step after its own.
            const bool older = static_cast<std::int32_t>(StepOf(state) - number) < 0;
            const bool free = state == 0 || ((state & kWriting) == 0 && older);
            if (free && slot.state.compare_exchange_strong(state, owner, std::memory_order_acquire))
                return &slot;
        }
        CpuRelax();
    }
    return nullptr; // the step is over
}

// Whether the step stops; the step's thread asks first.
bool TileBoard::Stopped(const Step& step, int thread)
{
    if (thread == 0 && __atomic_load_n(step.job.stop, __ATOMIC_RELAXED) == 0)
        step.look(step.job.context);
    return __atomic_load_n(step.job.stop, __ATOMIC_RELAXED) != 0;
}

bool TileBoard::Owns(const Step& step, int thread, int stripe) const
{
    return m_owners[static_cast<std::size_t>(stripe)].load(std::memory_order_relaxed) ==
           (std::uint64_t{step.number} << 32 | static_cast<std::uint64_t>(thread));
}

bool TileBoard::TakeStripe(const Step& step, int thread, int& stripe)
{
    std::uint64_t take = m_take.load(std::memory_order_relaxed);
    for (;;) {
        if (StepOf(take) != step.number || __atomic_load_n(step.job.stop, __ATOMIC_RELAXED) != 0)
            return false;
        const int next = static_cast<int>(take & 0xFFFFFFFFu);
        if (next >= step.stripes)
            return false;
        if (m_take.compare_exchange_weak(take, take + 1, std::memory_order_relaxed))
            break;
    }
    stripe = static_cast<int>(take & 0xFFFFFFFFu);
    m_owners[static_cast<std::size_t>(stripe)].store(std::uint64_t{step.number} << 32 | static_cast<std::uint64_t>(thread),
                                                     std::memory_order_relaxed);
    return true;
}

TileBoard::Span TileBoard::SpanOf(const Step& step, int r, int c)
{
    Span span;
    const int W = step.width;
    span.first = step.FirstRow(r) / W;
    span.last = r + 1 == step.stripes ? step.job.blocks : step.FirstRow(r + 1) / W;
    span.diagonal = c == step.FirstChunk(r);
    span.chunk0 = c * step.chunkStripes * kTileRows;
    span.c0 = span.diagonal ? step.FirstRow(r) : span.chunk0;
    span.c1 = c + 1 == step.chunks ? step.job.count : span.chunk0 + step.chunkStripes * kTileRows;
    span.split = span.diagonal && span.last > step.job.count / W;
    return span;
}

TileBoard::Line* TileBoard::AheadOf(int thread)
{
    return m_ahead.data() + static_cast<std::size_t>(thread) * (kAheadBytes / sizeof(Line));
}

// While tile (r - 1, c) is not there, the terms of tile (r, c) ahead; returns
// the groups of steps computed, for Compute.
int TileBoard::Prepare(const Step& step, int thread, int r, int c)
{
    const Span span = SpanOf(step, r, c);
    if (step.ahead == nullptr || span.split)
        return 0;
    struct Waiting {
        const TileBoard* board;
        const Step* step;
        int r, c;
    } waiting{this, &step, r, c};
    const auto goOn = [](const void* context) {
        const Waiting& w = *static_cast<const Waiting*>(context);
        return !Published(w.board->Tile(w.r - 1, w.c), w.step->number) &&
               __atomic_load_n(w.step->job.stop, __ATOMIC_RELAXED) == 0 &&
               w.board->m_number.load(std::memory_order_relaxed) == w.step->number;
    };
    if (!goOn(&waiting))
        return 0;
    return step.ahead(step.job, span.first, span.last, span.c0, span.c1, span.diagonal,
                      AheadOf(thread), kAheadBytes, goOn, &waiting);
}

// A thread that was overtaken may read slots that their next owner is writing,
// and its kernel positions that the next step writes: what it computes from
// them is dropped, as it cannot publish. `ahead`: the groups of the tile's
// terms that Prepare computed.
bool TileBoard::Compute(const Step& step, int thread, int r, int c, int ahead)
{
    if (__atomic_load_n(step.job.stop, __ATOMIC_RELAXED) != 0)
        return false; // a step that stops takes no further tile
    const int W = step.width;
    const auto [first, last, c0, c1, chunk0, diagonal, split] = SpanOf(step, r, c);
    const std::size_t base = static_cast<std::size_t>(thread) * static_cast<std::size_t>(m_padded);
    PairSumJob job = step.job;
    job.colFx = m_workColFx.data() + base;
    job.colFy = m_workColFy.data() + base;
    job.fx = m_workFx.data() + base;
    job.fy = m_workFy.data() + base;

    // The inputs: the chunk's column sums after the stripe above, and the
    // stripe's row sums after the tile before.
    const std::uint64_t above = r > 0 ? Tile(r - 1, c) : 0;
    const std::uint64_t before = !diagonal ? Tile(r, c - 1) : 0;
    if ((r > 0 && !Published(above, step.number)) || (!diagonal && !Published(before, step.number)))
        return false; // overtaken: the step has moved on
    const Slot* colIn = r > 0 ? &m_colSlots[static_cast<std::size_t>(c * m_slotsEach) + ((above >> 16) & kNoSlot)] : nullptr;
    const Slot* rowIn = !diagonal ? &m_rowSlots[static_cast<std::size_t>(r * m_slotsEach) + (before & kNoSlot)] : nullptr;
    for (int j = c0; j < c1; ++j) {
        job.colFx[j] = colIn ? Load(colIn->fx[j - chunk0]) : 0.0;
        job.colFy[j] = colIn ? Load(colIn->fy[j - chunk0]) : 0.0f;
    }
    if (rowIn) {
        for (int i = first * W; i < last * W; ++i) {
            job.fx[i] = Load(rowIn->fx[i - first * W]);
            job.fy[i] = Load(rowIn->fy[i - first * W]);
        }
    }

    if (split) {
        // The block that is partly padding goes alone, after the others.
        const int whole = step.job.count / W;
        if (first < whole)
            step.sweep(job, first, whole, c0, c1, true, nullptr, 0);
        step.sweep(job, whole, last, whole * W, c1, true, nullptr, 0);
    } else {
        step.sweep(job, first, last, c0, c1, diagonal, AheadOf(thread), ahead);
    }

    // The results: the chunk's column sums for the stripe below (none where
    // that stripe's rows are past the chunk or there is none), and the stripe's
    // row sums for the next tile (none after the last).
    const std::uint64_t writing = std::uint64_t{step.number} << 32 | kWriting | static_cast<std::uint64_t>(thread);
    const bool columnsGoOn = r + 1 < step.stripes && step.FirstChunk(r + 1) <= c;
    const bool rowsGoOn = c + 1 < step.chunks;
    Slot* colOut = columnsGoOn ? TakeSlot(m_colSlots, c, writing) : nullptr;
    Slot* rowOut = rowsGoOn ? TakeSlot(m_rowSlots, r, writing) : nullptr;
    if ((columnsGoOn && colOut == nullptr) || (rowsGoOn && rowOut == nullptr)) {
        // The step ended between the two: a slot taken is this thread's alone
        // and goes back, or no thread could ever take it again.
        for (Slot* out : {colOut, rowOut})
            if (out)
                out->state.store(0, std::memory_order_release);
        return false;
    }
    if (colOut) {
        for (int j = c0; j < c1; ++j) {
            Store(colOut->fx[j - chunk0], job.colFx[j]);
            Store(colOut->fy[j - chunk0], job.colFy[j]);
        }
    }
    if (rowOut) {
        for (int i = first * W; i < last * W; ++i) {
            Store(rowOut->fx[i - first * W], job.fx[i]);
            Store(rowOut->fy[i - first * W], job.fy[i]);
        }
    }
    const auto slotNumber = [&](const Slot* slot, const std::vector<Slot>& slots, int index) -> std::uint64_t {
        return slot ? static_cast<std::uint64_t>(slot - &slots[static_cast<std::size_t>(index * m_slotsEach)]) : kNoSlot;
    };
    const std::uint64_t tileIndex = TileIndex(r, c);
    const std::uint64_t published = std::uint64_t{step.number} << 32 | kPublished |
                                    slotNumber(colOut, m_colSlots, c) << 16 | slotNumber(rowOut, m_rowSlots, r);
    if (colOut)
        colOut->state.store(std::uint64_t{step.number} << 32 | tileIndex, std::memory_order_release);
    if (rowOut)
        rowOut->state.store(std::uint64_t{step.number} << 32 | tileIndex, std::memory_order_release);
    std::uint64_t unpublished = std::uint64_t{step.number} << 32;
    if (!m_tiles[tileIndex].compare_exchange_strong(unpublished, published, std::memory_order_acq_rel)) {
        // Another thread published this tile first, or the step is over: these
        // results go, and so do the slots, unless another thread has taken them
        // since (a slot published in an earlier step is free).
        for (Slot* out : {colOut, rowOut}) {
            std::uint64_t state = std::uint64_t{step.number} << 32 | tileIndex;
            if (out)
                out->state.compare_exchange_strong(state, 0, std::memory_order_release);
        }
        return true;
    }
    // The inputs are read by nobody else now.
    const auto release = [&](const Slot* in, std::uint64_t tile) {
        if (in) {
            std::uint64_t state = std::uint64_t{step.number} << 32 | tile;
            const_cast<Slot*>(in)->state.compare_exchange_strong(state, 0, std::memory_order_release);
        }
    };
    release(colIn, TileIndex(r - 1, c));
    release(rowIn, tileIndex - 1);
    if (!rowsGoOn) {
        step.finish(job.context, first * W, last * W, job.fx, job.fy);
        m_finished.fetch_add(1, std::memory_order_release);
    }
    return true;
}

bool TileBoard::Ensure(const Step& step, int thread, int r, int c)
{
    const auto since = std::chrono::steady_clock::now();
    std::atomic<std::uint64_t>& owner = m_owners[static_cast<std::size_t>(r)];
    for (int k = 1; !Owns(step, thread, r); ++k) {
        if (m_number.load(std::memory_order_relaxed) != step.number || __atomic_load_n(step.job.stop, __ATOMIC_RELAXED) != 0)
            return false;
        if (Published(Tile(r, c), step.number))
            return true;
        if ((k & 63) == 0 && Stopped(step, thread))
            return false;
        if ((k & 63) == 0 && std::chrono::steady_clock::now() - since > kOvertakeAfter) {
            // The thread on stripe r has lost its core: the stripe is this
            // thread's from now on, and its owner leaves it when it comes back.
            std::uint64_t was = owner.load(std::memory_order_relaxed);
            owner.compare_exchange_strong(was, std::uint64_t{step.number} << 32 | static_cast<std::uint64_t>(thread),
                                          std::memory_order_relaxed);
            continue;
        }
        CpuRelax();
    }
    // Sweep stripe r up to tile c here.
    for (int from = step.FirstChunk(r); !Published(Tile(r, c), step.number);) {
        while (from < c && Published(Tile(r, from), step.number))
            ++from;
        if (r > 0 && !Ensure(step, thread, r - 1, from))
            return false;
        if (!Compute(step, thread, r, from, 0) || Stopped(step, thread))
            return false;
    }
    return true;
}

bool TileBoard::ReadStep(std::uint32_t number, Step& step) const
{
    const StepEntry& entry = m_steps[number % kSteps];
    const std::uint64_t before = entry.sequence.load(std::memory_order_acquire);
    step = entry.step;
    std::atomic_thread_fence(std::memory_order_acquire);
    return before == 2 * std::uint64_t{number} && entry.sequence.load(std::memory_order_relaxed) == before;
}

void TileBoard::Work(int thread)
{
    const std::uint32_t number = m_number.load(std::memory_order_acquire);
    // A copy: a thread that falls behind by several steps keeps its own
    // step's numbers, and so can publish nothing in a later one.
    Step step;
    if (!ReadStep(number, step))
        return;
    int r = 0;
    bool going = !Stopped(step, thread);
    while (going && TakeStripe(step, thread, r)) {
        // Until another thread takes the stripe over (it is then that one's).
        for (int c = step.FirstChunk(r); going && c < step.chunks && Owns(step, thread, r); ++c) {
            const int ahead = r > 0 ? Prepare(step, thread, r, c) : 0;
            going = (r == 0 || Ensure(step, thread, r - 1, c)) &&
                    (Published(Tile(r, c), step.number) ||
                     (Compute(step, thread, r, c, ahead) && !Stopped(step, thread)));
        }
    }
    if (thread != 0 || Stopped(step, thread))
        return;
    // The step's thread makes sure of every stripe's last tile, then waits for
    // the stripes' particles to be finished.
    for (int s = 0; s < step.stripes; ++s) {
        if (!Ensure(step, thread, s, step.chunks - 1))
            return;
    }
    const std::uint64_t all = std::uint64_t{number} << 32 | static_cast<std::uint64_t>(step.stripes);
    for (int k = 0; m_finished.load(std::memory_order_acquire) != all; ++k) {
        if ((k & 63) == 0 && Stopped(step, thread))
            return;
        if (k < 4000)
            CpuRelax();
        else
            std::this_thread::yield();
    }
}
