// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// A persistent set of helper threads for the fast step: they are started once,
// on first use, and then wait for work, so no step ever creates a thread. The
// process-wide pool stops and joins its threads when the program exits.
class WorkerPool {
public:
    using Task = void (*)(void* context, int thread);

    // The pool of the process, with one helper per further hardware thread.
    static WorkerPool& Instance();

    explicit WorkerPool(int helpers);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The largest thread count Run can use: the caller plus the helpers.
    int MaxThreads() const { return static_cast<int>(m_helpers.size()) + 1; }

    // Runs task(context, 0) on the calling thread and offers task(context, t),
    // t = 1 .. threads - 1, to the helpers; `threads` is capped at MaxThreads().
    // A helper that has not taken its part by the time the calling thread is done
    // with its own is left out, so the task must get all the work done by
    // whoever takes part (tasks share their work through the context). Returns
    // when the calling thread's part returns, which must be when the work is
    // done: a helper that lost its core may still be inside the task then, so
    // the context must outlive the call, and the task must keep such a helper
    // from doing harm (see TileBoard.h).
    void Run(int threads, Task task, void* context);

    // Waits until no helper is inside a task: before a task's context goes.
    void Quiesce();

private:
    void HelperLoop(int thread);
    // Takes part in job `generation` unless it is closed already.
    bool Join(std::uint64_t generation);

    std::vector<std::thread> m_helpers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<std::uint64_t> m_generation{0}; // one more for every job, and for the stop
    // The current job's entry: its generation in the high half, the closed flag
    // and the number of helpers that took part in the low half.
    std::atomic<std::uint64_t> m_entry{0};
    std::atomic<int> m_inside{0}; // helpers inside a task, or about to join one
    Task m_task = nullptr;
    void* m_context = nullptr;
    int m_threads = 0;
    bool m_stop = false;
};
