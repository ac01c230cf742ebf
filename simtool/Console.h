// SPDX-License-Identifier: MIT
#pragma once

// driftmote-sim's terminal, the part that differs between systems: how stdout
// writes, how a stop request arrives and whether stderr is a terminal.

// Makes stdout write its bytes as given (lines end in LF alone, on Windows too)
// and lets Ctrl+C stop the run between frames: SIGINT and SIGTERM on POSIX
// systems, the console's Ctrl+C and Ctrl+Break on Windows (both as SIGINT). Each
// sets g_simCliStop; inside the scatter the program ends at once with 128 plus
// the signal, after wiping a progress notice off the terminal.
void PrepareConsole();

// Whether stderr is a terminal that can show the progress line (on Windows, a
// console that takes the line's escape sequence).
bool StderrIsTerminal();
