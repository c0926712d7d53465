// The call screening engine on the real SIP line service, with SIPp as the caller and as the
// registrar on 127.0.0.1.

#include "support/SipRig.h"
#include "support/Sipp.h"
#include "telephony/sip/StrangerReplies.h"
#include "telephony/sip/TlsServerName.h"

#include "platform/audio/PcmConvert.h"

#include <QNetworkDatagram>
#include <QtTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kListed = QStringLiteral("\"Telemarketer\" <sip:5551234567@127.0.0.1>");
const QString kFriend = QStringLiteral("\"Friend\" <sip:5550000000@127.0.0.1>");

SipLineConfig Account(int registrarPort, const QString& password, const QString& transport) {
    SipLineConfig c;
    c.account = QStringLiteral("sip:alice@127.0.0.1:%1").arg(registrarPort);
    c.listen = QStringLiteral("127.0.0.1:0");
    c.transport = transport;
    c.password = password;
    return c;
}

using Vars = QMap<QString, QString>;
using sipp::Caller;
using sipp::HangUp;
using sipp::Request;
using sipp::Sdp;

// A self-signed certificate and its key for the subject given, with extensions (-addext).
bool SelfSigned(const QString& cert, const QString& key, const QString& subject,
                const QStringList& extensions = {}) {
    QStringList args{QStringLiteral("req"),
                     QStringLiteral("-x509"),
                     QStringLiteral("-newkey"),
                     QStringLiteral("rsa:2048"),
                     QStringLiteral("-nodes"),
                     QStringLiteral("-days"),
                     QStringLiteral("1"),
                     QStringLiteral("-subj"),
                     subject,
                     QStringLiteral("-keyout"),
                     key,
                     QStringLiteral("-out"),
                     cert};
    for (const QString& extension : extensions)
        args << QStringLiteral("-addext") << extension;
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), args);
    return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
}

} // namespace

class TestSipLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listedCallerHearsWholeMessageThenBye_data();
    void listedCallerHearsWholeMessageThenBye();
    void pinKeyedDuringMessageIsRecognised_data();
    void pinKeyedDuringMessageIsRecognised();
    void unlistedCallerOnlyRingsUntilCancelled();
    void cancelBeforeCallerIdIsActedOn();
    void farEndHangsUpMidMessage();
    void secondCallIsBusyAndStrangerForbidden();
    void strangersFloodIsDroppedButAPeerIsAnswered();
    void registrationWithDigest_data();
    void registrationWithDigest();
    void registrarDownThenUp();
    void tlsServerMustBeTrusted_data();
    void tlsServerMustBeTrusted();
    void tlsClientHelloNamesTheServer();
};

// Whoever is blocked hears the whole message in the negotiated codec, re-INVITE or not.
void TestSipLine::listedCallerHearsWholeMessageThenBye_data() {
    QTest::addColumn<Vars>("vars");
    QTest::addColumn<int>("blockUnknown");
    QTest::addColumn<int>("codec");
    const int mu = int(ModemVoiceFormat::MuLaw);
    const int a = int(ModemVoiceFormat::ALaw);
    QTest::newRow("listed") << Caller(kListed) << 0 << mu;
    Vars late = Caller(kListed);
    late[QStringLiteral("OFFER")] = QString();
    late[QStringLiteral("ANSWER")] = Sdp(QStringLiteral("8 101"));
    QTest::newRow("late offer, A-law answer") << late << 0 << a;
    QTest::newRow("re-INVITE mid-message")
        << Caller(kListed,
                  QStringLiteral("<pause milliseconds=\"600\"/>\n") +
                      Request(QStringLiteral("INVITE"), 2, QStringLiteral("application/sdp"),
                              Sdp(QStringLiteral("0 101")) + QStringLiteral("a=sendonly\n")) +
                      QStringLiteral("<recv response=\"100\" optional=\"true\"/>\n"
                                     "<recv response=\"200\"/>\n") +
                      Request(QStringLiteral("ACK"), 2, {}, {}))
        << 0 << mu;
    QTest::newRow("withheld, BlockUnknown on")
        << Caller(QStringLiteral("\"Anonymous\" <sip:anonymous@anonymous.invalid>")) << 1 << mu;
}

void TestSipLine::listedCallerHearsWholeMessageThenBye() {
    QFETCH(Vars, vars);
    QFETCH(int, blockUnknown);
    QFETCH(int, codec);
    SipRig rig;
    rig.prepare(1500, 5551234567.0);
    rig.setOption(&EngineOptions::blockUnknown, blockUnknown);
    rig.start();
    QVERIFY(rig.passed(rig.sipp(QStringLiteral("caller"), vars)));
    QVERIFY(rig.log.texts().filter(QStringLiteral("Blocked")).size() == 1);
    const QByteArray expected = rig.expectedAudio(ModemVoiceFormat(codec));
    QVERIFY(QTest::qWaitFor([&] { return rig.heard.size() >= expected.size(); }, 2000));
    QCOMPARE(rig.heard.size(), expected.size());
    QVERIFY(rig.heard == expected);
    QVERIFY(QTest::qWaitFor([&] { return rig.engine->slot(0).callHandle == 0; }, 2000));
}

// The PIN keyed during the message is recognised however the keys come; a line with no
// Transfer target then lets the caller go once the message has ended.
void TestSipLine::pinKeyedDuringMessageIsRecognised_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("lateAnswer"); // a late offer and the caller's answer to ours
    QTest::addColumn<bool>("inBand");        // tones in PCMU, no telephone events offered
    QString events;
    QString info;
    for (int i = 1; i <= 3; ++i) {
        events += QStringLiteral("<nop><action><exec play_pcap_audio=\"/usr/share/sip-tester/"
                                 "dtmf_2833_%1.pcap\"/></action></nop>\n"
                                 "<pause milliseconds=\"400\"/>\n")
                      .arg(i);
        info += Request(QStringLiteral("INFO"), i + 1,
                        i == 2 ? QStringLiteral("application/dtmf")
                               : QStringLiteral("application/dtmf-relay"),
                        i == 2 ? QStringLiteral("2")
                               : QStringLiteral("Signal=%1\nDuration=160").arg(i)) +
                QStringLiteral("<recv response=\"200\"/>\n");
    }
    QTest::newRow("telephone events") << events << QString() << false;
    QTest::newRow("SIP INFO") << info << QString() << false;
    QTest::newRow("in-band tones") << QString() << QString() << true;
    // Our offer says 101, the answer says 96, and the gateway sends on the number we offered.
    QTest::newRow("late offer, events on the offered number")
        << events
        << QStringLiteral("v=0\no=caller 1 1 IN IP4 127.0.0.1\ns=-\nc=IN IP4 127.0.0.1\nt=0 0\n"
                          "m=audio %RTPPORT% RTP/AVP 0 96\na=rtpmap:96 telephone-event/8000\n")
        << false;
}

void TestSipLine::pinKeyedDuringMessageIsRecognised() {
    QFETCH(QString, keys);
    QFETCH(QString, lateAnswer);
    QFETCH(bool, inBand);
    SipRig rig;
    if (inBand)
        keys = sipp::KeysInBand(rig.dir.path(), QStringLiteral("123"));
    rig.prepare(4000, 5551234567.0);
    rig.setOption(&EngineOptions::pin, QStringLiteral("123"));
    rig.start();
    Vars vars = Caller(kListed, QStringLiteral("<pause milliseconds=\"300\"/>\n") + keys);
    if (inBand)
        vars[QStringLiteral("OFFER")] = Sdp(QStringLiteral("0"));
    if (!lateAnswer.isEmpty()) {
        vars[QStringLiteral("OFFER")] = QString();
        vars[QStringLiteral("ANSWER")] = lateAnswer;
    }
    QProcess* caller = rig.sipp(QStringLiteral("caller"), vars,
                                {QStringLiteral("-mp"), QString::number(SipRig::FreePort())});
    QVERIFY(rig.passed(caller));
    QVERIFY(rig.log.texts().contains(QStringLiteral("UnLock PIN Detected")));
}

// An unlisted caller gets 180 and rings on (a ring notice every interval: in mode 2 the PC
// rings from the second on), then only the answers to its CANCEL.
void TestSipLine::unlistedCallerOnlyRingsUntilCancelled() {
    SipRig rig;
    rig.prepare(1000, 5551234567.0);
    rig.service->setRingIntervalMs(500);
    rig.setOption(&EngineOptions::mode, 2);
    rig.start();
    QProcess* caller = rig.sipp(QStringLiteral("caller_cancel"),
                                {{QStringLiteral("FROM"), kFriend},
                                 {QStringLiteral("OFFER"), Sdp(QStringLiteral("0 101"))},
                                 {QStringLiteral("RINGMS"), QStringLiteral("1800")}});
    QVERIFY(QTest::qWaitFor([&] { return rig.engine->slot(0).callHandle != 0; }, 5000));
    QVERIFY(QTest::qWaitFor(
        [&] { return rig.log.texts().contains(QStringLiteral("CallerID:5550000000 [Friend]")); },
        2000));
    QVERIFY(rig.passed(caller));
    QCOMPARE(rig.log.texts().count(QStringLiteral("Line0 Ring...")), 1);
    QVERIFY(rig.sound.played.size() >= 2);
    QVERIFY(QTest::qWaitFor([&] { return rig.engine->slot(0).callHandle == 0; }, 2000));
    QVERIFY(rig.heard.isEmpty());
}

// The caller gives up before the program has seen the call: nothing is answered.
void TestSipLine::cancelBeforeCallerIdIsActedOn() {
    SipRig rig;
    rig.prepare(1000, 5551234567.0);
    rig.start();
    QProcess* caller = rig.sipp(QStringLiteral("caller_cancel"),
                                {{QStringLiteral("FROM"), kListed},
                                 {QStringLiteral("OFFER"), Sdp(QStringLiteral("0 101"))},
                                 {QStringLiteral("RINGMS"), QStringLiteral("0")}});
    QVERIFY(rig.passedWhileBusy(caller));
    QVERIFY(QTest::qWaitFor(
        [&] { return rig.log.texts().contains(QStringLiteral("Line0 Ring...")); }, 2000));
    QVERIFY(QTest::qWaitFor([&] { return rig.engine->slot(0).callHandle == 0; }, 2000));
    QTest::qWait(300);
    QVERIFY(rig.heard.isEmpty());
}

void TestSipLine::farEndHangsUpMidMessage() {
    SipRig rig;
    rig.prepare(3000, 5551234567.0);
    rig.start();
    QVERIFY(rig.passed(rig.sipp(QStringLiteral("caller"), Caller(kListed, {}, HangUp(800)))));
    QVERIFY(QTest::qWaitFor([&] { return rig.engine->slot(0).callHandle == 0; }, 3000));
    QVERIFY(!rig.wave->isPlaying(0));
    const qsizetype heard = rig.heard.size();
    QVERIFY(heard > 0 && heard < rig.expectedAudio(ModemVoiceFormat::MuLaw).size() / 2);
    QTest::qWait(200);
    QCOMPARE(rig.heard.size(), heard); // the message stopped with the call
}

// While a call rings, a second INVITE is busy; a stranger is forbidden and never rings.
void TestSipLine::secondCallIsBusyAndStrangerForbidden() {
    SipRig rig;
    rig.prepare(1000, 5551234567.0);
    rig.start();
    QProcess* first = rig.sipp(QStringLiteral("caller_cancel"),
                               {{QStringLiteral("FROM"), kFriend},
                                {QStringLiteral("OFFER"), Sdp(QStringLiteral("0 101"))},
                                {QStringLiteral("RINGMS"), QStringLiteral("2500")}});
    QVERIFY(QTest::qWaitFor([&] { return rig.engine->slot(0).callHandle != 0; }, 5000));
    QVERIFY(rig.passed(
        rig.sipp(QStringLiteral("refused"), {{QStringLiteral("CODE"), QStringLiteral("486")}})));
    QVERIFY(rig.passed(first));
    QVERIFY(QTest::qWaitFor([&] { return rig.engine->slot(0).callHandle == 0; }, 2000));
    rig.log.clear();
    QVERIFY(rig.passed(rig.sipp(QStringLiteral("refused"),
                                {{QStringLiteral("CODE"), QStringLiteral("403")}},
                                {QStringLiteral("-i"), QStringLiteral("127.0.0.2")})));
    QTest::qWait(200);
    QVERIFY(rig.log.texts().isEmpty());
}

// A scanner's flood from one address gets a few 403s and then silence, while a peer the line
// takes calls from is still answered.
void TestSipLine::strangersFloodIsDroppedButAPeerIsAnswered() {
    SipRig rig;
    rig.start();
    QTest::qWait(300); // the line listens
    QUdpSocket scanner;
    QVERIFY(scanner.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0));
    for (int i = 0; i < 20; ++i)
        scanner.writeDatagram(
            QStringLiteral("OPTIONS sip:100@127.0.0.1 SIP/2.0\r\n"
                           "Via: SIP/2.0/UDP 127.0.0.2:%1;branch=z9hG4bKscan%2\r\n"
                           "From: <sip:scan@127.0.0.2>;tag=s%2\r\nTo: <sip:100@127.0.0.1>\r\n"
                           "Call-ID: scan%2@127.0.0.2\r\nCSeq: 1 OPTIONS\r\n"
                           "Max-Forwards: 70\r\nContent-Length: 0\r\n\r\n")
                .arg(scanner.localPort())
                .arg(i)
                .toLatin1(),
            QHostAddress::LocalHost, quint16(rig.sipPort));
    QVERIFY(rig.passed(rig.sipp(QStringLiteral("peer_requests"))));
    int refused = 0;
    QElapsedTimer second;
    second.start();
    while (second.elapsed() < 1000) {
        QTest::qWait(20);
        while (scanner.hasPendingDatagrams())
            refused += scanner.receiveDatagram().data().startsWith("SIP/2.0 403 ") ? 1 : 0;
    }
    QCOMPARE(refused, StrangerReplies::kPerSecond);
}

void TestSipLine::registrationWithDigest_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("right password") << QStringLiteral("secret") << true;
    QTest::newRow("wrong password") << QStringLiteral("guess") << false;
}

void TestSipLine::registrationWithDigest() {
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    const int port = SipRig::FreePort();
    SipRig rig({Account(port, password, QStringLiteral("udp"))});
    // Granted 2 s instead of the 600 asked: the line must renew in time, whatever the challenge.
    const QString renewal = QStringLiteral(
        "<recv request=\"REGISTER\" timeout=\"2000\"/>\n<send><![CDATA[\n\nSIP/2.0 200 OK\n"
        "[last_Via:]\n[last_From:]\n[last_To:]\n[last_Call-ID:]\n[last_CSeq:]\n"
        "Contact: [$contact];expires=2\nContent-Length: 0\n\n]]></send>\n");
    QProcess* registrar =
        rig.sipp(QStringLiteral("registrar"),
                 sipp::Registrar(QStringLiteral("secret"), 2, accepted ? renewal : QString()),
                 {QStringLiteral("-p"), QString::number(port)}, false);
    QTest::qWait(300);
    rig.start();
    QVERIFY(rig.passed(registrar));
    QTest::qWait(200);
    const QString problem = rig.service->lastError(0);
    if (accepted)
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    else // told apart from a refused password: this registrar answers 403
        QCOMPARE(problem, QStringLiteral("alice@127.0.0.1:%1: the server refused the "
                                         "registration: 403 Forbidden.")
                              .arg(port));
}

// No registrar yet: the line says so and tries again, sooner at first, until one answers.
void TestSipLine::registrarDownThenUp() {
    const int port = SipRig::FreePort();
    SipRig rig({Account(port, QStringLiteral("secret"), QStringLiteral("tcp"))});
    rig.service->setTimings(SipTimings{300, 1000, 25000, 600});
    rig.start();
    QVERIFY(QTest::qWaitFor([&] { return !rig.service->lastError(0).isEmpty(); }, 5000));
    QCOMPARE(rig.service->lastError(0),
             QStringLiteral("The SIP server for alice@127.0.0.1:%1 did not answer.").arg(port));
    QProcess* registrar = rig.sipp(
        QStringLiteral("registrar"),
        sipp::Registrar(QStringLiteral("secret"), 60,
                        QStringLiteral("<pause milliseconds=\"1500\"/>")),
        {QStringLiteral("-p"), QString::number(port), QStringLiteral("-t"), QStringLiteral("t1")},
        false);
    // Registered while the registrar's connection stands (its end is a loss of its own).
    QVERIFY(QTest::qWaitFor([&] { return rig.service->lastError(0).isEmpty(); }, 3000));
    QVERIFY(rig.passed(registrar));
}

// Over TLS the REGISTER goes only to a server whose certificate the system trusts for the
// account's host.
void TestSipLine::tlsServerMustBeTrusted_data() {
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<bool>("viaProxy"); // the account names another host; the proxy is this one
    QTest::newRow("trusted") << true << false;
    QTest::newRow("self-signed, not trusted") << false << false;
    QTest::newRow("trusted, through a bare-host proxy") << true << true;
}

void TestSipLine::tlsServerMustBeTrusted() {
    QFETCH(bool, trusted);
    QFETCH(bool, viaProxy);
    QTemporaryDir certs;
    const QString cert = certs.filePath(QStringLiteral("cert.pem"));
    const QString key = certs.filePath(QStringLiteral("key.pem"));
    QVERIFY(SelfSigned(cert, key, QStringLiteral("/CN=127.0.0.1"),
                       {QStringLiteral("subjectAltName=IP:127.0.0.1")}));
    if (trusted)
        qputenv("SSL_CERT_FILE", cert.toUtf8());
    const int port = SipRig::FreePort();
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("openssl"),
                 {QStringLiteral("s_server"), QStringLiteral("-quiet"), QStringLiteral("-accept"),
                  QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-cert"), cert,
                  QStringLiteral("-key"), key});
    QVERIFY(server.waitForStarted());
    QTest::qWait(500);
    {
        SipLineConfig c = Account(port, QStringLiteral("secret"), QStringLiteral("tls"));
        if (viaProxy) {
            c.account = QStringLiteral("sip:alice@sip.example.invalid");
            c.proxy = QStringLiteral("127.0.0.1:%1").arg(port);
        }
        SipRig rig({c});
        rig.start();
        QByteArray received;
        const bool registered = QTest::qWaitFor(
            [&] {
                received += server.readAll();
                return received.contains("REGISTER sip:");
            },
            4000);
        QCOMPARE(registered, trusted);
        if (!trusted)
            QVERIFY(rig.service->lastError(0).contains(QLatin1String("certificate")));
    }
    qunsetenv("SSL_CERT_FILE");
    server.kill();
    server.waitForFinished();
}

// The TLS ClientHello names the host whose certificate is checked (SNI), so a server that
// serves several names shows this one's certificate. A server that switches to its second
// certificate on that name says so.
void TestSipLine::tlsClientHelloNamesTheServer() {
    QTemporaryDir certs;
    const QString cert = certs.filePath(QStringLiteral("cert.pem"));
    const QString key = certs.filePath(QStringLiteral("key.pem"));
    QVERIFY(SelfSigned(cert, key, QStringLiteral("/CN=sip.test")));
    const quint16 port = quint16(SipRig::FreePort());
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("openssl"),
                 {QStringLiteral("s_server"), QStringLiteral("-accept"),
                  QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-naccept"),
                  QStringLiteral("1"), QStringLiteral("-cert"), cert, QStringLiteral("-key"), key,
                  QStringLiteral("-servername"), QStringLiteral("sip.test"),
                  QStringLiteral("-cert2"), cert, QStringLiteral("-key2"), key});
    QVERIFY(server.waitForStarted());
    QByteArray said;
    QVERIFY(QTest::qWaitFor(
        [&] {
            said += server.readAll();
            return said.contains("ACCEPT");
        },
        5000));

    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    X509_VERIFY_PARAM_set1_host(SSL_CTX_get0_param(ctx), "sip.test", 0);
    SendServerName(ctx);
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    SSL* ssl = SSL_new(ctx);
    SSL_set_fd(ssl, fd);
    const int connected = SSL_connect(ssl);
    SSL_shutdown(ssl);
    SSL_free(ssl);
    SSL_CTX_free(ctx);
    ::close(fd);
    // The server ends after this one connection, and its output is all there.
    QVERIFY(server.waitForFinished(5000));
    said += server.readAll();
    QCOMPARE(connected, 1);
    QVERIFY2(said.contains("Hostname in TLS extension: \"sip.test\""), said.constData());
    QVERIFY(said.contains("Switching server context"));
}

QTEST_MAIN(TestSipLine)
#include "tst_sipline.moc"
