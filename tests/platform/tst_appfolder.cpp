// Which folder holds the program's data: an override, the executable's own folder (a portable
// copy), or the user's data folder for an installed program, stocked with the sound files.
#include "platform/AppFolder.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestAppFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choice_data() {
        QTest::addColumn<QString>("override");
        QTest::addColumn<QString>("exeDir");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("dataHome");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("kind");
        const int override = int(AppFolderKind::Override);
        const int portable = int(AppFolderKind::Portable);
        const int user = int(AppFolderKind::UserData);
        QTest::newRow("override wins")
            << u"/srv/hw/"_qs << u"/opt/hw"_qs << true << QString() << u"/srv/hw"_qs << override;
        QTest::newRow("writable folder is portable")
            << QString() << u"/opt/hw"_qs << true << u"/data"_qs << u"/opt/hw"_qs << portable;
        QTest::newRow("read-only folder uses data home")
            << QString() << u"/opt/hw"_qs << false << u"/data"_qs << u"/data/hushwire"_qs << user;
        QTest::newRow("data home unset") << QString() << u"/usr/bin"_qs << false << QString()
                                         << u"/home/u/.local/share/hushwire"_qs << user;
        QTest::newRow("relative data home ignored")
            << QString() << u"/usr/bin"_qs << false << u"rel"_qs
            << u"/home/u/.local/share/hushwire"_qs << user;
    }
    void choice() {
        QFETCH(QString, override);
        QFETCH(QString, exeDir);
        QFETCH(bool, writable);
        QFETCH(QString, dataHome);
        QFETCH(QString, folder);
        QFETCH(int, kind);
        const AppFolderChoice choice = ChooseAppFolder(
            {override, exeDir, dataHome, u"/home/u"_qs, [&](const QString&) { return writable; }});
        QCOMPARE(choice.folder, folder);
        QCOMPARE(int(choice.kind), kind);
    }

    // A bin folder beside share/hushwire is an installed program even when it can be written
    // (root, or an install into the home folder): the sound files live in share/hushwire.
    void installedLayoutIsNeverPortable() {
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(u"bin"_qs));
        QVERIFY(QDir(prefix.path()).mkpath(u"share/hushwire"_qs));
        const AppFolderChoice choice =
            ChooseAppFolder({QString(), prefix.filePath(u"bin"_qs), u"/data"_qs, u"/home/u"_qs,
                             [](const QString&) { return true; }});
        QCOMPARE(choice.kind, AppFolderKind::UserData);
    }

    void userFolderGetsCopiesOfTheSounds() {
        QTemporaryDir root;
        const QString share = root.filePath(u"share/hushwire"_qs);
        QVERIFY(WriteFileBytes(share + u"/donotcall.wav"_qs, "message"));
        QVERIFY(WriteFileBytes(share + u"/ring.wav"_qs, "ring"));
        QFile::setPermissions(share + u"/ring.wav"_qs, QFile::ReadOwner | QFile::ReadOther);
        const QString folder = root.filePath(u"data/hushwire"_qs);
        QVERIFY(WriteFileBytes(folder + u"/donotcall.wav"_qs, "my own message"));

        QVERIFY(PrepareUserDataFolder(folder, share));
        QCOMPARE(ReadFileBytes(folder + u"/donotcall.wav"_qs), QByteArray("my own message"));
        QCOMPARE(ReadFileBytes(folder + u"/ring.wav"_qs), QByteArray("ring"));
        QVERIFY(QFile::permissions(folder + u"/ring.wav"_qs) & QFile::WriteOwner);
        // Missing source files are not an error; an impossible folder is.
        QVERIFY(PrepareUserDataFolder(root.filePath(u"other"_qs), root.filePath(u"none"_qs)));
        QVERIFY(!PrepareUserDataFolder(folder + u"/ring.wav/sub"_qs, share));
    }

    void realExecutableFolder() {
        qputenv("HUSHWIRE_APPFOLDER", "/tmp/hw-override/");
        QCOMPARE(AppFolder(), u"/tmp/hw-override"_qs);
        QCOMPARE(AppFile(u"public.tel"_qs), u"/tmp/hw-override/public.tel"_qs);
        qunsetenv("HUSHWIRE_APPFOLDER");
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        const QString exeDir = QCoreApplication::applicationDirPath();
        if (QFileInfo(exeDir).isWritable())
            QCOMPARE(AppFolder(), exeDir);
        else
            QCOMPARE(AppFolder(), data.filePath(u"hushwire"_qs));
    }

    // With real permissions, where they bind the user running the tests (not root).
    void readOnlyFolderOnDisk() {
        QTemporaryDir exe;
        QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool enforced = !QFileInfo(exe.path()).isWritable();
        auto realCheck = [](const QString& dir) { return QFileInfo(dir).isWritable(); };
        const AppFolderChoice readOnly =
            ChooseAppFolder({QString(), exe.path(), u"/data"_qs, u"/home/u"_qs, realCheck});
        QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!enforced || geteuid() == 0)
            QSKIP("folder permissions do not bind this user; the choice is covered above");
        QCOMPARE(readOnly.kind, AppFolderKind::UserData);
        const AppFolderChoice writable =
            ChooseAppFolder({QString(), exe.path(), u"/data"_qs, u"/home/u"_qs, realCheck});
        QCOMPARE(writable.kind, AppFolderKind::Portable);
    }
};

QTEST_GUILESS_MAIN(TestAppFolder)
#include "tst_appfolder.moc"
