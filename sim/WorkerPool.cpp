// SPDX-License-Identifier: MIT
#include "WorkerPool.h"

#include "CpuRelax.h"

#include <chrono>

namespace {

// A helper keeps polling for the next job this long before it sleeps: steps of
// a running simulation follow one another closely, and waking a sleeping
// thread costs more than a small step takes.
constexpr std::chrono::microseconds kHelperSpin{300};

// The calling thread polls this long for the helpers to finish their parts.
constexpr std::chrono::microseconds kFinishPoll{200};

constexpr std::uint64_t kClosed = std::uint64_t{1} << 31;
constexpr std::uint64_t kJoinedMask = kClosed - 1;

} // namespace

WorkerPool& WorkerPool::Instance()
{
    static WorkerPool pool(static_cast<int>(std::thread::hardware_concurrency()) - 1);
    return pool;
}

WorkerPool::WorkerPool(int helpers)
{
    for (int t = 1; t <= helpers; ++t) {
        try {
            m_helpers.emplace_back(&WorkerPool::HelperLoop, this, t);
        } catch (const std::system_error&) {
            break; // fewer helpers than asked for: the step simply uses fewer threads
        }
    }
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_generation.fetch_add(1, std::memory_order_release);
    }
    m_wake.notify_all();
    for (std::thread& helper : m_helpers)
        helper.join();
}

void WorkerPool::Run(int threads, Task task, void* context)
{
    if (threads > MaxThreads())
        threads = MaxThreads();
    if (threads <= 1) {
        task(context, 0);
        return;
    }
    std::uint64_t generation;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_task = task;
        m_context = context;
        m_threads = threads;
        m_finished.store(0, std::memory_order_relaxed);
        generation = m_generation.load(std::memory_order_relaxed) + 1;
        m_entry.store(generation << 32, std::memory_order_relaxed);
        m_generation.store(generation, std::memory_order_release);
    }
    m_wake.notify_all();
    task(context, 0);
    // Close the job: a helper that has not joined by now stays out, and only the
    // ones that joined are waited for.
    const int joined = static_cast<int>(m_entry.fetch_or(kClosed, std::memory_order_acq_rel) & kJoinedMask);
    // A helper that is not done soon has lost its core: sleep, so that it can
    // have this one, rather than take turns with it.
    const auto pollEnd = std::chrono::steady_clock::now() + kFinishPoll;
    int finished = m_finished.load(std::memory_order_acquire);
    for (int k = 1; finished != joined; ++k) {
        if (k >= 64 && std::chrono::steady_clock::now() > pollEnd)
            m_finished.wait(finished, std::memory_order_acquire);
        else
            CpuRelax();
        finished = m_finished.load(std::memory_order_acquire);
    }
}

void WorkerPool::HelperLoop(int thread)
{
    std::uint64_t seen = 0;
    for (;;) {
        // Poll for a while, then sleep until the generation moves on.
        const auto spinEnd = std::chrono::steady_clock::now() + kHelperSpin;
        std::uint64_t now = m_generation.load(std::memory_order_acquire);
        for (int k = 0; now == seen; ++k) {
            if ((k & 63) == 63 && std::chrono::steady_clock::now() > spinEnd)
                break;
            CpuRelax();
            now = m_generation.load(std::memory_order_acquire);
        }
        Task task;
        void* context;
        int threads;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] { return m_generation.load(std::memory_order_relaxed) != seen; });
            seen = m_generation.load(std::memory_order_relaxed);
            if (m_stop)
                return;
            task = m_task;
            context = m_context;
            threads = m_threads;
        }
        if (thread < threads && Join(seen)) {
            task(context, thread);
            m_finished.fetch_add(1, std::memory_order_release);
            m_finished.notify_all();
        }
    }
}

bool WorkerPool::Join(std::uint64_t generation)
{
    std::uint64_t entry = m_entry.load(std::memory_order_acquire);
    while ((entry >> 32) == (generation & 0xFFFFFFFFu) && (entry & kClosed) == 0) {
        if (m_entry.compare_exchange_weak(entry, entry + 1, std::memory_order_acq_rel, std::memory_order_acquire))
            return true;
    }
    return false; // the job is over, or a newer one has begun
}
