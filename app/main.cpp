// SPDX-License-Identifier: MIT
#include "CSwarmApp.h"
#include "CommandLine.h"

#include <cstdio>

// The command line is read first: --help, --version and bad usage end here, before
// the application object would look for a display. The toolkit's own options pass
// through to it.
int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = ParseCommandLine(arguments);
    if (!line.run) {
        std::fputs(line.out.toLocal8Bit().constData(), stdout);
        std::fputs(line.err.toLocal8Bit().constData(), stderr);
        return line.status;
    }

    // Matches the window to its desktop entry (and so to its icon) on the desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.driftmote.Driftmote"));
    CSwarmApp app(argc, argv);
    app.m_startFile = line.file;
    return app.Run();
}
