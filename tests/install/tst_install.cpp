// `cmake --install` of the build folder lays the program out as a desktop program expects.
#include "shell/AppInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {
QByteArray unpack(const QString& gz) {
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), gz});
    gzip.waitForFinished(10000);
    return gzip.exitCode() == 0 ? gzip.readAllStandardOutput() : QByteArray();
}
} // namespace

class TestInstall : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void executablesAndSharedFiles();
    void desktopEntryMatchesExecutableAndIcons();
    void manPages();
    void debianDocumentsAndHelpPage();
    void systemdUnitsVerify();

private:
    QString path(const QString& relative) const { return m_root.filePath(relative); }
    QTemporaryDir m_root;
};

void TestInstall::initTestCase() {
    QVERIFY(m_root.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral("cmake"),
                  {QStringLiteral("--install"), QStringLiteral(HW_BUILD_DIR),
                   QStringLiteral("--prefix"), m_root.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

void TestInstall::executablesAndSharedFiles() {
    const QStringList programs = {QStringLiteral("hushwire"), QStringLiteral("hushwire-service"),
                                  QStringLiteral("hushwire-fakemodem")};
    for (const QString& program : programs) {
        // A program the build made must be installed, and runnable.
        if (!QFileInfo::exists(QStringLiteral(HW_BUILD_DIR "/") + program))
            continue;
        const QFileInfo bin(path(QStringLiteral("bin/") + program));
        QVERIFY2(bin.isFile() && bin.isExecutable(), qPrintable(bin.filePath()));
    }
    // Every sound file and page of the source tree, byte for byte.
    const QDir assets(QStringLiteral(HW_SOURCE_DIR "/assets"));
    const QStringList shared =
        assets.entryList({QStringLiteral("*.wav"), QStringLiteral("*.html")}, QDir::Files);
    QVERIFY(shared.contains(QStringLiteral("donotcall.wav")));
    QVERIFY(shared.contains(QStringLiteral("ring.wav")));
    for (const QString& name : shared) {
        QFile source(assets.filePath(name));
        QFile installed(path(QStringLiteral("share/hushwire/") + name));
        QVERIFY2(installed.open(QIODevice::ReadOnly), qPrintable(installed.fileName()));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QCOMPARE(installed.readAll(), source.readAll());
    }
}

void TestInstall::desktopEntryMatchesExecutableAndIcons() {
    const QString desktopPath =
        path(QStringLiteral("share/applications/" HUSHWIRE_APP_ID ".desktop"));
    QFile desktop(desktopPath);
    QVERIFY(desktop.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(desktop.readLine().trimmed(), QByteArray("[Desktop Entry]"));

    QSettings entry(desktopPath, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
    QCOMPARE(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("Hushwire"));
    QCOMPARE(entry.value(QStringLiteral("Terminal")).toString(), QStringLiteral("false"));
    // The menu starts the installed program by name and shows the icon the theme installs.
    QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("hushwire"));
    const QString icon = entry.value(QStringLiteral("Icon")).toString();
    QCOMPARE(icon, QStringLiteral("hushwire"));

    QFile svg(
        path(QStringLiteral("share/icons/hicolor/scalable/apps/") + icon + QStringLiteral(".svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QLatin1String("svg"));
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));

    QFile png(
        path(QStringLiteral("share/icons/hicolor/32x32/apps/") + icon + QStringLiteral(".png")));
    QVERIFY(png.open(QIODevice::ReadOnly));
    const QByteArray head = png.read(24);
    QCOMPARE(head.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    // IHDR width and height, big-endian.
    QCOMPARE(head.mid(16, 8), QByteArray("\0\0\0\x20\0\0\0\x20", 8));
}

void TestInstall::manPages() {
    const QByteArray page = unpack(path(QStringLiteral("share/man/man1/hushwire.1.gz")));
    QVERIFY(page.startsWith(".TH HUSHWIRE 1"));
    QVERIFY(page.contains("hushwire\\-fakemodem"));
    QCOMPARE(unpack(path(QStringLiteral("share/man/man1/hushwire-fakemodem.1.gz"))).trimmed(),
             QByteArray(".so man1/hushwire.1"));
}

// The documents Debian expects of a package, and the help page with the sections the program's
// links open.
void TestInstall::debianDocumentsAndHelpPage() {
    QFile copyright(path(QStringLiteral("share/doc/hushwire/copyright")));
    QVERIFY(copyright.open(QIODevice::ReadOnly));
    QVERIFY(copyright.readAll().startsWith(
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));

    // The package's version is the one the about window shows.
    const QString head = QStringLiteral("hushwire (%1.%2.%3) ")
                             .arg(appinfo::kVersionMajor)
                             .arg(appinfo::kVersionMinor)
                             .arg(appinfo::kVersionRevision);
    QVERIFY(unpack(path(QStringLiteral("share/doc/hushwire/changelog.gz")))
                .startsWith(head.toLatin1()));

    QFile help(path(QStringLiteral("share/hushwire/help.html")));
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QByteArray page = help.readAll();
    for (const char* anchor : {"id=\"sharing\"", "id=\"emulator\""})
        QVERIFY2(page.contains(anchor), anchor);
}

// The system unit and the user unit pass systemd-analyze verify without a single complaint.
void TestInstall::systemdUnitsVerify() {
    if (QStandardPaths::findExecutable(QStringLiteral("systemd-analyze")).isEmpty())
        QSKIP("systemd-analyze is not installed (scripts/deps installs it)");
    QProcess verify;
    verify.setProcessChannelMode(QProcess::MergedChannels);
    verify.start(QStringLiteral(HW_SOURCE_DIR "/scripts/verify-units"), {m_root.path()});
    QVERIFY(verify.waitForFinished(60000));
    QVERIFY2(verify.exitCode() == 0, verify.readAll().constData());
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
