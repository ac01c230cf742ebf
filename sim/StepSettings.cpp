// SPDX-License-Identifier: MIT
#include "StepSettings.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

StepKernel BestKernel()
{
    if (KernelSupported(StepKernel::Simd128))
        return StepKernel::Simd128;
    if (KernelSupported(StepKernel::Avx512))
        return StepKernel::Avx512;
    if (KernelSupported(StepKernel::Avx2))
        return StepKernel::Avx2;
    return StepKernel::Plain;
}

const char* g_programName = "driftmote";

StepKernel KernelFromEnvironment()
{
    const StepKernel best = BestKernel();
    const char* name = std::getenv("DRIFTMOTE_KERNEL");
    if (name == nullptr || *name == '\0')
        return best;
    for (StepKernel k : {StepKernel::Plain, StepKernel::Avx2, StepKernel::Avx512, StepKernel::Simd128}) {
        if (std::strcmp(name, KernelName(k)) == 0) {
            if (KernelSupported(k))
                return k;
            std::fprintf(stderr, "%s: DRIFTMOTE_KERNEL=%s: this CPU cannot run that kernel; using %s\n",
                         g_programName, name, KernelName(best));
            return best;
        }
    }
    std::fprintf(stderr, "%s: DRIFTMOTE_KERNEL=%s is not one of plain, avx2, avx512, simd128; using %s\n",
                 g_programName, name, KernelName(best));
    return best;
}

int ThreadsFromEnvironment()
{
    const char* text = std::getenv("DRIFTMOTE_THREADS");
    int threads = 0;
    if (text != nullptr && *text != '\0' && !ReadStepThreads(text, threads))
        std::fprintf(stderr, "%s: DRIFTMOTE_THREADS=%s is not auto or a count of threads from 1 to %d; using auto\n",
                     g_programName, text, kMostStepThreads);
    return threads;
}

} // namespace

const char* KernelName(StepKernel kernel)
{
    switch (kernel) {
    case StepKernel::Avx2:
        return "avx2";
    case StepKernel::Avx512:
        return "avx512";
    case StepKernel::Simd128:
        return "simd128";
    case StepKernel::Plain:
        break;
    }
    return "plain";
}

bool KernelSupported(StepKernel kernel)
{
#ifdef DRIFTMOTE_X86_KERNELS
    __builtin_cpu_init();
    switch (kernel) {
    case StepKernel::Avx2:
        return __builtin_cpu_supports("avx2");
    case StepKernel::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl");
    case StepKernel::Simd128:
        return false;
    case StepKernel::Plain:
        break;
    }
    return true;
#elif defined(DRIFTMOTE_WASM_KERNEL)
    return kernel == StepKernel::Plain || kernel == StepKernel::Simd128;
#else
    return kernel == StepKernel::Plain;
#endif
}

void SetSimProgramName(const char* name)
{
    g_programName = name;
}

StepKernel DefaultStepKernel()
{
    // Read once, so that the environment's message comes once per process.
    static const StepKernel kernel = KernelFromEnvironment();
    return kernel;
}

bool SetStepKernel(StepSettings& settings, StepKernel kernel)
{
    if (!KernelSupported(kernel))
        return false;
    settings.kernel = kernel;
    return true;
}

bool ReadStepThreads(const char* text, int& threads)
{
    if (std::strcmp(text, "auto") == 0) {
        threads = 0;
        return true;
    }
    // from_chars takes no sign but a minus, no space and no other base.
    const char* end = text + std::strlen(text);
    int value = 0;
    const auto [at, error] = std::from_chars(text, end, value);
    if (error != std::errc{} || at != end || value < 1 || value > kMostStepThreads)
        return false;
    threads = value;
    return true;
}

int DefaultStepThreads()
{
    static const int threads = ThreadsFromEnvironment();
    return threads;
}
