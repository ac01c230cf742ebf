// SPDX-License-Identifier: MIT
#include "CSwarmApp.h"
#include "CommandLine.h"

#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The toolkit's messages while it opens the display, held back: without a display
// they would be three paragraphs ending in an abort, and the user gets one line
// and status 1 instead. With a display they are printed as they would have been.
QStringList g_heldMessages;

// One line on what the display variables say.
QByteArray NoDisplayLine()
{
    QByteArray set;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            set += (set.isEmpty() ? "" : ", ") + QByteArray(name) + "=" + value;
    }
    if (set.isEmpty())
        return "driftmote: no display to show the window on: DISPLAY and WAYLAND_DISPLAY are not set\n";
    return "driftmote: cannot open the display to show the window on (" + set + ")\n";
}

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fputs(NoDisplayLine().constData(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    g_heldMessages.append(qFormatLogMessage(type, context, message));
}

} // namespace

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
    qInstallMessageHandler(HoldStartMessage);
    CSwarmApp app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& held : g_heldMessages)
        std::fprintf(stderr, "%s\n", qPrintable(held));
    g_heldMessages.clear();
    app.m_startFile = line.file;
    return app.Run();
}
