// The service's SIP lines as the system unit runs them. With netlink sockets refused (the unit's
// address-family filter), a line listening on 0.0.0.0 still answers a caller through 127.0.0.1
// and status shows an account's refused registration; and an account's password read from a
// systemd credential or from a PasswordFile registers with a registrar that checks the digest.
#include "support/EmulatedLine.h"
#include "support/Files.h"
#include "support/SipRig.h"
#include "support/Sipp.h"

#include <QTest>
#include <QUdpSocket>

using namespace Qt::StringLiterals;

class TestSipService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void listensOnAnyAddressWithNetlinkRefused();
    void passwordsFromACredentialAndAPasswordFileRegister();
    void cleanup();

private:
    // A registrar on 127.0.0.1:port that grants alice's registration with password "secret".
    std::unique_ptr<QProcess> registrar(int port);
    // The status line of one line, once the service answers.
    QString status(int line) const;
    // A private, owner-only file holding text.
    QString secretFile(const QString& name, const QByteArray& text) const;

    std::unique_ptr<EmulatedLine> m_line;
    QProcess m_service;
    QString m_journal;
    QTemporaryDir m_dir;
};

void TestSipService::init() {
    if (!EmulatedLine::Built())
        QSKIP("hushwire-service is not built");
    m_line = std::make_unique<EmulatedLine>();
    m_journal.clear();
}

std::unique_ptr<QProcess> TestSipService::registrar(int port) {
    return sipp::start(m_dir.path(), u"registrar"_s, sipp::Registrar(u"secret"_s),
                       {u"-i"_s, u"127.0.0.1"_s, u"-p"_s, QString::number(port)});
}

QString TestSipService::status(int line) const {
    const EmulatedLine::Result result = m_line->run({u"status"_s});
    const QStringList lines =
        result.out.split(QLatin1Char('\n')).filter(QStringLiteral("Line%1\t").arg(line));
    return lines.size() == 1 ? lines[0] : result.out + result.err;
}

QString TestSipService::secretFile(const QString& name, const QByteArray& text) const {
    const QString path = m_dir.filePath(name);
    WriteFileBytes(path, text);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return path;
}

void TestSipService::listensOnAnyAddressWithNetlinkRefused() {
    const QString launcher = m_line->program(u"hushwire-no-netlink"_s);
    QProcess probe;
    probe.start(launcher, {u"true"_s});
    QVERIFY(probe.waitForFinished(5000));
    if (probe.exitCode() == 125)
        QSKIP("a seccomp filter cannot be installed here, so netlink cannot be refused");
    QCOMPARE(probe.exitCode(), 0);

    QCOMPARE(m_line->run({u"list"_s, u"add"_s, u"public"_s, u"8005550199"_s}).status, 0);
    // Line0: an ATA-style line on every address. Line1: an account (on any address, as
    // accounts are) whose registrar refuses its password.
    const int sipPort = SipRig::FreePort();
    const int registrarPort = SipRig::FreePort();
    m_line->setSettings({{u"Config/Line0"_s, 1},
                         {u"Config/Line1"_s, 1},
                         {u"Sip1/Listen"_s, u"0.0.0.0:%1"_s.arg(sipPort)},
                         {u"Sip1/Allow"_s, u"127.0.0.1"_s},
                         {u"Sip2/Account"_s, u"sip:alice@127.0.0.1:%1"_s.arg(registrarPort)},
                         {u"Sip2/PasswordFile"_s, secretFile(u"sip2"_s, "guess\n")}});
    const std::unique_ptr<QProcess> refusing = registrar(registrarPort);
    QProcessEnvironment env = m_line->environment(false);
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent/hushwire-test-bus"_s);
    m_line->startService(m_service, m_journal, {launcher}, env);
    QVERIFY(m_service.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(u"Line0 is ready"_s), 20000);

    QUdpSocket rtp;
    QVERIFY(rtp.bind(QHostAddress::LocalHost, 0));
    sipp::Vars vars = sipp::Caller(u"\"Caller\" <sip:8005550199@127.0.0.1>"_s);
    vars.insert(u"RTPPORT"_s, QString::number(rtp.localPort()));
    const std::unique_ptr<QProcess> caller =
        sipp::start(m_dir.path(), u"caller"_s, vars,
                    {u"-i"_s, u"127.0.0.1"_s, u"-p"_s, QString::number(SipRig::FreePort()),
                     u"127.0.0.1:%1"_s.arg(sipPort)});
    QVERIFY(sipp::passed(caller.get()));
    QTRY_COMPARE_WITH_TIMEOUT(m_line->logLines().filter(u"Blocked"_s).size(), 1, 5000);
    // A line with a problem shows as an error, not ready.
    QVERIFY2(status(0).startsWith(u"Line0\tready\t"_s), qPrintable(status(0)));

    QVERIFY(sipp::passed(refusing.get()));
    QTRY_VERIFY_WITH_TIMEOUT(status(1).startsWith(u"Line1\terror\t"_s), 5000);
    QVERIFY2(status(1).contains(u"the server refused the registration: 403 Forbidden"_s),
             qPrintable(status(1)));
    QVERIFY2(!m_journal.contains(u"could not listen"_s), qPrintable(m_journal));
}

void TestSipService::passwordsFromACredentialAndAPasswordFileRegister() {
    // Line0's password is the systemd credential sip1; Line1's is in its PasswordFile.
    const int port1 = SipRig::FreePort();
    const int port2 = SipRig::FreePort();
    m_line->setSettings({{u"Config/Line0"_s, 1},
                         {u"Config/Line1"_s, 1},
                         {u"Sip1/Account"_s, u"sip:alice@127.0.0.1:%1"_s.arg(port1)},
                         {u"Sip1/Listen"_s, u"127.0.0.1:0"_s},
                         {u"Sip2/Account"_s, u"sip:alice@127.0.0.1:%1"_s.arg(port2)},
                         {u"Sip2/Listen"_s, u"127.0.0.1:0"_s},
                         {u"Sip2/PasswordFile"_s, secretFile(u"sip2.password"_s, "secret\n")}});
    QDir(m_dir.path()).mkdir(u"credentials"_s);
    secretFile(u"credentials/sip1"_s, "secret");
    const std::unique_ptr<QProcess> first = registrar(port1);
    const std::unique_ptr<QProcess> second = registrar(port2);
    QProcessEnvironment env = m_line->environment(false);
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent/hushwire-test-bus"_s);
    env.insert(u"CREDENTIALS_DIRECTORY"_s, m_dir.filePath(u"credentials"_s));
    m_line->startService(m_service, m_journal, {}, env);
    QVERIFY(m_service.waitForStarted());
    // Each registrar answers 403 to a wrong digest, which status would show.
    QVERIFY(sipp::passed(first.get()));
    QVERIFY(sipp::passed(second.get()));
    QTest::qWait(500);
    for (int line : {0, 1}) {
        const QString text = status(line);
        QVERIFY2(text.startsWith(u"Line%1\tready\t"_s.arg(line)), qPrintable(text + m_journal));
    }
}

void TestSipService::cleanup() {
    if (m_service.state() != QProcess::NotRunning) {
        m_service.terminate();
        if (!m_service.waitForFinished(5000)) {
            m_service.kill();
            m_service.waitForFinished(2000);
        }
    }
    m_service.disconnect();
    m_line.reset();
}

QTEST_GUILESS_MAIN(TestSipService)
#include "tst_sipservice.moc"
