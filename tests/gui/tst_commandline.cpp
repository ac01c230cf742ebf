// SPDX-License-Identifier: MIT
// The window's command line, read with no application object at all (as main()
// reads it): what runs the window, what answers and exits, what is a usage error.

#include "CommandLine.h"
#include "Version.h"

#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void outcome_data();
    void outcome();
    void snapshotToOpen_data();
    void snapshotToOpen();
};

void TestCommandLine::outcome_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("run");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("outStart"); // what stdout starts with
    QTest::addColumn<QString>("errHas");   // what stderr contains

    const QString none;
    const QString version = QStringLiteral("driftmote " DRIFTMOTE_VERSION_STRING "\n");
    QTest::newRow("nothing") << QStringList{} << true << 0 << none << none;
    // The toolkit's options, with their values in either form, are left to it.
    QTest::newRow("toolkit options")
        << QStringList{"-platform", "offscreen", "-style=fusion", "-reverse", "--qwindowtitle", "x"} << true << 0
        << none << none;
    QTest::newRow("help") << QStringList{"--help"} << false << 0 << QStringLiteral("Usage: driftmote [options] [FILE]\n")
                          << none;
    QTest::newRow("h beside a toolkit option")
        << QStringList{"-style", "fusion", "-h"} << false << 0 << QStringLiteral("Usage: driftmote") << none;
    QTest::newRow("version") << QStringList{"--version"} << false << 0 << version << none;
    QTest::newRow("single-dash version") << QStringList{"-version"} << false << 0 << version << none;
    QTest::newRow("unknown long option")
        << QStringList{"--bogus"} << false << 2 << none << QStringLiteral("'bogus'");
    // An unknown option is an error even beside --version.
    QTest::newRow("unknown before version")
        << QStringList{"-x", "--version"} << false << 2 << none << QStringLiteral("driftmote --help");
    QTest::newRow("toolkit option without its value")
        << QStringList{"-platform"} << false << 2 << none << QStringLiteral("-platform");
    QTest::newRow("a second argument")
        << QStringList{"a.driftmote", "swarm.txt"} << false << 2 << none << QStringLiteral("'swarm.txt'");
}

void TestCommandLine::outcome()
{
    QFETCH(QStringList, args);
    QFETCH(bool, run);
    QFETCH(int, status);
    QFETCH(QString, outStart);
    QFETCH(QString, errHas);

    args.prepend(QStringLiteral("/usr/bin/driftmote"));
    const CommandLine line = ParseCommandLine(args);
    QCOMPARE(line.run, run);
    QCOMPARE(line.status, status);
    QVERIFY2(line.out.startsWith(outStart), qPrintable(line.out));
    QCOMPARE(line.out.isEmpty(), outStart.isEmpty());
    QVERIFY2(line.err.contains(errHas), qPrintable(line.err));
    QCOMPARE(line.err.isEmpty(), errHas.isEmpty());
}

void TestCommandLine::snapshotToOpen_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file");
    QTest::newRow("none") << QStringList{"-style", "fusion"} << QString();
    QTest::newRow("after a toolkit option's value")
        << QStringList{"-platform", "offscreen", "run.driftmote"} << QStringLiteral("run.driftmote");
    QTest::newRow("a name like an option after --") << QStringList{"--", "-reverse"} << QStringLiteral("-reverse");
}

void TestCommandLine::snapshotToOpen()
{
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    args.prepend(QStringLiteral("driftmote"));
    const CommandLine line = ParseCommandLine(args);
    QVERIFY(line.run);
    QCOMPARE(line.file, file);
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
