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
};

// `arguments` is argv as strings, the program's name first.
CommandLine ParseCommandLine(const QStringList& arguments);
