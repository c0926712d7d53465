// The real program against the modem emulator: a listed caller is answered, hears the message
// and is hung up on; an unlisted caller rings on; SIGTERM puts the line back on hook and ends
// the program with status 0; the emulator, sent SIGTERM in turn, ends with status 0 too (under
// the sanitizers both statuses also say nothing leaked). Everything runs in a private HOME,
// settings and data folder.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {
const QString kBuild = QStringLiteral(HW_BUILD_DIR);
constexpr double kListedNumber = 8005550199.0;

QString readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll());
}

QStringList logLines(const QString& appFolder) {
    const QDir logs(appFolder + QStringLiteral("/LogFiles"));
    const QStringList files = logs.entryList({QStringLiteral("*.txt")}, QDir::Files);
    QStringList lines;
    for (const QString& name : files)
        lines += readAll(logs.filePath(name)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return lines;
}

int countContaining(const QStringList& lines, const QString& text) {
    int n = 0;
    for (const QString& line : lines)
        n += line.contains(text) ? 1 : 0;
    return n;
}
} // namespace

class TestHushwire : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void blocksAListedCallerAndLetsAFriendThrough();

private:
    QTemporaryDir m_dir;
};

void TestHushwire::blocksAListedCallerAndLetsAFriendThrough() {
    if (!QFile::exists(kBuild + QStringLiteral("/hushwire")) ||
        !QFile::exists(kBuild + QStringLiteral("/hushwire-fakemodem")))
        QSKIP("hushwire and hushwire-fakemodem are not built");
    QVERIFY(m_dir.isValid());
    const QString root = m_dir.path();
    const QString app = root + QStringLiteral("/app");
    const QString runtime = root + QStringLiteral("/run");
    for (const char* sub : {"/home", "/config/hushwire", "/run", "/app"})
        QVERIFY(QDir().mkpath(root + QLatin1String(sub)));
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const char* sound : {"/donotcall.wav", "/ring.wav"})
        QVERIFY(QFile::copy(kBuild + QLatin1String(sound), app + QLatin1String(sound)));
    {
        QFile publicList(app + QStringLiteral("/public.tel"));
        QVERIFY(publicList.open(QIODevice::WriteOnly));
        QByteArray record(8, '\0');
        const double value = kListedNumber;
        std::memcpy(record.data(), &value, 8); // little-endian on every machine we build for
        publicList.write(record);
    }

    QProcess modem;
    modem.setProcessChannelMode(QProcess::ForwardedErrorChannel); // its errors show in the test's
    const QString record = root + QStringLiteral("/heard.wav");
    const QString modemLog = root + QStringLiteral("/modem.log");
    modem.start(kBuild + QStringLiteral("/hushwire-fakemodem"),
                {QStringLiteral("--record"), record, QStringLiteral("--log"), modemLog});
    QVERIFY(modem.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(modem.canReadLine(), 10000);
    const QString first = QString::fromLatin1(modem.readLine()).trimmed();
    QVERIFY2(first.startsWith(QStringLiteral("DEVICE ")), qPrintable(first));
    const QString device = first.mid(7);

    {
        QFile conf(root + QStringLiteral("/config/hushwire/hushwire.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[Config]\nLine0=1\n\n[Telephony]\nDevices=" + device.toLocal8Bit() + "\n");
    }

    QProcess hushwire;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("HUSHWIRE_APPFOLDER"), app);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    hushwire.setProcessEnvironment(env);
    hushwire.setProcessChannelMode(QProcess::ForwardedChannels);
    hushwire.start(kBuild + QStringLiteral("/hushwire"), {});
    QVERIFY(hushwire.waitForStarted());
    auto stopAll = qScopeGuard([&] {
        hushwire.kill();
        hushwire.waitForFinished(2000);
        modem.kill();
        modem.waitForFinished(2000);
    });

    QTRY_VERIFY_WITH_TIMEOUT(countContaining(logLines(app), QStringLiteral("Line0 is ready")) == 1,
                             20000);

    // A listed telemarketer: answered after the caller ID, the message sent, then hung up.
    modem.write("ring\nwait 800\ncid NMBR=8005550199 NAME=ACME SALES\n");
    QTRY_VERIFY_WITH_TIMEOUT(readAll(modemLog).contains(QStringLiteral("vtx end")), 40000);
    QTRY_VERIFY_WITH_TIMEOUT(readAll(modemLog).lastIndexOf(QStringLiteral("EV onhook")) >
                                 readAll(modemLog).lastIndexOf(QStringLiteral("EV offhook")),
                             10000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(record).size() > 44 + 8000, 10000);
    const int answers =
        countContaining(readAll(modemLog).split(QLatin1Char('\n')), QStringLiteral("RX AT+VLS=1"));
    QCOMPARE(answers, 1);

    // A friend, a little later: logged, never answered.
    modem.write("wait 2000\nring\nwait 800\ncid NMBR=5552368 NAME=A FRIEND\nwait 1500\nring\n");
    QTRY_VERIFY_WITH_TIMEOUT(countContaining(logLines(app), QStringLiteral("5552368")) == 1, 20000);
    QTest::qWait(2500);
    QCOMPARE(
        countContaining(readAll(modemLog).split(QLatin1Char('\n')), QStringLiteral("RX AT+VLS=1")),
        answers);

    // Today's log holds exactly the line coming up, the two calls and their caller IDs.
    const QStringList lines = logLines(app);
    QVERIFY2(lines.size() == 5, qPrintable(lines.join(QLatin1Char('\n'))));
    QCOMPARE(countContaining(lines, QStringLiteral("Line0 is ready")), 1);
    QCOMPARE(countContaining(lines, QStringLiteral("Line0 Ring...")), 2);
    QCOMPARE(countContaining(lines, QStringLiteral("CallerID:8005550199 [ACME SALES]")), 1);
    QCOMPARE(countContaining(lines, QStringLiteral("Blocked")), 1);
    QCOMPARE(countContaining(lines, QStringLiteral("CallerID:5552368 [A FRIEND]")), 1);

    // The telemarketer again; SIGTERM while the message plays: orderly shut-down, status 0, and
    // the line is put back on hook.
    // (after the friend's call has stopped ringing and has been let go)
    modem.write("wait 8000\nring\nwait 800\ncid NMBR=8005550199 NAME=ACME SALES\n");
    QTRY_VERIFY_WITH_TIMEOUT(readAll(modemLog).count(QStringLiteral("EV vtx start")) == 2, 30000);
    ::kill(static_cast<pid_t>(hushwire.processId()), SIGTERM);
    QVERIFY(hushwire.waitForFinished(15000));
    QCOMPARE(hushwire.exitStatus(), QProcess::NormalExit);
    QCOMPARE(hushwire.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(readAll(modemLog).lastIndexOf(QStringLiteral("EV offhook")) <
                                 readAll(modemLog).lastIndexOf(QStringLiteral("EV onhook")),
                             5000);
    // The log file was closed with everything in it.
    QCOMPARE(countContaining(logLines(app), QStringLiteral("Blocked")), 2);

    modem.terminate();
    QVERIFY(modem.waitForFinished(15000));
    QCOMPARE(modem.exitStatus(), QProcess::NormalExit);
    QCOMPARE(modem.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestHushwire)
#include "tst_hushwire.moc"
