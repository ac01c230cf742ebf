// SPDX-License-Identifier: MIT
#include "WorkerPool.h"

#include "CpuRelax.h"

#include <chrono>

namespace {

// A helper keeps polling for the next job this long before it sleeps: steps of
// a running simulation follow one another closely, and waking a sleeping
// thread costs more than a small step takes. While it polls it offers its core
// now and then, to the step's thread above all, which may share it when another
// program keeps the other core busy.
constexpr std::chrono::microseconds kHelperSpin{300};

constexpr std::uint64_t kClosed = std::uint64_t{1} << 31;

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
        generation = m_generation.load(std::memory_order_relaxed) + 1;
        m_entry.store(generation << 32, std::memory_order_relaxed);
        m_generation.store(generation, std::memory_order_release);
    }
    m_wake.notify_all();
    task(context, 0);
    // Close the job: a helper that has not joined by now stays out. The task
    // is done once the calling thread's part returns (see Run in the header);
    // helpers still inside finish on their own.
    m_entry.fetch_or(kClosed, std::memory_order_acq_rel);
}

void WorkerPool::Quiesce()
{
    m_entry.fetch_or(kClosed, std::memory_order_acq_rel);
    // Rare (a step that stopped, buffers that go), so a plain sleep does.
    while (m_inside.load(std::memory_order_acquire) != 0)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

void WorkerPool::HelperLoop(int thread)
{
    std::uint64_t seen = 0;
    for (;;) {
        // Poll for a while, then sleep until the generation moves on.
        const auto spinEnd = std::chrono::steady_clock::now() + kHelperSpin;
        std::uint64_t now = m_generation.load(std::memory_order_acquire);
        for (int k = 0; now == seen; ++k) {
            if ((k & 63) == 63) {
                if (std::chrono::steady_clock::now() > spinEnd)
                    break;
                std::this_thread::yield();
            }
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
        // Counted as inside before it joins, so that Quiesce, which closes the
        // job first, cannot miss a helper that is about to join.
        m_inside.fetch_add(1, std::memory_order_acq_rel);
        if (thread < threads && Join(seen)) {
            task(context, thread);
            // When another program keeps a core busy, the calling thread may be
            // waiting for this core to finish the job: it gets it now rather
            // than after this thread's polling.
            std::this_thread::yield();
        }
        m_inside.fetch_sub(1, std::memory_order_acq_rel);
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
