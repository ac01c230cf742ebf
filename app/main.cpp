// SPDX-License-Identifier: MIT
#include "CSwarmApp.h"
#include "CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
        // Output that cannot be written (a full disk, a closed stdout) fails the
        // program, as it does the tool.
        errno = 0;
        if (std::fputs(line.out.toLocal8Bit().constData(), stdout) == EOF || std::fflush(stdout) != 0) {
            const int error = errno;
            std::fprintf(stderr, "driftmote: cannot write the output: %s\n",
                         error != 0 ? std::strerror(error) : "write error");
            return 1;
        }
        std::fputs(line.err.toLocal8Bit().constData(), stderr);
        return line.status;
    }

    // Matches the window to its desktop entry (and so to its icon) on the desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.driftmote.Driftmote"));
    CSwarmApp app(argc, argv);
    app.m_startFile = line.file;
    return app.Run();
}
