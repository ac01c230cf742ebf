// SPDX-License-Identifier: MIT
#pragma once

// The window's command line, read before any window or display is touched, so that
// --help and --version answer on a terminal without a display. The toolkit's own
// options (-platform, -style, -reverse, ...) are accepted and left for the
// application object, which takes them out of argv itself.

#include <QString>
#include <QStringList>

struct CommandLine {
    bool run = true;  // false: print `out` and `err`, then exit with `status`
    int status = 0;   // 0 after --help or --version, 2 on bad usage
    QString out;      // for stdout
    QString err;      // for stderr
    QString file;     // a snapshot to open at start, empty for none
};

// `arguments` is argv as strings, the program's name first. One argument that is
// not an option names a snapshot file to open at start; the file itself is read
// by the window, which reports a bad one in a message box over the usual start.
CommandLine ParseCommandLine(const QStringList& arguments);
