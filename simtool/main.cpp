// SPDX-License-Identifier: MIT
#include "Progress.h"
#include "SimCli.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::size_t kEraseLength = std::char_traits<char>::length(kEraseLine);

// Ctrl+C and SIGTERM ask the run to stop between frames. Inside the scatter,
// before anything is printed, the program ends at once with the status a shell
// expects, after wiping a progress notice off the terminal.
extern "C" void OnStopSignal(int signal)
{
    g_simCliStop = signal;
    if (g_simCliBusy != 0) {
        if (isatty(STDERR_FILENO))
            (void)!write(STDERR_FILENO, kEraseLine, kEraseLength);
        _exit(128 + signal);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return RunSimCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                     isatty(STDERR_FILENO) != 0);
}
