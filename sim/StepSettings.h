// SPDX-License-Identifier: MIT
#pragma once

// How one ParticleSystem steps: which implementation computes the pair forces,
// and on how many threads. Every kernel gives the same floats, bit for bit; they
// differ only in speed and in the instructions they need.
enum class StepKernel {
    Plain,  // the literal loop, one pair at a time
    Avx2,   // four particles per vector
    Avx512, // eight particles per vector
    Simd128, // four particles per vector, WebAssembly's 128-bit SIMD
};

// "plain", "avx2", "avx512" or "simd128".
const char* KernelName(StepKernel kernel);

// Whether this CPU (and its operating system) can run the kernel. Only x86-64
// builds carry the AVX kernels, and only the WebAssembly SIMD build the simd128
// one; elsewhere only the plain one runs.
bool KernelSupported(StepKernel kernel);

// The kernel a new system starts with: the one the environment variable
// DRIFTMOTE_KERNEL names (plain, avx2 or avx512), or else the fastest the CPU
// supports. A name that is unknown or that the CPU cannot run is reported once
// on stderr, and the fastest supported kernel is used instead.
StepKernel DefaultStepKernel();

// The program name that complaint starts with: "driftmote" unless the program
// sets its own before the kernel is first chosen. `name` must outlive the run.
void SetSimProgramName(const char* name);

// The thread count a new system starts with: the one the environment variable
// DRIFTMOTE_THREADS gives ("auto", or 1 to kMostStepThreads), or else 0, the
// automatic choice. A value it cannot read is reported once on stderr, and the
// automatic choice is used instead.
int DefaultStepThreads();

constexpr int kMostStepThreads = 1024;

// Reads "auto" (0) or a decimal count from 1 to kMostStepThreads, digits only,
// into `threads`; false for anything else, which leaves `threads` as it was.
bool ReadStepThreads(const char* text, int& threads);

class WorkerPool;

struct StepSettings {
    StepKernel kernel = DefaultStepKernel();
    // 0 decides by itself: one thread below the count where a second one can pay
    // off; above it, the step times runs with one thread and with all, keeps to
    // the faster and tries the other now and then (whether a helper thread pays
    // depends on what else the machine runs). 1 keeps every step on the calling
    // thread; 2 or more use up to that many threads for any count with more than
    // one block of particles (tests use this to exercise the hand-over between
    // threads at small counts).
    int threads = DefaultStepThreads();
    // The helper threads (null: the process's pool, one helper per further
    // hardware thread). Tests give a pool of their own to run more threads than
    // the machine has cores.
    WorkerPool* pool = nullptr;
};

// Gives the settings `kernel`. Returns false and changes nothing when the CPU
// cannot run it.
bool SetStepKernel(StepSettings& settings, StepKernel kernel);
