// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "Version.h"
#include "VersionBlock.h"

#include <QCommandLineParser>

namespace {

constexpr const char* kProgram = "driftmote";

// The toolkit's options that take a value (also accepted as -name=value).
constexpr const char* kToolkitValueOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowtitle", "title", "qwindowicon", "icon", "display", "name", "visual", "session",
    "style", "stylesheet", "qmljsdebugger",
};
// The toolkit's options that stand alone.
constexpr const char* kToolkitFlags[] = {
    "reverse", "widgetcount", "nograb", "dograb", "sync", "testability",
};

QCommandLineOption Hidden(QCommandLineOption option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

QString UsageError(const QString& what)
{
    return QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(QLatin1String(kProgram), what);
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // The toolkit's options are single words after one dash (-platform, not -p -l -a ...).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Particles drift in a box under far attraction, near repulsion, friction and\n"
        "reflecting walls. Type new coefficients, step through the Fun Presets, and grab\n"
        "and fling particles with the mouse.\n"
        "\n"
        "The toolkit's standard options (-platform NAME, -style NAME, -reverse, ...)\n"
        "are accepted too."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A snapshot (.driftmote) to open at start."),
                                 QStringLiteral("[FILE]"));
    for (const char* name : kToolkitValueOptions)
        parser.addOption(Hidden(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"))));
    for (const char* name : kToolkitFlags)
        parser.addOption(Hidden(QCommandLineOption(QString::fromLatin1(name))));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result = {false, 2, {}, UsageError(parser.errorText()), {}};
    } else if (parser.isSet(help)) {
        QString text = parser.helpText();
        // Without an application object the parser cannot know the program's name.
        const qsizetype end = text.indexOf(QLatin1Char('\n'));
        text.replace(0, end, QStringLiteral("Usage: %1 [options] [FILE]").arg(QLatin1String(kProgram)));
        result = {false, 0, text, {}, {}};
    } else if (parser.isSet(version)) {
        result = {false, 0,
                  QStringLiteral("%1 %2\n%3\n")
                      .arg(QLatin1String(kProgram), QLatin1String(DRIFTMOTE_VERSION_STRING),
                           QLatin1String(kLegalNotice)),
                  {},
                  {}};
    } else if (parser.positionalArguments().size() > 1) {
        result = {false, 2, {},
                  UsageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().at(1))),
                  {}};
    } else if (!parser.positionalArguments().isEmpty()) {
        result.file = parser.positionalArguments().first();
    }
    return result;
}
