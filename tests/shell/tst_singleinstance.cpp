// One running copy per user: a held lock refuses a second copy, the lock of a killed copy is
// taken over, and a second start of the real program says so and ends.
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondHolderIsRefused() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("hushwire.lock"));
        SingleInstance first(path);
        QVERIFY(first.tryLock());
        SingleInstance second(path);
        QVERIFY(!second.tryLock());
    }

    void lockOfAKilledCopyIsTakenOver() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("hushwire.lock"));
        // A process that has ended leaves its number in the lock file.
        QProcess gone;
        gone.start(QStringLiteral("true"), {});
        QVERIFY(gone.waitForFinished());
        const qint64 deadPid = gone.processId();
        QFile lock(path);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid > 0 ? deadPid : 999999) + "\nhushwire\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        SingleInstance instance(path);
        QVERIFY(instance.tryLock());
    }

    void secondProgramSaysItIsRunningAndEnds() {
        const QString program = QStringLiteral(HW_BUILD_DIR "/hushwire");
        if (!QFile::exists(program))
            QSKIP("hushwire is not built");
        QTemporaryDir dir;
        const QString runtime = dir.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        SingleInstance running(runtime + QStringLiteral("/hushwire.lock"));
        QVERIFY(running.tryLock());

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("HUSHWIRE_APPFOLDER"), dir.filePath(QStringLiteral("app")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.start(program, {});
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY(QString::fromLocal8Bit(second.readAllStandardError())
                    .contains(QStringLiteral("Hushwire Is Already Running")));
        // It touched nothing of the running copy: no data folder, no log.
        QVERIFY(!QDir(dir.filePath(QStringLiteral("app/LogFiles"))).exists());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
