// A full disk under each file the program writes while it runs: the call log, the settings file
// and its journal, the list files (after a delete, an add or an import) and the share file. Each
// failure is told to the user in a clear message, nothing already on disk is damaged, and the
// program goes on working, also once space is free again.
//
// The disk is a 64 KiB tmpfs mounted for the test (needs root and a mount that works; otherwise
// the test is skipped).
#include "calllog/CallLog.h"
#include "lists/ListFiles.h"
#include "lists/ListStore.h"
#include "lists/PhoneLists.h"
#include "lists/ui/FileChooser.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PublicListWindow.h"
#include "lists/ui/PublicShareActions.h"
#include "platform/time/VirtualTime.h"
#include "settings/SettingsStore.h"
#include "support/Files.h"
#include "support/ListStub.h"
#include "support/MessageRecorder.h"
#include "ui/UrlOpener.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

bool run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_mount;
    bool m_mounted = false;

    QString disk(const QString& name) const { return m_mount + QLatin1Char('/') + name; }

    // Takes every free byte of the disk with a filler file.
    void fill() {
        QFile f(disk(QStringLiteral("filler")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append));
        const QByteArray block(4096, 'x');
        while (f.write(block) == block.size() && f.flush()) {
        }
        // The last partial block: byte by byte until nothing fits.
        f.close();
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
        while (f.write("x", 1) == 1) {
        }
    }
    void freeSpace() { QFile::remove(disk(QStringLiteral("filler"))); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_mount = m_dir.filePath(QStringLiteral("disk"));
        QDir().mkpath(m_mount);
        if (geteuid() != 0 ||
            !run(QStringLiteral("mount"),
                 {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                  QStringLiteral("size=64k"), QStringLiteral("tmpfs"), m_mount}))
            QSKIP("a small tmpfs cannot be mounted here (needs root)");
        m_mounted = true;
        InstallUrlOpener([](const QUrl&) { return true; });
    }
    void cleanupTestCase() {
        if (m_mounted)
            run(QStringLiteral("umount"), {m_mount});
    }
    void cleanup() {
        freeSpace();
        InstallOpenFileChooser({});
    }

    void callLogRunsOnWithTheListAlone() {
        MessageRecorder messages;
        VirtualTime time(QDateTime(QDate(2026, 12, 7), QTime(6, 0, 0)));
        ListStub list;
        CallLog log(list, time, time, disk(QStringLiteral("app")));
        log.OpenDailyLog();
        log.AddLogLine(QStringLiteral("Line0 is ready"));
        QVERIFY(messages.texts().isEmpty());
        fill();
        for (int i = 0; i < 200; ++i)
            log.AddLogLine(QStringLiteral("Call %1 from 5551234567 blocked").arg(i));
        // Told once, with the file named; every line still shown.
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY2(messages.texts().first().contains(QLatin1String("log file")),
                 qPrintable(messages.texts().first()));
        QCOMPARE(list.count(), 201);
        // The line written before the disk filled is still in the file.
        const QByteArray kept = ReadFileBytes(log.DailyLogPath());
        QVERIFY2(kept.startsWith("Line0 is ready  <"), kept.left(80).constData());
        freeSpace();
        log.AddLogLine(QStringLiteral("after"));
        QCOMPARE(list.count(), 202);
        log.CloseDailyLog();
    }

    void settingsFileAndJournal() {
        MessageRecorder messages;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(disk(QStringLiteral("config"))));
        qputenv("HUSHWIRE_APPFOLDER", QFile::encodeName(disk(QStringLiteral("app2"))));
        QDir().mkpath(disk(QStringLiteral("app2")));
        QVERIFY(SaveSettingLogged(QStringLiteral("Config"), QStringLiteral("PIN"),
                                  QStringLiteral("1234")));
        const QByteArray settingsBefore = ReadFileBytes(SettingsFilePath());
        QVERIFY(!settingsBefore.isEmpty());
        fill();

        // The settings file: the save fails loudly and the old file stays as it was.
        QVERIFY(!SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Big"),
                                   QString(8000, QLatin1Char('7'))));
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY(messages.texts().first().contains(QLatin1String("Config/Big")));
        QVERIFY(messages.texts().first().contains(QLatin1String("disk is full")));
        QCOMPARE(ReadFileBytes(SettingsFilePath()), settingsBefore);
        QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("PIN")),
                 QStringLiteral("1234"));

        // The journal on a full disk, the settings file elsewhere.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
        messages.clear();
        QVERIFY(!SaveSettingLogged(QStringLiteral("Config"), QStringLiteral("Mode"),
                                   QString(5000, QLatin1Char('2'))));
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY2(messages.texts().first().contains(QLatin1String("settings.txt")),
                 qPrintable(messages.texts().first()));
        // The setting itself was stored; only its journal line is missing.
        QVERIFY(messages.texts().first().contains(QLatin1String("was saved")));

        freeSpace();
        messages.clear();
        QVERIFY(SaveSettingLogged(QStringLiteral("Config"), QStringLiteral("Mode"), 2));
        QVERIFY(messages.texts().isEmpty());
    }

    // Delete, add, import and share on a full disk, through the public list window.
    void listFilesAndShareFile() {
        MessageRecorder messages;
        const QString folder = disk(QStringLiteral("lists"));
        QDir().mkpath(folder);
        std::vector<double> values;
        for (int i = 0; i < 1000; ++i)
            values.push_back(5550000000.0 + i);
        QVERIFY(RewritePublicFile(folder + QStringLiteral("/public.tel"), values, nullptr));
        QVERIFY(RewritePrivateFile(
            folder + QStringLiteral("/private.txt"),
            {MakePrivateEntry(QStringLiteral("Mum"), QStringLiteral("5551112222"))}, nullptr));
        const QByteArray publicBefore = ReadFileBytes(folder + QStringLiteral("/public.tel"));
        const QByteArray privateBefore = ReadFileBytes(folder + QStringLiteral("/private.txt"));
        const QString pnd = m_dir.filePath(QStringLiteral("update.pnd"));
        {
            QFile f(pnd);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < 500; ++i)
                f.write(EncodePublicRecord(-(7770000000.0 + i)));
        }

        PhoneLists lists(folder);
        ListStore store(lists);
        store.load();
        VirtualTime time(QDateTime(QDate(2026, 12, 7), QTime(6, 0, 0)));
        ListWindows windows(store, time);
        PublicListWindow* window = windows.showPublicWindow(nullptr);
        QVERIFY(window);
        QCOMPARE(window->list()->count(), 1000);
        fill();

        // The import: nothing imported, the user told so, the file and the window unchanged.
        InstallOpenFileChooser(
            [&](QWidget*, const QString&, const QString&, const QString&) { return pnd; });
        ImportDatabaseFile(*window);
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY2(messages.texts().first().contains(QLatin1String("Nothing was imported")),
                 qPrintable(messages.texts().first()));
        QCOMPARE(ReadFileBytes(folder + QStringLiteral("/public.tel")), publicBefore);
        QCOMPARE(window->list()->count(), 1000);
        QCOMPARE(lists.publicCount(), 1000);

        // The whole-file rewrite of the private list.
        QString error;
        QVERIFY(!RewritePrivateFile(
            folder + QStringLiteral("/private.txt"),
            std::vector<PrivateEntry>(2000,
                                      MakePrivateEntry(QStringLiteral("X"), QStringLiteral("1"))),
            &error));
        QVERIFY(error.contains(QLatin1String("private.txt")));
        QCOMPARE(ReadFileBytes(folder + QStringLiteral("/private.txt")), privateBefore);

        // The share file.
        messages.clear();
        ExportShareFile(*window);
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY2(
            messages.texts().first().contains(QLatin1String("share file could not be written")),
            qPrintable(messages.texts().first()));
        QCOMPARE(QDir(folder).entryList({QStringLiteral("share*")}, QDir::Files), QStringList());

        // With space again the same actions work.
        freeSpace();
        messages.clear();
        ImportDatabaseFile(*window);
        QCOMPARE(window->list()->count(), 1500);
        QCOMPARE(lists.publicCount(), 1500);
        ExportShareFile(*window);
        QCOMPARE(QDir(folder).entryList({QStringLiteral("share*")}, QDir::Files).size(), 1);
        QCOMPARE(messages.texts().size(), 2);
    }
};

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
