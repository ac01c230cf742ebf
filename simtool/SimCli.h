// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// driftmote-sim, the simulation without a window. It starts as the window does
// (3 particles scattered, then the texts of preset 0 typed into the four boxes),
// applies its options in the order given as if they were typed into the boxes,
// runs the steps and prints the particle states (or, with --bench, the speed).
//
// `args` are the arguments after the program name. States go to `out`,
// diagnostics to `err`; when `errIsTerminal`, a long run also shows its progress
// there (unless --quiet), timed by `now`. Every printed frame is flushed when complete; output
// that cannot be written ends the run at once. Returns the exit status: 0 on
// success, 1 when the run fails, 2 on bad usage, 128 + the signal when
// g_simCliStop stopped it. The random source is used from whatever state it is
// in, as the program's one run always finds it at its start.
int RunSimCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              bool errIsTerminal = false,
              const std::function<std::chrono::steady_clock::time_point()>& now = std::chrono::steady_clock::now);

// The signal that asks the run to stop (SIGINT or SIGTERM), set by the
// program's handlers; 0 while none did. The run looks at it between frames and
// ends with every frame printed so far complete and flushed.
extern volatile std::sig_atomic_t g_simCliStop;

// 1 while the run is inside one long call that cannot look at g_simCliStop (the
// scatter of the particles), before anything is printed: a handler may end the
// program at once then.
extern volatile std::sig_atomic_t g_simCliBusy;
