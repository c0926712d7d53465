// Every file the program rewrites survives the writer being killed at any moment: afterwards the
// file holds either the old or the new content, never a mix, a truncation or nothing.
//
// Each trial forks a child that runs the real writer in a loop, alternating between two contents,
// and kills it with SIGKILL after a random short delay.
#include "lists/ImportRules.h"
#include "lists/ListFiles.h"
#include "settings/SettingsStore.h"
#include "support/ListFolder.h"
#include "support/MessageRecorder.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kTrials = 200;

struct TrialCounts {
    int first = 0;  // trials that ended with the first content
    int second = 0; // ... with the second
};

// Runs kTrials kills of a child looping writer(0), writer(1), writer(0)... and after each asks
// judge which content the file holds (0, 1, or -1 for neither, which fails the test with the
// trial's details). The child starts with the second content, and the delay before the kill is
// random over about three writes, so kills land before, inside and between writes.
bool killTrials(const std::function<bool(int)>& writer, const std::function<int()>& judge,
                TrialCounts* counts) {
    QRandomGenerator rng(20261207);
    // One write's duration, measured here; the file is left at the first content.
    QElapsedTimer clock;
    clock.start();
    if (!writer(1) || !writer(0))
        return false;
    const quint32 spanUs = quint32(clock.nsecsElapsed() / 1000) * 3 / 2 + 500;
    for (int trial = 0; trial < kTrials; ++trial) {
        const pid_t pid = fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            for (int i = 1; i < 1000000; ++i) {
                if (!writer(i % 2))
                    _exit(3);
            }
            _exit(0);
        }
        const int delayUs = int(rng.bounded(spanUs));
        if (delayUs > 0)
            usleep(useconds_t(delayUs));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
            qWarning("trial %d: the writer failed on its own", trial);
            return false;
        }
        const int which = judge();
        if (which < 0) {
            qWarning("trial %d (kill after %d us): the file is damaged", trial, delayUs);
            return false;
        }
        (which == 0 ? counts->first : counts->second)++;
    }
    return true;
}

std::vector<double> publicValues(int n, double base) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i)
        v.push_back((i % 3 == 0 ? -1 : 1) * (base + i));
    return v;
}

// Leftover temporary files of killed writers (they never replace the real file).
int strayFiles(const QDir& dir, const QString& keep) {
    int n = 0;
    for (const QString& name : dir.entryList(QDir::Files))
        n += name != keep && !name.endsWith(QLatin1String(".lock"));
    return n;
}

} // namespace

class TestKilledWriters : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        UseFoldersUnder(m_dir.path());
    }

    void publicListRewrite() {
        const QString path = m_dir.filePath(QStringLiteral("pub/public.tel"));
        QDir().mkpath(QFileInfo(path).path());
        // Large enough (about 400 KB) that many kills land inside the write. A delete or an
        // import rewrites the file this way.
        const std::vector<double> a = publicValues(50000, 5550000000.0);
        const std::vector<double> b = publicValues(30001, 8880000000.0);
        const QByteArray bytesA = PublicBytes(a), bytesB = PublicBytes(b);
        QString error;
        QVERIFY2(RewritePublicFile(path, a, &error), qPrintable(error));
        TrialCounts counts;
        QVERIFY(
            killTrials([&](int which) { return RewritePublicFile(path, which ? b : a, nullptr); },
                       [&] {
                           const QByteArray now = ReadFileBytes(path);
                           return now == bytesA ? 0 : now == bytesB ? 1 : -1;
                       },
                       &counts));
        qInfo("old/new after kills: %d/%d, stray temporary files: %d", counts.first, counts.second,
              strayFiles(QDir(QFileInfo(path).path()), QStringLiteral("public.tel")));
    }

    void privateListRewrite() {
        const QString path = m_dir.filePath(QStringLiteral("priv/private.txt"));
        QDir().mkpath(QFileInfo(path).path());
        std::vector<PrivateEntry> a, b;
        for (int i = 0; i < 8000; ++i) {
            a.push_back(MakePrivateEntry(QStringLiteral("Friend %1").arg(i),
                                         QStringLiteral("555%1").arg(i, 7, 10, QLatin1Char('0'))));
            if (i % 2)
                b.push_back(MakePrivateEntry(QStringLiteral("Other %1").arg(i),
                                             QStringLiteral("777%1").arg(i)));
        }
        const QByteArray bytesA = PrivateBytes(a), bytesB = PrivateBytes(b);
        QString error;
        QVERIFY2(RewritePrivateFile(path, a, &error), qPrintable(error));
        TrialCounts counts;
        QVERIFY(
            killTrials([&](int which) { return RewritePrivateFile(path, which ? b : a, nullptr); },
                       [&] {
                           const QByteArray now = ReadFileBytes(path);
                           return now == bytesA ? 0 : now == bytesB ? 1 : -1;
                       },
                       &counts));
        qInfo("old/new after kills: %d/%d", counts.first, counts.second);
    }

    // The import's whole path: read the database file, merge, rewrite public.tel in file order.
    void importIntoPublicList() {
        const QString folder = m_dir.filePath(QStringLiteral("imp"));
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/public.tel");
        const QString pnd = folder + QStringLiteral("/update.pnd");
        const std::vector<double> before = publicValues(20000, 5550000000.0);
        std::vector<double> database;
        for (int i = 0; i < 20000; ++i)
            database.push_back(i % 4 == 0 ? 5550000000.0 + i : -(7770000000.0 + i));
        {
            QFile f(pnd);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(PublicBytes(database));
        }
        std::vector<ListedValue> rows;
        for (size_t i = 0; i < before.size(); ++i)
            rows.push_back({before[i], quint64(i)});
        const std::vector<double> after =
            FileOrder(ApplyImportRules(rows, database, before.size()).rows);
        QVERIFY(after != before);
        const QByteArray bytesBefore = PublicBytes(before), bytesAfter = PublicBytes(after);
        QVERIFY(RewritePublicFile(path, before, nullptr));

        auto importOnce = [&] {
            QFile f(pnd);
            if (!f.open(QIODevice::ReadOnly))
                return false;
            const std::vector<double> records = ReadDatabaseRecords(f.readAll());
            const ImportResult r = ApplyImportRules(rows, records, before.size());
            return RewritePublicFile(path, FileOrder(r.rows), nullptr);
        };
        TrialCounts counts;
        QVERIFY(killTrials(
            [&](int which) {
                return which ? importOnce() : RewritePublicFile(path, before, nullptr);
            },
            [&] {
                const QByteArray now = ReadFileBytes(path);
                return now == bytesBefore ? 0 : now == bytesAfter ? 1 : -1;
            },
            &counts));
        qInfo("before/after import: %d/%d", counts.first, counts.second);
    }

    // A killed settings save leaves a file that parses, holds the old or the new value, and still
    // holds every other setting.
    void settingsSaves_data() {
        QTest::addColumn<bool>("logged");
        QTest::newRow("direct") << false;
        QTest::newRow("logged") << true;
    }
    void settingsSaves() {
        QFETCH(bool, logged);
        MessageRecorder messages;
        QFile::remove(SettingsFilePath());
        for (int i = 0; i < 300; ++i)
            QVERIFY(SaveSettingDirect(QStringLiteral("Line%1").arg(i % 4),
                                      QStringLiteral("Param%1").arg(i), QString::number(i * 7)));
        const QString oldPin = QStringLiteral("1111");
        const QString newPin = QStringLiteral("2222222");
        QVERIFY(SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("PIN"), oldPin));
        TrialCounts counts;
        QVERIFY(killTrials(
            [&](int which) {
                const QString v = which ? newPin : oldPin;
                return logged
                           ? SaveSettingLogged(QStringLiteral("Config"), QStringLiteral("PIN"), v)
                           : SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("PIN"), v);
            },
            [&] {
                QSettings s(SettingsFilePath(), QSettings::IniFormat);
                if (s.status() != QSettings::NoError)
                    return -1;
                for (int i = 0; i < 300; i += 37) {
                    if (s.value(QStringLiteral("Line%1/Param%2").arg(i % 4).arg(i)).toString() !=
                        QString::number(i * 7))
                        return -1;
                }
                const QString pin = s.value(QStringLiteral("Config/PIN")).toString();
                return pin == oldPin ? 0 : pin == newPin ? 1 : -1;
            },
            &counts));
        qInfo("old/new after kills: %d/%d", counts.first, counts.second);
        // After all the kills a save still goes through (no stale lock blocks it).
        QVERIFY(SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("PIN"), newPin));
        QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("PIN")), newPin);
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestKilledWriters)
#include "tst_killedwriters.moc"
