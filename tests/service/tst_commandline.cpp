// The command line's conventions, run as a user would, with no display at all: --version, the
// usage and status 2 for what it does not know, one plain sentence for a window that cannot
// open, the statistics as text, and the bash completion through bash's completion machinery.
#include "support/EmulatedLine.h"
#include "support/Files.h"

#include <QDate>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void versionNeedsNoDisplay();
    void unknownWordsGetTheUsage_data();
    void unknownWordsGetTheUsage();
    void theWindowWithoutADisplaySaysSo();
    void statsPrintsTheFigures();
    void bashCompletesTheWords_data();
    void bashCompletesTheWords();

private:
    EmulatedLine m_line; // its private folders; no modem is started
};

void TestCommandLine::initTestCase() {
    if (!EmulatedLine::Built())
        QSKIP("hushwire and hushwire-service are not built");
}

void TestCommandLine::versionNeedsNoDisplay() {
    const EmulatedLine::Result result = m_line.run({QStringLiteral("--version")});
    QCOMPARE(result.status, 0);
    QVERIFY2(QRegularExpression(QStringLiteral("^hushwire \\d+\\.\\d+\\.\\d+\\n$"))
                 .match(result.out)
                 .hasMatch(),
             qPrintable(result.out));
}

void TestCommandLine::unknownWordsGetTheUsage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("what");
    QTest::newRow("command") << QStringList{QStringLiteral("rules")} << QStringLiteral("command");
    QTest::newRow("option") << QStringList{QStringLiteral("--verbose")} << QStringLiteral("option");
    QTest::newRow("after a window option")
        << QStringList{QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("-x")}
        << QStringLiteral("option");
    QTest::newRow("bad days") << QStringList{QStringLiteral("stats"), QStringLiteral("--days"),
                                             QStringLiteral("0")}
                              << QStringLiteral("days");
}

void TestCommandLine::unknownWordsGetTheUsage() {
    QFETCH(QStringList, args);
    QFETCH(QString, what);
    const EmulatedLine::Result result = m_line.run(args);
    QCOMPARE(result.status, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.startsWith(QStringLiteral("hushwire: ")), qPrintable(result.err));
    QVERIFY2(result.err.contains(what), qPrintable(result.err));
    if (what != QLatin1String("days"))
        QVERIFY2(result.err.contains(QStringLiteral("Usage: hushwire")), qPrintable(result.err));
}

void TestCommandLine::theWindowWithoutADisplaySaysSo() {
    const EmulatedLine::Result result = m_line.run({});
    QCOMPARE(result.status, 1);
    QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(result.err.contains(QStringLiteral("no display")) &&
                 result.err.contains(QStringLiteral("hushwire --service")),
             qPrintable(result.err));
}

void TestCommandLine::statsPrintsTheFigures() {
    const QDate today = QDate::currentDate();
    const QString logs = m_line.appFolder() + QStringLiteral("/LogFiles");
    QVERIFY(WriteLogDay(logs, today,
                        {QStringLiteral("CallerID:8005550199                         Blocked  <1>"),
                         QStringLiteral("CallerID:8005550199                         Blocked  <2>"),
                         QStringLiteral("CallerID:5551234567 [JOHN DOE]  <3>")}));
    QVERIFY(WriteLogDay(logs, today.addDays(-1), {QStringLiteral("CallerID:5551234567  <4>")}));
    const EmulatedLine::Result result =
        m_line.run({QStringLiteral("stats"), QStringLiteral("--days"), QStringLiteral("2")});
    QCOMPARE(result.status, 0);
    QVERIFY2(result.out.startsWith(
                 QStringLiteral("Calls from %1 to %2: 2 passed, 2 blocked\n")
                     .arg(today.addDays(-1).toString(u"yy-MM-dd"), today.toString(u"yy-MM-dd"))),
             qPrintable(result.out));
    QVERIFY(result.out.contains(today.toString(u"yy-MM-dd") + QStringLiteral("       1        2")));
    QVERIFY(result.out.contains(QStringLiteral("  8005550199                2")));
    QVERIFY(result.out.contains(QStringLiteral("  public list       2  100%")));
}

void TestCommandLine::bashCompletesTheWords_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("command") << QStringLiteral("hushwire li") << QStringLiteral("list");
    QTest::newRow("option") << QStringLiteral("hushwire --v") << QStringLiteral("--version");
    QTest::newRow("list verb") << QStringLiteral("hushwire list ")
                               << QStringLiteral("add remove show import export");
    QTest::newRow("list kind") << QStringLiteral("hushwire list show p")
                               << QStringLiteral("public private");
    QTest::newRow("log option") << QStringLiteral("hushwire log --f") << QStringLiteral("--follow");
    QTest::newRow("stats option") << QStringLiteral("hushwire stats ") << QStringLiteral("--days");
    QTest::newRow("status takes nothing") << QStringLiteral("hushwire status ") << QString();
}

void TestCommandLine::bashCompletesTheWords() {
    QFETCH(QString, line);
    QFETCH(QString, expected);
    // As bash does on Tab: the words of the line, the one under the cursor, and the function
    // that complete registered for the command.
    const QString script = QStringLiteral(
        "source \"$1\"\n"
        "read -r -a COMP_WORDS <<< \"$2\"\n"
        "[[ $2 == *' ' ]] && COMP_WORDS+=('')\n"
        "COMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 ))\n"
        "COMP_LINE=$2; COMP_POINT=${#2}\n"
        "registered=$(complete -p hushwire) || exit 3\n"
        "function=${registered#*-F }; function=${function%% *}\n"
        "\"$function\" hushwire \"${COMP_WORDS[COMP_CWORD]}\" \"${COMP_WORDS[COMP_CWORD-1]}\"\n"
        "echo \"${COMPREPLY[*]}\"\n");
    QProcess bash;
    bash.start(QStringLiteral("bash"),
               {QStringLiteral("-c"), script, QStringLiteral("bash"),
                QStringLiteral(HW_SOURCE_DIR "/packaging/hushwire.bash-completion"), line});
    QVERIFY(bash.waitForFinished(10000));
    QCOMPARE(bash.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(bash.readAllStandardOutput()).trimmed(), expected);
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
