// SPDX-License-Identifier: MIT
#include "Console.h"

#include "Progress.h"
#include "SimCli.h"

#include <csignal>
#include <string>

#include <unistd.h>

namespace {

constexpr std::size_t kEraseLength = std::char_traits<char>::length(kEraseLine);

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

void PrepareConsole()
{
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // SIGHUP: the terminal closed under the run.
    for (int signal : {SIGHUP, SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
}

bool StderrIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}
