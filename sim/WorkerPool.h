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

    // Runs task(context, t) for t = 0 .. threads - 1, t = 0 on the calling thread,
    // and returns when every part has finished. `threads` is capped at MaxThreads().
    void Run(int threads, Task task, void* context);

private:
    void HelperLoop(int thread);

    std::vector<std::thread> m_helpers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<std::uint64_t> m_generation{0}; // one more for every job, and for the stop
    std::atomic<int> m_pending{0};              // helper parts of the current job not yet finished
    Task m_task = nullptr;
    void* m_context = nullptr;
    int m_threads = 0;
    bool m_stop = false;
};
