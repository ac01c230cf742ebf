// SPDX-License-Identifier: MIT
#include "FastStep.h"
#include "SimCli.h"
#include "SimRun.h"
#include "StateText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ostream>

namespace {

// Which loop the steps ran and on how many threads: the literal loop for counts
// the vector kernels do not take, else the kernel of the last step.
std::string KernelDescription(const ParticleSystem& particles)
{
    const StepKernel kernel = particles.m_stepSettings.kernel;
    const bool literal = kernel == StepKernel::Plain || particles.m_nCount < kFastStepFrom ||
                         particles.m_pScratch == nullptr;
    if (literal)
        return "kernel: plain, threads: 1";
    return std::string("kernel: ") + KernelName(kernel) + ", threads: " + std::to_string(ThreadsOfLastStep(particles.m_pScratch));
}

} // namespace

int RunBench(SwarmSession& session, long long frames, std::ostream& out, std::ostream& err)
{
    const ParticleSystem& particles = session.Particles();
    const auto start = std::chrono::steady_clock::now();
    for (long long frame = 0; frame < frames; ++frame) {
        if (g_simCliStop != 0)
            return StoppedStatus();
        session.Frame();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double count = particles.m_nCount;
    const double seconds = std::max(elapsed.count(), 1e-9);
    // Fewer than two particles have no pairs: 0, never -0 from 0 * -1.
    const double pairs = count > 1.0 ? count * (count - 1.0) : 0.0;
    char buffer[256];
    std::snprintf(buffer, sizeof buffer,
                  "%s\nparticles: %d\nsteps: %lld\nseconds: %.6f\nsteps per second: %.6g\n"
                  "pair evaluations per second: %.6g\n",
                  KernelDescription(particles).c_str(), particles.m_nCount, frames, elapsed.count(),
                  static_cast<double>(frames) / seconds, static_cast<double>(frames) * pairs / seconds);
    errno = 0;
    out << buffer;
    return Flushed(out, err) ? 0 : 1;
}
