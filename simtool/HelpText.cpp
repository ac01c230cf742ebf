// SPDX-License-Identifier: MIT
#include "HelpText.h"

#include "OptionTable.h"

#include <algorithm>

namespace {

constexpr const char* kIntroduction =
    "Usage: driftmote-sim [OPTION]...\n"
    "Run the particle simulation without a window and print the particle states.\n"
    "\n"
    "It starts as the window does (3 particles scattered, then preset 0), applies the\n"
    "options in the order given, as if typed into the window's boxes, then steps.\n"
    "\n";

constexpr const char* kNotes =
    "\n"
    "Options take their value as the next argument or after '=' (--num=128).\n"
    "Every float is printed with %.9g, so it reads back as the same float.\n"
    "Every printed frame is flushed when complete; Ctrl+C stops after the last one.\n"
    "Lines end in LF alone on every system, Windows included.\n"
    "\n"
    "Environment:\n"
    "  DRIFTMOTE_KERNEL   the step's kernel: plain, avx2 or avx512 (default: the\n"
    "                     fastest this CPU runs); every kernel gives the same floats\n"
    "  DRIFTMOTE_THREADS  the step's threads: auto (default: all the machine's\n"
    "                     while they are faster than one) or 1 to 1024; the floats\n"
    "                     are the same\n"
    "\n"
    "Exit status: 0 on success, 1 if the run fails (including output that cannot\n"
    "be written), 2 on bad usage, 129, 130 or 143 when stopped by SIGHUP, SIGINT\n"
    "or SIGTERM (130 for Ctrl+C and Ctrl+Break in a Windows console); a pipe whose\n"
    "reader has gone ends it silently by SIGPIPE (141 in the shell).\n"
    "\n"
    "Examples:\n"
    "  driftmote-sim --frames 100 --print 0,1,100\n"
    "  driftmote-sim --preset 1 --friction .1 --format jsonl\n"
    "  driftmote-sim --num 1000 --frames 50 --bench\n"
    "  driftmote-sim --preset 2 --frames 500 --save run.driftmote --picture run.png\n"
    "  driftmote-sim --load run.driftmote --print all --picture 'f%05d.png'\n"
    "  driftmote-sim --preset 4 --frames 600 --video swarm.mp4\n";

// The column where the options' descriptions start.
constexpr std::size_t kHelpColumn = 21;

// One entry: the names and the value on the left, the description beside them,
// its further lines under its first.
std::string Entry(const std::string& names, const std::string& help)
{
    std::string entry = "  " + names;
    entry.resize(std::max(kHelpColumn, entry.size() + 2), ' ');
    for (const char c : help)
        entry += c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, c);
    return entry + "\n";
}

} // namespace

std::string HelpText()
{
    std::string help = kIntroduction;
    for (const OptionRow& row : OptionTable()) {
        std::string names = row.name;
        if (row.shortName == " ")
            names = "    " + names;
        else if (!row.shortName.empty())
            names = row.shortName + ", " + names;
        if (!row.value.empty())
            names += " " + row.value;
        help += Entry(names, row.help);
    }
    return help + Entry("--", "end of the options") + kNotes;
}
