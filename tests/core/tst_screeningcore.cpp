// The screening both programs run, on fakes in virtual time: the start-up order and what it
// stores about a replaced modem, a port this user may not open, telephony that cannot start,
// the new day's log at midnight, and the shut-down.
#include "calllog/CallLog.h"
#include "settings/SettingsStore.h"
#include "support/CoreRig.h"
#include "support/ListStub.h"
#include "support/MessageRecorder.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// One isolated core: its own settings and data folder, one voice modem on device 0.
struct Rig : CoreRig {
    explicit Rig(const QByteArray& settings) : CoreRig(Time::Virtual) {
        UseFoldersUnder(dir.path());
        QDir().mkpath(QFileInfo(SettingsFilePath()).path());
        QFile conf(SettingsFilePath());
        if (conf.open(QIODevice::WriteOnly))
            conf.write(settings);
        conf.close();
        make();
    }
    void make() {
        core.reset();
        core = std::make_unique<ScreeningCore>(services(dir.path() + QStringLiteral("/app")), log);
    }
    bool start() {
        const bool started = core->start();
        time.runPosted();
        return started;
    }
    static QString journal() {
        QFile file(SettingsJournalPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }

    QTemporaryDir dir;
    MessageRecorder messages;
    ListStub log;
    std::unique_ptr<ScreeningCore> core;
};
} // namespace

class TestScreeningCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsInOrderAndNoticesAReplacedModem() {
        Rig rig("[Config]\nLine0=1\n\n[Modem]\nLine0=Old Modem  [28]\n");
        QVERIFY(rig.start());
        QVERIFY(QFileInfo::exists(rig.core->callLog().DailyLogPath()));

        // Telephony comes up, the devices are described, then the line is opened.
        const QStringList ops = rig.opNames();
        const qsizetype init = ops.indexOf(QStringLiteral("lineInitialize"));
        const qsizetype caps = ops.indexOf(QStringLiteral("lineGetDevCaps"));
        const qsizetype open = ops.indexOf(QStringLiteral("lineOpen"));
        QVERIFY(init >= 0 && init < caps && caps < open);

        // The replaced modem: counters reset, new description stored and journalled once.
        QCOMPARE(ReadSetting(QStringLiteral("Modem"), QStringLiteral("Line0")),
                 QStringLiteral("Voice Modem  [28]"));
        QCOMPARE(ReadSetting(QStringLiteral("Line0"), QStringLiteral("Param1")),
                 QStringLiteral("6500"));
        QCOMPARE(ReadSetting(QStringLiteral("Line0"), QStringLiteral("Calls")),
                 QStringLiteral("50"));
        QCOMPARE(Rig::journal(), QStringLiteral("Modem@Line0@Voice Modem  [28]\r\n"));
        // Lines beyond the device count stay untouched.
        QCOMPARE(ReadSetting(QStringLiteral("Modem"), QStringLiteral("Line1"), QStringLiteral("-")),
                 QStringLiteral("-"));

        // The same modem at the next start changes nothing.
        rig.make();
        QVERIFY(rig.start());
        QCOMPARE(Rig::journal(), QStringLiteral("Modem@Line0@Voice Modem  [28]\r\n"));
    }

    // A port this user may not open is not opened and is explained once; the stored choice
    // stays, so the line opens once the user may open it.
    void aDeniedPortIsExplainedAndKeepsItsChoice() {
        Rig rig("[Config]\nLine0=1\n");
        rig.lines.devices[0].permissionDenied = true;
        QVERIFY(rig.start());
        QVERIFY(!rig.opNames().contains(QStringLiteral("lineOpen")));
        QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("Line0")),
                 QStringLiteral("1"));
        QCOMPARE(rig.messages.messages().size(), 1);
        QVERIFY(rig.messages.messages().at(0).text.contains(QStringLiteral("dialout")));
    }

    // Telephony that cannot start is reported once; no line is opened, and the shut-down has
    // nothing to close.
    void telephonyThatCannotStartIsReported() {
        Rig rig("[Config]\nLine0=1\n");
        rig.lines.failOperation(QStringLiteral("lineInitialize"), -1);
        QSignalSpy failed(rig.core.get(), &ScreeningCore::telephonyFailed);
        QVERIFY(!rig.start());
        QCOMPARE(failed.count(), 1);
        QVERIFY(rig.core->hasFailed());
        QVERIFY(!rig.opNames().contains(QStringLiteral("lineOpen")));
        rig.lines.clearOps();
        rig.core->shutDown();
        QVERIFY(rig.opNames().isEmpty());
    }

    // Running past midnight: the next day's calls go to the next day's file, night after night.
    void aNewDaysLogOpensAtMidnight() {
        Rig rig("[Config]\nLine0=1\n");
        QVERIFY(rig.start());
        CallLog& log = rig.core->callLog();
        const QString first = log.DailyLogPath();
        QVERIFY(first.endsWith(QStringLiteral("26-12-06.txt")));
        const QDateTime now = rig.time.now();
        rig.time.advance(now.msecsTo(QDateTime(now.date().addDays(1), QTime(0, 0))));
        QCOMPARE(log.DailyLogPath(), first); // not before the day has turned
        rig.time.advance(1000);
        QVERIFY(log.DailyLogPath().endsWith(QStringLiteral("26-12-07.txt")));
        QVERIFY(log.isFileOpen());
        log.AddLogLine(QStringLiteral("Line0 Ring..."));
        QFile next(log.DailyLogPath());
        QVERIFY(next.open(QIODevice::ReadOnly));
        QVERIFY(next.readAll().contains("Line0 Ring..."));
        rig.time.advance(24 * 3600 * 1000);
        QVERIFY(log.DailyLogPath().endsWith(QStringLiteral("26-12-08.txt")));
    }

    // The lines are closed before telephony is released, the log is closed, and a second
    // shut-down does nothing.
    void shutDownClosesLinesAndLogOnce() {
        Rig rig("[Config]\nLine0=1\n");
        QVERIFY(rig.start());
        QVERIFY(rig.opNames().contains(QStringLiteral("lineOpen")));
        rig.lines.clearOps();
        rig.core->shutDown();
        const QStringList ops = rig.opNames();
        QVERIFY(ops.indexOf(QStringLiteral("lineClose")) >= 0);
        QVERIFY(ops.indexOf(QStringLiteral("lineClose")) <
                ops.indexOf(QStringLiteral("lineShutdown")));
        QVERIFY(!rig.core->callLog().isFileOpen());
        rig.lines.clearOps();
        rig.core->shutDown();
        QVERIFY(rig.opNames().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestScreeningCore)
#include "tst_screeningcore.moc"
