#include "settings/RunEntry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The start-with-system entry: an XDG autostart file that is rewritten, never removed.
class TestRunEntry : public QObject {
    Q_OBJECT

private:
    static QString readAll(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll());
    }

private Q_SLOTS:
    void entryOnAndOff() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.path() + QStringLiteral("/cfg/autostart/hushwire.desktop");
        const QString folder = QStringLiteral("/opt/Hushwire");

        QVERIFY(WriteRunEntryTo(path, folder, 1));
        const QString on = readAll(path);
        QVERIFY(on.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(on.contains(QStringLiteral("\nName=Hushwire\n")));
        QVERIFY(on.contains(QStringLiteral("\nExec=\"/opt/Hushwire/hushwire\"\n")));
        QVERIFY(!on.contains(QStringLiteral("Hidden")));

        // Saving again with the box ticked writes the same entry, not a second one.
        QVERIFY(WriteRunEntryTo(path, folder, 1));
        QCOMPARE(readAll(path), on);

        // Switched off, the file stays and says Hidden; only exactly 1 means on.
        for (int state : {0, 2, -1}) {
            QVERIFY(WriteRunEntryTo(path, folder, state));
            QVERIFY(QFile::exists(path));
            const QString off = readAll(path);
            QVERIFY(off.contains(QStringLiteral("\nHidden=true\n")));
            QVERIFY(off.contains(QStringLiteral("\nExec=\"/opt/Hushwire/hushwire\"\n")));
        }
    }

    // Characters the Exec line would otherwise interpret: quotes, $, `, backslash, %.
    void execQuoting_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("exec");
        QTest::newRow("space") << QStringLiteral("/home/a b")
                               << QStringLiteral("Exec=\"/home/a b/hushwire\"");
        QTest::newRow("dollar") << QStringLiteral("/x$HOME")
                                << QStringLiteral("Exec=\"/x\\\\$HOME/hushwire\"");
        QTest::newRow("quote") << QStringLiteral("/x\"y")
                               << QStringLiteral("Exec=\"/x\\\\\"y/hushwire\"");
        QTest::newRow("backtick") << QStringLiteral("/x`y")
                                  << QStringLiteral("Exec=\"/x\\\\`y/hushwire\"");
        QTest::newRow("backslash")
            << QStringLiteral("/x\\y") << QStringLiteral("Exec=\"/x\\\\\\\\y/hushwire\"");
        QTest::newRow("percent") << QStringLiteral("/100%")
                                 << QStringLiteral("Exec=\"/100%%/hushwire\"");
        QTest::newRow("trailing slash")
            << QStringLiteral("/opt/hw/") << QStringLiteral("Exec=\"/opt/hw/hushwire\"");
    }
    void execQuoting() {
        QFETCH(QString, folder);
        QFETCH(QString, exec);
        const QStringList lines = QString::fromUtf8(RunEntryText(folder, 1)).split(u'\n');
        QVERIFY2(lines.contains(exec), qPrintable(lines.join(u'|')));
    }

    void defaultPathFollowsXdgConfigHome() {
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        QCOMPARE(RunEntryPath(), dir.path() + QStringLiteral("/autostart/hushwire.desktop"));
        QVERIFY(WriteRunEntry(1));
        // The entry names the program file in the executable's real folder.
        const QString text = readAll(RunEntryPath());
        QVERIFY(text.contains(QStringLiteral("Exec=\"") + ProgramFolder() +
                              QStringLiteral("/hushwire\"")));
        qputenv("XDG_CONFIG_HOME", "relative/path");
        QCOMPARE(RunEntryPath(),
                 QDir::homePath() + QStringLiteral("/.config/autostart/hushwire.desktop"));
        qunsetenv("XDG_CONFIG_HOME");
    }

    void unwritableFolderFails() {
        QTemporaryDir dir;
        const QString blocker = dir.path() + QStringLiteral("/autostart");
        QFile f(blocker); // a file where the folder should be
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QString error;
        QVERIFY(!WriteRunEntryTo(blocker + QStringLiteral("/hushwire.desktop"),
                                 QStringLiteral("/opt"), 1, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRunEntry)
#include "tst_runentry.moc"
