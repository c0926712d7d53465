// Writers in several processes rewrite one file under its lock: none loses another's change, and
// a lock held elsewhere is reported rather than waited on forever.
#include "platform/DataFileLock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

class TestDataFileLock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void concurrentWritersKeepEveryChange() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.txt"));
        constexpr int writers = 24;
        std::vector<pid_t> children;
        for (int i = 0; i < writers; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                const QByteArray line = QByteArray::number(i) + "\r\n";
                const bool ok = RewriteLocked(
                    path,
                    [&](const QByteArray& current) -> std::optional<QByteArray> {
                        ::usleep(2000); // widen the window a lost update would need
                        return current + line;
                    },
                    nullptr);
                ::_exit(ok ? 0 : 1);
            }
            children.push_back(pid);
        }
        for (pid_t pid : children) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), writers + 1);
        for (int i = 0; i < writers; ++i)
            QVERIFY(lines.contains(QByteArray::number(i) + '\r'));
    }

    void heldLockTimesOutWithReasonAndRefusedChangeWritesNothing() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rules.txt"));
        DataFileLock holder(path);
        QVERIFY(holder.acquire(0, nullptr));
        QString error;
        QVERIFY(!RewriteLocked(
            path, [](const QByteArray&) { return std::optional<QByteArray>("x"); }, &error, 30));
        QVERIFY2(error.contains(QStringLiteral("another program holds it")), qPrintable(error));
        QVERIFY(!QFile::exists(path));
        holder.release();
        QVERIFY(RewriteLocked(
            path, [](const QByteArray&) { return std::optional<QByteArray>(); }, &error));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestDataFileLock)
#include "tst_datafilelock.moc"
