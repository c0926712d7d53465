// The call log writer: stamped lines in the list and in today's file, the replay of earlier
// lines at start-up, and running on without a file when the file cannot be written.
#include "calllog/CallLog.h"
#include "platform/time/VirtualTime.h"
#include "support/Files.h"
#include "support/ListStub.h"
#include "support/MessageRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>

class TestCallLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { std::setlocale(LC_TIME, "C"); }

    void timeOfDayIsLocaleTimeWithSeconds() {
        const QDateTime afternoon(QDate(2026, 12, 6), QTime(15, 4, 5));
        QCOMPARE(CallLog::TimeOfDay(afternoon), u"15:04:05"_qs);
        if (std::setlocale(LC_TIME, "en_US.UTF-8")) {
            QCOMPARE(CallLog::TimeOfDay(afternoon), u"03:04:05 PM"_qs);
            std::setlocale(LC_TIME, "C");
        }
    }

    void firstStartOfTheDay() {
        QTemporaryDir app;
        VirtualTime time;
        ListStub list;
        MessageRecorder messages;
        CallLog log(list, time, time, app.path());
        log.OpenDailyLog();
        const QString path = app.filePath(u"LogFiles/26-12-06.txt"_qs);
        QCOMPARE(log.DailyLogPath(), path);
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(QFileInfo(path).size(), 0);
        QCOMPARE(list.count(), 0);

        log.AddLogLine(u"Line0 is ready"_qs);
        list.setCurrentIndex(0);
        log.AddLogLine(u"CallerID:5551234567 [JOHN DOE]"_qs);
        QCOMPARE(list.items, QStringList({u"Line0 is ready  <15:04:05>"_qs,
                                          u"CallerID:5551234567 [JOHN DOE]  <15:04:05>"_qs}));
        QCOMPARE(list.currentIndex(), 1);
        // Flushed line by line: readable while the log still holds the file open.
        QCOMPARE(ReadFileBytes(path), QByteArray("Line0 is ready  <15:04:05>\r\n"
                                                 "CallerID:5551234567 [JOHN DOE]  <15:04:05>\r\n"));
        QVERIFY(messages.messages().isEmpty());
    }

    void replayKeepsLinesAsRead() {
        QTemporaryDir app;
        const QString path = app.filePath(u"LogFiles/26-12-06.txt"_qs);
        static const char binaryBytes[] = "Ren\xe9 \x01\x00 bytes\r\n";
        const QByteArray binary(binaryBytes, sizeof binaryBytes - 1);
        const QByteArray head =
            QByteArray("Line0 Ring...  <09:00:00>\r\n") + binary + "lf only\n" + "lone cr\r";
        // Long enough that its CR LF straddles the end of the first megabyte.
        const QByteArray longLine((1 << 20) - head.size() - 1, 'x');
        QVERIFY(WriteFileBytes(path, head + longLine + "\r\n\r\nno line end"));
        VirtualTime time;
        bool pendingRan = false;
        time.post([&] { pendingRan = true; });
        ListStub list;
        CallLog log(list, time, time, app.path());
        log.OpenDailyLog();
        QVERIFY(pendingRan);
        QCOMPARE(list.count(), 7);
        QCOMPARE(list.item(0), u"Line0 Ring...  <09:00:00>"_qs);
        QCOMPARE(list.item(1), u"Ren\u00e9 \u0001"_qs + QChar(0) + u" bytes"_qs);
        QCOMPARE(list.item(2), u"lf only"_qs);
        QCOMPARE(list.item(3), u"lone cr"_qs);
        QCOMPARE(list.item(4).size(), longLine.size());
        QCOMPARE(list.item(5), QString());
        QCOMPARE(list.item(6), u"no line end"_qs);
        QCOMPARE(list.currentIndex(), -1); // the replay does not select

        log.AddLogLine(u"Line0 is ready"_qs);
        QCOMPARE(list.currentIndex(), 7);
        QVERIFY(ReadFileBytes(path).endsWith("no line endLine0 is ready  <15:04:05>\r\n"));
    }

    void fileIsNamedForTheStartDay() {
        QTemporaryDir app;
        VirtualTime time(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 0)));
        ListStub list;
        CallLog log(list, time, time, app.path());
        log.OpenDailyLog();
        time.advance(2 * 60 * 1000);
        log.AddLogLine(u"Line1 Ring..."_qs);
        QCOMPARE(list.item(0), u"Line1 Ring...  <00:01:00>"_qs);
        QCOMPARE(ReadFileBytes(app.filePath(u"LogFiles/26-12-06.txt"_qs)),
                 QByteArray("Line1 Ring...  <00:01:00>\r\n"));
        QVERIFY(!QFile::exists(app.filePath(u"LogFiles/26-12-07.txt"_qs)));
    }

    void closeAndReopenContinueTheFile() {
        QTemporaryDir app;
        VirtualTime time;
        ListStub list;
        CallLog log(list, time, time, app.path());
        log.OpenDailyLog();
        log.AddLogLine(u"one"_qs);
        log.CloseDailyLog();
        QVERIFY(!log.isFileOpen());
        QCOMPARE(ReadFileBytes(log.DailyLogPath()), QByteArray("one  <15:04:05>\r\n"));
        log.ReopenDailyLog();
        log.AddLogLine(u"two"_qs);
        QCOMPARE(ReadFileBytes(log.DailyLogPath()),
                 QByteArray("one  <15:04:05>\r\ntwo  <15:04:05>\r\n"));
    }

    // Whatever stops the file, the user hears of it once and the list keeps every line.
    void fileFailuresAreReportedOnce_data() {
        QTest::addColumn<QString>("setup");
        QTest::newRow("folder cannot be created") << u"appfolder is a file"_qs;
        QTest::newRow("file cannot be opened") << u"log file is a folder"_qs;
        QTest::newRow("file cannot be written") << u"disk full"_qs;
    }
    void fileFailuresAreReportedOnce() {
        QFETCH(QString, setup);
        QTemporaryDir root;
        QString app = root.path();
        const QString logFile = root.filePath(u"LogFiles/26-12-06.txt"_qs);
        if (setup == u"appfolder is a file"_qs) {
            app = root.filePath(u"plain"_qs);
            QVERIFY(WriteFileBytes(app, "not a folder"));
        } else if (setup == u"log file is a folder"_qs) {
            QVERIFY(QDir().mkpath(logFile));
        } else {
            if (!QFileInfo(u"/dev/full"_qs).exists())
                QSKIP("no /dev/full");
            QVERIFY(QDir().mkpath(QFileInfo(logFile).absolutePath()));
            QVERIFY(QFile::link(u"/dev/full"_qs, logFile));
        }
        VirtualTime time;
        ListStub list;
        MessageRecorder messages;
        CallLog log(list, time, time, app);
        log.OpenDailyLog();
        log.AddLogLine(u"Line0 is ready"_qs);
        log.AddLogLine(u"Line0 Ring..."_qs);
        log.CloseDailyLog();
        log.ReopenDailyLog();
        log.AddLogLine(u"UNKNOWN"_qs);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.currentIndex(), 2);
        QCOMPARE(messages.messages().size(), 1);
        const MessageRequest& m = messages.messages().first();
        QCOMPARE(m.title, u"Hushwire"_qs);
        QCOMPARE(m.icon, MessageIcon::Critical);
        QVERIFY2(m.text.contains(QDir::toNativeSeparators(app)), qPrintable(m.text));
    }
};

QTEST_GUILESS_MAIN(TestCallLog)
#include "tst_calllog.moc"
