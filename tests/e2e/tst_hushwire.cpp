// The real program against the modem emulator: a listed caller is answered, hears the message
// and is hung up on; an unlisted caller rings on; SIGTERM puts the line back on hook and ends
// the program with status 0; the emulator, sent SIGTERM in turn, ends with status 0 too (under
// the sanitizers both statuses also say nothing leaked). Everything runs in a private HOME,
// settings and data folder.
#include <QDir>
#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <csignal>

#include "support/Files.h"
#include "support/Sipp.h"

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

// The private HOME, runtime, settings and data folders, the sounds, and one listed number.
bool prepareFolders(const QString& root) {
    const QString app = root + QStringLiteral("/app");
    for (const char* sub : {"/home", "/config/hushwire", "/run", "/app"}) {
        if (!QDir().mkpath(root + QLatin1String(sub)))
            return false;
    }
    QFile::setPermissions(root + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const char* sound : {"/donotcall.wav", "/ring.wav"}) {
        if (!QFile::copy(kBuild + QLatin1String(sound), app + QLatin1String(sound)))
            return false;
    }
    QFile publicList(app + QStringLiteral("/public.tel"));
    if (!publicList.open(QIODevice::WriteOnly))
        return false;
    QByteArray record(8, '\0');
    const double value = kListedNumber;
    std::memcpy(record.data(), &value, 8); // little-endian on every machine we build for
    return publicList.write(record) == 8;
}

bool writeSettings(const QString& root, const QByteArray& text) {
    QFile conf(root + QStringLiteral("/config/hushwire/hushwire.conf"));
    return conf.open(QIODevice::WriteOnly) && conf.write(text) == text.size();
}

// Starts the emulator; returns the device it offers ("" when it did not start).
QString startModem(QProcess& modem, const QString& record, const QString& modemLog) {
    modem.start(kBuild + QStringLiteral("/hushwire-fakemodem"),
                {QStringLiteral("--record"), record, QStringLiteral("--log"), modemLog});
    if (!modem.waitForStarted() || !QTest::qWaitFor([&] { return modem.canReadLine(); }, 10000))
        return {};
    const QString first = QString::fromLatin1(modem.readLine()).trimmed();
    return first.startsWith(QStringLiteral("DEVICE ")) ? first.mid(7) : QString();
}

bool startHushwire(QProcess& hushwire, const QString& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
    env.insert(QStringLiteral("HUSHWIRE_APPFOLDER"), root + QStringLiteral("/app"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // No secret store: a SIP account's password would be asked for, and nobody is there.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=/nonexistent/hushwire-test-bus"));
    hushwire.setProcessEnvironment(env);
    hushwire.setProcessChannelMode(QProcess::ForwardedChannels);
    hushwire.start(kBuild + QStringLiteral("/hushwire"), {});
    return hushwire.waitForStarted();
}
} // namespace

class TestHushwire : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void blocksAListedCallerAndLetsAFriendThrough();
    void screensSipCallsBesideTheModem();

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
    QVERIFY(prepareFolders(root));

    QProcess modem;
    modem.setProcessChannelMode(QProcess::ForwardedErrorChannel); // its errors show in the test's
    const QString record = root + QStringLiteral("/heard.wav");
    const QString modemLog = root + QStringLiteral("/modem.log");
    const QString device = startModem(modem, record, modemLog);
    QVERIFY(!device.isEmpty());
    QVERIFY(writeSettings(
        root, "[Config]\nLine0=1\n\n[Telephony]\nDevices=" + device.toLocal8Bit() + "\n"));

    QProcess hushwire;
    QVERIFY(startHushwire(hushwire, root));
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

// A SIP line beside the modem line, SIPp calling it: a listed caller is answered, hears the
// whole message and gets a BYE; one who hangs up mid-message ends the call; an unlisted caller
// is never answered; the PIN keyed as telephone events holds the call; SIGTERM during a message
// sends the BYE before the program ends.
void TestHushwire::screensSipCallsBesideTheModem() {
    if (!QFile::exists(kBuild + QStringLiteral("/hushwire")) ||
        !QFile::exists(kBuild + QStringLiteral("/hushwire-fakemodem")))
        QSKIP("hushwire and hushwire-fakemodem are not built");
    if (QStandardPaths::findExecutable(QStringLiteral("sipp")).isEmpty())
        QSKIP("SIPp (sip-tester) is not installed");
    QTemporaryDir dir;
    const QString root = dir.path();
    const QString app = root + QStringLiteral("/app");
    QVERIFY(prepareFolders(root));
    QProcess modem;
    const QString device =
        startModem(modem, root + QStringLiteral("/heard.wav"), root + QStringLiteral("/modem.log"));
    QVERIFY(!device.isEmpty());

    const auto freePort = [] {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        return int(probe.localPort());
    };
    const int sipPort = freePort();
    QVERIFY(writeSettings(root, "[Config]\nLine0=1\nLine1=1\nPIN=123\n\n[Telephony]\nDevices=" +
                                    device.toLocal8Bit() + "\n\n[Sip1]\nListen=127.0.0.1:" +
                                    QByteArray::number(sipPort) + "\nAllow=127.0.0.1\n"));
    // Where SIPp's offer asks the line to send its audio.
    QUdpSocket rtp;
    QVERIFY(rtp.bind(QHostAddress::LocalHost, 0));
    qsizetype heard = 0;
    connect(&rtp, &QUdpSocket::readyRead, &rtp, [&] {
        while (rtp.hasPendingDatagrams()) {
            const QByteArray packet = rtp.receiveDatagram().data();
            if (packet.size() > 12 && (packet.at(1) & 0x7F) < 96)
                heard += packet.size() - 12;
        }
    });

    QProcess hushwire;
    QVERIFY(startHushwire(hushwire, root));
    auto stopAll = qScopeGuard([&] {
        hushwire.kill();
        hushwire.waitForFinished(2000);
        modem.kill();
        modem.waitForFinished(2000);
    });
    QTRY_VERIFY_WITH_TIMEOUT(countContaining(logLines(app), QStringLiteral("Line1 is ready")) == 1,
                             20000);
    QCOMPARE(countContaining(logLines(app), QStringLiteral("Line0 is ready")), 1);

    const QString listed = QStringLiteral("\"ACME SALES\" <sip:8005550199@127.0.0.1>");
    const auto call = [&](const QString& scenario, sipp::Vars vars, QStringList extra = {}) {
        vars.insert(QStringLiteral("RTPPORT"), QString::number(rtp.localPort()));
        return sipp::start(root, scenario, vars,
                           QStringList{QStringLiteral("-i"), QStringLiteral("127.0.0.1"),
                                       QStringLiteral("-p"), QString::number(freePort()),
                                       QStringLiteral("127.0.0.1:%1").arg(sipPort)} +
                               extra);
    };

    // Listed: 180, 200, the whole ten-second message, then the BYE.
    auto blocked = call(QStringLiteral("caller"), sipp::Caller(listed, {}, sipp::AwaitBye()));
    QVERIFY(sipp::passed(blocked.get(), 40000));
    QTRY_VERIFY_WITH_TIMEOUT(heard >= 80000, 2000);
    QCOMPARE(countContaining(logLines(app), QStringLiteral("CallerID:8005550199 [ACME SALES]")), 1);

    // The caller hangs up during the message: the call ends there.
    heard = 0;
    auto hangsUp = call(QStringLiteral("caller"), sipp::Caller(listed, {}, sipp::HangUp(1500)));
    QVERIFY(sipp::passed(hangsUp.get()));
    QTest::qWait(500);
    const qsizetype heardBeforeHangUp = heard;
    QVERIFY(heardBeforeHangUp > 0 && heardBeforeHangUp < 40000);
    QTest::qWait(500);
    QCOMPARE(heard, heardBeforeHangUp);

    // Unlisted: logged, rings on and is never answered until the caller gives up.
    auto passed =
        call(QStringLiteral("caller_cancel"),
             {{QStringLiteral("FROM"), QStringLiteral("\"A FRIEND\" <sip:5552368@127.0.0.1>")},
              {QStringLiteral("OFFER"), sipp::Sdp(QStringLiteral("0 101"))},
              {QStringLiteral("RINGMS"), QStringLiteral("2500")}});
    QVERIFY(sipp::passed(passed.get()));
    QCOMPARE(countContaining(logLines(app), QStringLiteral("CallerID:5552368 [A FRIEND]")), 1);

    // The PIN keyed during the message on a line with no transfer target: recognised, and the
    // caller is let go with a BYE once the message has ended (holding a SIP caller strands them).
    auto pin = call(QStringLiteral("caller"),
                    sipp::Caller(listed,
                                 QStringLiteral("<pause milliseconds=\"500\"/>\n") +
                                     sipp::KeysAsEvents(QStringLiteral("123")),
                                 sipp::AwaitBye()),
                    {QStringLiteral("-mp"), QString::number(freePort())});
    QVERIFY(sipp::passed(pin.get(), 40000));
    QCOMPARE(countContaining(logLines(app), QStringLiteral("UnLock PIN Detected")), 1);

    // The caller who keyed the PIN rings through on the next call: a person, let in.
    auto again = call(QStringLiteral("caller_cancel"),
                      {{QStringLiteral("FROM"), listed},
                       {QStringLiteral("OFFER"), sipp::Sdp(QStringLiteral("0 101"))},
                       {QStringLiteral("RINGMS"), QStringLiteral("2500")}});
    QVERIFY(sipp::passed(again.get()));
    QCOMPARE(countContaining(logLines(app), QStringLiteral("Call-back window")), 1);

    // SIGTERM while the message plays (to a caller from a range a rule blocks): the caller gets
    // its BYE, the program ends with 0.
    QVERIFY(
        WriteFileBytes(app + QStringLiteral("/rules.txt"), "block number 888555* robo range\n"));
    heard = 0;
    auto last = call(
        QStringLiteral("caller"),
        sipp::Caller(QStringLiteral("\"ROBO\" <sip:8885550100@127.0.0.1>"), {}, sipp::AwaitBye()));
    QTRY_VERIFY_WITH_TIMEOUT(heard > 1600, 10000);
    ::kill(static_cast<pid_t>(hushwire.processId()), SIGTERM);
    QVERIFY(hushwire.waitForFinished(15000));
    QCOMPARE(hushwire.exitCode(), 0);
    QVERIFY(sipp::passed(last.get(), 5000));

    const QStringList lines = logLines(app);
    QCOMPARE(countContaining(lines, QStringLiteral("Line1 Ring...")), 6);
    QCOMPARE(countContaining(lines, QStringLiteral("Blocked")), 4);
    QCOMPARE(countContaining(lines, QStringLiteral("Rule: robo range")), 1);
}

QTEST_GUILESS_MAIN(TestHushwire)
#include "tst_hushwire.moc"
