// The headless service on the modem emulator and a listening SIP line, with no display at all:
// it screens a listed caller on each, takes up a list edited from the command line for the next
// call, answers the status request, and on SIGTERM puts the line on hook and ends with status 0.
// Then the command line's handling of bad input, and the list watcher's view of atomic rewrites.
#include "lists/ListFiles.h"
#include "service/ListFileWatcher.h"
#include "support/EmulatedLine.h"
#include "support/ListFolder.h"
#include "support/SipRig.h"
#include "support/Sipp.h"

#include <QDate>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <csignal>

class TestService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void screensAListedCallerWithoutADisplay();
    void aListEditedFromTheCommandLineBlocksTheNextCall();
    void screensAListedCallerOnASipLine();
    void sigtermPutsTheLineOnHook();
    void badCommandLineInputIsRefused_data();
    void badCommandLineInputIsRefused();
    void everyAtomicRewriteOfAListIsSeen();
    void logFollowGivesEachLineAsItIsAdded();
    void cleanupTestCase();

private:
    // A blocked call's answer counts once its message has started.
    void callFrom(const QByteArray& number);
    int answers() const { return m_line.modemLogCount(QStringLiteral("RX AT+VLS=1")); }

    EmulatedLine m_line;
    QProcess m_service;
    QString m_journal; // what the service wrote to standard error
    QTemporaryDir m_sippFolder;
    int m_sipPort = 0;
};

void TestService::initTestCase() {
    if (!EmulatedLine::Built())
        QSKIP("hushwire, hushwire-service and hushwire-fakemodem are not built");
    QVERIFY(m_line.start());
    const EmulatedLine::Result added =
        m_line.run({QStringLiteral("list"), QStringLiteral("add"), QStringLiteral("public"),
                    QStringLiteral("8005550199")});
    QCOMPARE(added.status, 0);
    // Line 1: a SIP line listening on 127.0.0.1 for calls from there.
    m_sipPort = SipRig::FreePort();
    {
        QSettings settings(m_line.environment(false).value(QStringLiteral("XDG_CONFIG_HOME")) +
                               QStringLiteral("/hushwire/hushwire.conf"),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("Config/Line1"), 1);
        settings.setValue(QStringLiteral("Sip1/Listen"),
                          QStringLiteral("127.0.0.1:%1").arg(m_sipPort));
        settings.setValue(QStringLiteral("Sip1/Allow"), QStringLiteral("127.0.0.1"));
    }

    // Started as a user would, through the desktop program, which hands it on before any
    // window system is touched.
    m_service.setProcessEnvironment(m_line.environment(false));
    connect(&m_service, &QProcess::readyReadStandardError, this,
            [this] { m_journal += QString::fromLocal8Bit(m_service.readAllStandardError()); });
    m_service.start(m_line.program(), {QStringLiteral("--service")});
    QVERIFY(m_service.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(QStringLiteral("Line0 is ready")), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(QStringLiteral("Line1 is ready")), 20000);
}

void TestService::callFrom(const QByteArray& number) {
    m_line.play("ring\nwait 800\ncid NMBR=" + number + " NAME=CALLER\n");
}

void TestService::screensAListedCallerWithoutADisplay() {
    callFrom("8005550199");
    QTRY_VERIFY_WITH_TIMEOUT(m_line.modemLogCount(QStringLiteral("EV vtx start")) == 1, 20000);
    QCOMPARE(answers(), 1);
    // The status request, answered mid-call, and the log in the file and on standard error.
    const EmulatedLine::Result status = m_line.run({QStringLiteral("status")});
    QCOMPARE(status.status, 0);
    QVERIFY2(status.out.startsWith(QStringLiteral("Line0\tcall\t")), qPrintable(status.out));
    QTRY_VERIFY_WITH_TIMEOUT(m_line.onHook(), 30000);
    QVERIFY(m_line.logLines().filter(QStringLiteral("Blocked")).size() == 1);
    QVERIFY(m_journal.contains(QStringLiteral("CallerID:8005550199 [CALLER]")));
}

void TestService::aListEditedFromTheCommandLineBlocksTheNextCall() {
    const EmulatedLine::Result added =
        m_line.run({QStringLiteral("list"), QStringLiteral("add"), QStringLiteral("private"),
                    QStringLiteral("5552368"), QStringLiteral("A Friend No More")});
    QCOMPARE(added.status, 0);
    QTest::qWait(1000);
    callFrom("5552368");
    QTRY_VERIFY_WITH_TIMEOUT(m_line.modemLogCount(QStringLiteral("EV vtx start")) == 2, 20000);
    QCOMPARE(answers(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(m_line.onHook(), 30000);
}

void TestService::screensAListedCallerOnASipLine() {
    // 180, then 200 and the message, then the line's BYE.
    QUdpSocket rtp;
    QVERIFY(rtp.bind(QHostAddress::LocalHost, 0));
    sipp::Vars vars = sipp::Caller(QStringLiteral("\"Caller\" <sip:8005550199@127.0.0.1>"));
    vars.insert(QStringLiteral("RTPPORT"), QString::number(rtp.localPort()));
    const std::unique_ptr<QProcess> caller = sipp::start(
        m_sippFolder.path(), QStringLiteral("caller"), vars,
        {QStringLiteral("-i"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
         QString::number(SipRig::FreePort()), QStringLiteral("127.0.0.1:%1").arg(m_sipPort)});
    QVERIFY(sipp::passed(caller.get()));
    QTRY_COMPARE_WITH_TIMEOUT(m_line.logLines().filter(QStringLiteral("Blocked")).size(), 3, 5000);
}

void TestService::sigtermPutsTheLineOnHook() {
    callFrom("8005550199");
    QTRY_VERIFY_WITH_TIMEOUT(m_line.modemLogCount(QStringLiteral("EV vtx start")) == 3, 20000);
    QVERIFY(!m_line.onHook());
    ::kill(pid_t(m_service.processId()), SIGTERM);
    QVERIFY(m_service.waitForFinished(15000));
    QCOMPARE(m_service.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_service.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_line.onHook(), 5000);
    // The log was closed with everything in it.
    QCOMPARE(m_line.logLines().filter(QStringLiteral("Blocked")).size(), 4);
    // With no service left, status says so and fails.
    const EmulatedLine::Result status = m_line.run({QStringLiteral("status")});
    QCOMPARE(status.status, 1);
    QVERIFY(status.err.contains(QStringLiteral("no Hushwire service is running")));
}

void TestService::badCommandLineInputIsRefused_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("letters for a number") << QStringLiteral("list add public 555-CALL");
    QTest::newRow("zero ends the public file") << QStringLiteral("list add public 0");
    QTest::newRow("no such list") << QStringLiteral("list show both");
    QTest::newRow("missing number") << QStringLiteral("list remove private");
    QTest::newRow("missing import file") << QStringLiteral("list import /nonexistent.pnd");
    QTest::newRow("date in another form") << QStringLiteral("log --date 2026-12-07");
    QTest::newRow("no such date") << QStringLiteral("log --date 26-02-30");
    QTest::newRow("unknown command") << QStringLiteral("frobnicate");
}

void TestService::badCommandLineInputIsRefused() {
    QFETCH(QString, command);
    const QStringList args = command.split(QLatin1Char(' '));
    const QString publicPath = m_line.appFolder() + QStringLiteral("/public.tel");
    const QByteArray before = ReadFileBytes(publicPath);
    const EmulatedLine::Result result = m_line.run(args, QStringLiteral("hushwire-service"));
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.startsWith(QStringLiteral("hushwire: ")), qPrintable(result.err));
    QCOMPARE(ReadFileBytes(publicPath), before);
}

void TestService::everyAtomicRewriteOfAListIsSeen() {
    // A rename over the file drops it from a plain file watch: the second rewrite must be seen
    // as well as the first.
    ListFolder folder;
    folder.start({8005550199.0});
    ListFileWatcher watcher(folder.publicPath(), folder.privatePath());
    QSignalSpy changed(&watcher, &ListFileWatcher::listChanged);
    QString error;
    for (int round = 1; round <= 2; ++round) {
        QVERIFY(RewritePublicFile(folder.publicPath(), {8005550199.0, 5550100.0 + round}, &error));
        QTRY_COMPARE_WITH_TIMEOUT(changed.size(), round, 1000);
        QCOMPARE(changed.last().at(0).value<ListKind>(), ListKind::Public);
    }
    // A write in place is seen too, and only for its own list.
    QVERIFY(WritePrivateRecord(folder.privatePath(), 0,
                               MakePrivateEntry(QStringLiteral("X"), QStringLiteral("5551234")),
                               &error));
    QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 3, 1000);
    QCOMPARE(changed.last().at(0).value<ListKind>(), ListKind::Private);
}

void TestService::logFollowGivesEachLineAsItIsAdded() {
    const QString today = QDate::currentDate().toString(QStringLiteral("yy-MM-dd"));
    const QString path =
        m_line.appFolder() + QStringLiteral("/LogFiles/") + today + QStringLiteral(".txt");
    QProcess follow;
    follow.setProcessEnvironment(m_line.environment(false));
    follow.start(m_line.program(), {QStringLiteral("log"), QStringLiteral("--follow")});
    QVERIFY(follow.waitForStarted());
    QString out;
    connect(&follow, &QProcess::readyReadStandardOutput, this,
            [&] { out += QString::fromLocal8Bit(follow.readAllStandardOutput()); });
    QTRY_VERIFY_WITH_TIMEOUT(out.contains(QStringLiteral("Blocked")), 5000);
    // A line written in two pieces comes out once, whole.
    QFile log(path);
    QVERIFY(log.open(QIODevice::Append));
    log.write("CallerID:5550123 [LATE");
    log.flush();
    QTest::qWait(300);
    log.write(" CALLER]  <23:59:59>\r\n");
    log.flush();
    QTRY_VERIFY_WITH_TIMEOUT(out.contains(QStringLiteral("CallerID:5550123 [LATE CALLER]  "
                                                         "<23:59:59>\n")),
                             5000);
    // The next day's file is followed once it appears.
    const QString tomorrow = m_line.appFolder() + QStringLiteral("/LogFiles/") +
                             QDate::currentDate().addDays(1).toString(QStringLiteral("yy-MM-dd")) +
                             QStringLiteral(".txt");
    QVERIFY(WriteFileBytes(tomorrow, "CallerID:5550124 [NEXT DAY]  <00:00:05>\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(out.contains(QStringLiteral("[NEXT DAY]")), 5000);
    QFile::remove(tomorrow);
    follow.terminate();
    QVERIFY(follow.waitForFinished(5000));
}

void TestService::cleanupTestCase() {
    if (m_service.state() != QProcess::NotRunning) {
        m_service.kill();
        m_service.waitForFinished(2000);
    }
}

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
