#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// driftmote-sim, the simulation without a window. It starts as the window does
// (3 particles scattered, then the texts of preset 0 typed into the four boxes),
// applies its options in the order given as if they were typed into the boxes,
// runs the steps and prints the particle states (or, with --bench, the speed).
//
// `args` are the arguments after the program name. States go to `out`,
// diagnostics to `err`. Returns the exit status: 0 on success, 1 when the run
// fails, 2 on bad usage. The random source is used from whatever state it is in,
// as the program's one run always finds it at its start.
int RunSimCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
