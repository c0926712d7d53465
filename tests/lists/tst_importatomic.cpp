#include "lists/ListFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// A rewrite of a list file (after a delete or an import) that is killed at any moment leaves
// either the old list or the new one, never an empty or half-written file.
class TestImportAtomic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedRewriteLeavesOldOrNewFile();
};

void TestImportAtomic::killedRewriteLeavesOldOrNewFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("public.tel"));
    // Large enough that a write takes a while, so kills land in the middle of it.
    std::vector<double> a, b;
    for (int i = 1; i <= 50000; ++i) {
        a.push_back(i);
        b.push_back(-i);
    }
    QByteArray bytesA, bytesB;
    for (int i = 0; i < 50000; ++i) {
        bytesA += EncodePublicRecord(a[std::size_t(i)]);
        bytesB += EncodePublicRecord(b[std::size_t(i)]);
    }
    QString error;
    QVERIFY2(RewritePublicFile(path, a, &error), qPrintable(error));

    QRandomGenerator rng(7);
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            for (bool useB = true;; useB = !useB)
                RewritePublicFile(path, useB ? b : a, nullptr);
        }
        usleep(1000 + rng.bounded(20000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        QVERIFY(WIFSIGNALED(status));

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        QVERIFY2(content == bytesA || content == bytesB,
                 qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(content.size())));
    }
}

QTEST_GUILESS_MAIN(TestImportAtomic)
#include "tst_importatomic.moc"
