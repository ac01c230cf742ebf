// SPDX-License-Identifier: MIT
// The waits between the threads of a step. They live here, compiled for any
// CPU, rather than in the kernels' files: the library's waiting templates would
// otherwise be compiled for a kernel's instruction set and could be shared with
// callers on a CPU without it.
#include "CpuRelax.h"
#include "StepKernels.h"

#include <atomic>
#include <chrono>

namespace {

// How long a thread polls before it sleeps. The sweep ahead publishes every few
// microseconds while it runs (and a sleeping thread takes tens of microseconds
// to wake), so a longer silence means that it has lost its core.
constexpr std::chrono::microseconds kPollFor{50};

} // namespace

int AwaitRowProgress(RowProgress& row, int need, int enough)
{
    std::atomic<int>& done = row.done;
    int value = done.load(std::memory_order_acquire);
    if (value >= need)
        return value;
    const auto pollEnd = std::chrono::steady_clock::now() + kPollFor;
    for (int k = 1;; ++k) {
        CpuRelax();
        value = done.load(std::memory_order_acquire);
        if (value >= enough)
            return value;
        if ((k & 63) == 0 && std::chrono::steady_clock::now() > pollEnd)
            break;
    }
    if (value >= need)
        return value;
    // Say that this thread sleeps before looking once more, and the publisher
    // stores before it looks whether anyone sleeps: one of the two sees the
    // other's store, so a publication is never missed.
    std::atomic<int>& sleeping = row.sleeping;
    sleeping.store(1, std::memory_order_seq_cst);
    while ((value = done.load(std::memory_order_seq_cst)) < need)
        done.wait(value, std::memory_order_acquire);
    sleeping.store(0, std::memory_order_relaxed);
    return value;
}

void PublishRowProgress(RowProgress& row, int value)
{
    std::atomic<int>& done = row.done;
    done.store(value, std::memory_order_seq_cst);
    // Waking costs a call into the library, so only a sweep that sleeps is woken.
    if (row.sleeping.load(std::memory_order_seq_cst) != 0)
        done.notify_all();
}
