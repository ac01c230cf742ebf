#pragma once

class ParticleSystem;

// Which implementation computes the pair forces of Step. Every kernel gives the
// same floats, bit for bit; they differ only in speed and in the instructions
// they need. Scatter always uses its grid, which needs no special instructions.
enum class StepKernel {
    Plain,  // the literal loop, one pair at a time
    Avx2,   // four particles per vector
    Avx512, // eight particles per vector
};

// "plain", "avx2" or "avx512".
const char* KernelName(StepKernel kernel);

// Whether this CPU (and its operating system) can run the kernel.
bool KernelSupported(StepKernel kernel);

// The kernel Step uses. Unless a program or test sets one, it is the fastest the
// CPU supports, or the one the environment variable DRIFTMOTE_KERNEL names
// (plain, avx2 or avx512). A name that is unknown or that the CPU cannot run is
// reported once on stderr, and the fastest supported kernel is used instead.
StepKernel ActiveStepKernel();
const char* ActiveKernelName();

// The program name that complaint starts with: "driftmote" unless the program
// sets its own before the kernel is first chosen. `name` must outlive the run.
void SetSimProgramName(const char* name);

// Makes Step use `kernel`. Returns false and changes nothing when the CPU cannot
// run it.
bool SetStepKernel(StepKernel kernel);

// How many threads Step may use. 0 (the default) decides by itself: one thread
// below the count where a second one can pay off; above it, the step times runs
// with one thread and with all, and keeps to the faster, trying the other now
// and then (whether a helper thread pays depends on what else the machine
// runs). 1 keeps every step on the calling thread; 2 or more use up to that
// many threads for any count that has more than one block of particles (tests
// use this to exercise the hand-over between threads at small counts).
void SetStepThreads(int threads);
int StepThreadSetting();

// The number of threads the most recent Step with a vector kernel used (1 before
// any such step). Steps with the plain kernel, or below kFastStepFrom particles,
// always run on the calling thread.
int ActiveStepThreads();

// Below this count the literal loop is as fast: the vector kernels' setup and
// their padding to whole blocks cost as much as the few pairs (measured: at 4
// particles both take the same time, at 5 the kernels are faster).
constexpr int kFastStepFrom = 5;

// The fast step: the pair sums from the active kernel, then the same per-particle
// finish and array exchange as the literal step. Returns false, having changed
// nothing, when the literal step should run instead (plain kernel, very small
// counts, or missing buffers).
bool StepFast(ParticleSystem& ps);

// Buffers for the fast step, sized together with the particle arrays so that no
// step allocates. NewStepScratch returns null when the memory is not available;
// the step then runs the literal loop.
struct StepScratch;
StepScratch* NewStepScratch(int count);
void DeleteStepScratch(StepScratch* scratch);
