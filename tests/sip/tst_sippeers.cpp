// The SIP line against what real providers, SBCs and PBXs do that a plain SIPp call does not:
// registrars that answer a wrong password with a new challenge, peers that ping and send
// requests the line does not serve, and PBXs that move the media after the call is up.

#include "support/SipRig.h"
#include "support/Sipp.h"

#include "telephony/sip/SipAccount.h"

#include <QtTest>

namespace {

using Vars = QMap<QString, QString>;

const QString kListed = QStringLiteral("\"Telemarketer\" <sip:5551234567@127.0.0.1>");

SipLineConfig Account(int registrarPort) {
    SipLineConfig c;
    c.account = QStringLiteral("sip:alice@127.0.0.1:%1").arg(registrarPort);
    c.listen = QStringLiteral("127.0.0.1:0");
    c.password = QStringLiteral("guess");
    return c;
}

} // namespace

class TestSipPeers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondChallengeIsARefusedPassword_data();
    void secondChallengeIsARefusedPassword();
    void requestsOutsideACall();
    void reInviteMovesTheMedia();
    void closingWithdrawsTheRegistrationThroughAChallenge();
    void failedRefreshKeepsTheBinding();
    void shorterLifetimeForARewrittenContact();
    void lostConnectionRegistersAgainAtOnce();
    void strongerDigestListedFirst();
    void accountTakesCallsOnlyFromItsRegistrar();
    void anyAddressIsReachedThroughLoopback();
    void pinHandsTheCallerOn_data();
    void pinHandsTheCallerOn();
};

// Asterisk, FreePBX and most providers answer a wrong password with another 401. The line
// sends it once and then keeps quiet (even with a short back-off), unless the server only
// found the nonce stale.
void TestSipPeers::secondChallengeIsARefusedPassword_data() {
    QTest::addColumn<bool>("stale");
    QTest::newRow("refused: new challenge, same realm") << false;
    QTest::newRow("stale nonce: answered again") << true;
}

void TestSipPeers::secondChallengeIsARefusedPassword() {
    QFETCH(bool, stale);
    const int port = SipRig::FreePort();
    SipRig rig({Account(port)});
    rig.service->setTimings(SipTimings{300, 1000, 25000, 600});
    // A REGISTER during the pause is unexpected and fails the scenario.
    const QString quiet = QStringLiteral("<pause milliseconds=\"3000\"/>\n");
    const QString granted = QStringLiteral(
        "<recv request=\"REGISTER\" timeout=\"3000\"/>\n<send><![CDATA[\n\nSIP/2.0 200 "
        "OK\n[last_Via:]\n"
        "[last_From:]\n[last_To:]\n[last_Call-ID:]\n[last_CSeq:]\n[last_Contact:];expires=60\n"
        "Content-Length: 0\n\n]]></send>\n<pause milliseconds=\"300\"/>\n");
    QProcess* registrar =
        rig.sipp(QStringLiteral("registrar_refuses"),
                 {{QStringLiteral("STALE"), stale ? QStringLiteral(", stale=true") : QString()},
                  {QStringLiteral("AFTER"), stale ? granted : quiet}},
                 {QStringLiteral("-p"), QString::number(port)}, false);
    QTest::qWait(300);
    rig.start();
    QVERIFY(rig.passed(registrar));
    const QString problem = rig.service->lastError(0);
    if (stale)
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    else
        QCOMPARE(problem, QStringLiteral("The SIP server refused the password for "
                                         "alice@127.0.0.1:%1. Hushwire does not try it again "
                                         "for 30 minutes, or until the password or the line's "
                                         "settings change.")
                              .arg(port));
}

// OPTIONS pings get 200 with what the line takes; a method it does not serve gets 405; an
// INVITE that requires reliable provisional responses gets 420 naming the extension.
void TestSipPeers::requestsOutsideACall() {
    SipRig rig;
    rig.prepare(1000, 5551234567.0);
    rig.start();
    QVERIFY(rig.passed(rig.sipp(QStringLiteral("peer_requests"))));
    QTest::qWait(200);
    QVERIFY(rig.log.texts().filter(QStringLiteral("Ring")).isEmpty());
}

// After the caller's RTP has latched the line, a re-INVITE moves the media to another port (a
// PBX bridging directly): the rest of the message goes there, with nothing repeated.
void TestSipPeers::reInviteMovesTheMedia() {
    SipRig rig;
    rig.prepare(3000, 5551234567.0);
    rig.start();
    QUdpSocket before;
    QVERIFY(before.bind(QHostAddress::LocalHost, 0));
    Vars vars = sipp::Caller(
        kListed, sipp::KeysAsEvents(QStringLiteral("1")) +
                     sipp::Request(QStringLiteral("INVITE"), 2, QStringLiteral("application/sdp"),
                                   sipp::Sdp(QStringLiteral("0 101"))) +
                     QStringLiteral("<recv response=\"100\" optional=\"true\"/>\n"
                                    "<recv response=\"200\"/>\n") +
                     sipp::Request(QStringLiteral("ACK"), 2, {}, {}));
    vars[QStringLiteral("OFFER")] =
        sipp::Sdp(QStringLiteral("0 101"))
            .replace(QStringLiteral("%RTPPORT%"), QString::number(before.localPort()));
    QVERIFY(rig.passed(rig.sipp(QStringLiteral("caller"), vars,
                                {QStringLiteral("-mp"), QString::number(SipRig::FreePort())})));
    const QByteArray expected = rig.expectedAudio(ModemVoiceFormat::MuLaw);
    QVERIFY(QTest::qWaitFor([&] { return !rig.heard.isEmpty(); }, 1000));
    QTest::qWait(100);
    QVERIFY(rig.heard.size() < expected.size());
    QVERIFY(expected.endsWith(rig.heard));
}

// Closing the lines (shut-down, SIGTERM) withdraws the registration and answers the challenge
// to that un-REGISTER, so no dead contact is left behind at the provider; the contact is on
// the account's own port, the same at the next start.
void TestSipPeers::closingWithdrawsTheRegistrationThroughAChallenge() {
    const int port = SipRig::FreePort();
    SipLineConfig c = Account(port);
    c.password = QStringLiteral("secret");
    SipRig rig({c});
    const QString challenge = QStringLiteral(
        "<send><![CDATA[\n\nSIP/2.0 401 Unauthorized\n[last_Via:]\n[last_From:]\n"
        "[last_To:];tag=[pid]SIPpTag02\n[last_Call-ID:]\n[last_CSeq:]\nWWW-Authenticate: "
        "Digest realm=\"sip.test\", nonce=\"77aa01\", qop=\"auth\", algorithm=MD5\n"
        "Content-Length: 0\n\n]]></send>\n");
    const QString withdrawn =
        QStringLiteral(
            "<recv request=\"REGISTER\" timeout=\"5000\"><action><ereg regexp=\":%1>;expires=0\" "
            "search_in=\"hdr\" header=\"Contact:\" check_it=\"true\" assign_to=\"gone\"/>"
            "</action></recv>\n")
            .arg(SipAccount::StableLocalPort(c.account)) +
        challenge +
        QStringLiteral(
            "<recv request=\"REGISTER\" auth=\"true\" timeout=\"3000\"><action><verifyauth "
            "assign_to=\"ok\" username=\"alice\" password=\"secret\"/></action></recv>\n"
            "<nop hide=\"true\" test=\"ok\" next=\"answered\"/>\n"
            "<recv request=\"NEVER\" timeout=\"10\"/>\n<label id=\"answered\"/>\n"
            "<send><![CDATA[\n\nSIP/2.0 200 OK\n[last_Via:]\n[last_From:]\n[last_To:]\n"
            "[last_Call-ID:]\n[last_CSeq:]\nContent-Length: 0\n\n]]></send>\n"
            "<Reference variables=\"gone\"/>\n");
    QProcess* registrar = rig.sipp(QStringLiteral("registrar"),
                                   {{QStringLiteral("PASSWORD"), QStringLiteral("secret")},
                                    {QStringLiteral("EXPIRES"), QStringLiteral("60")},
                                    {QStringLiteral("REFRESH"), withdrawn}},
                                   {QStringLiteral("-p"), QString::number(port)}, false);
    QTest::qWait(300);
    rig.start();
    QTest::qWait(1000);
    rig.engine->CloseTelephony();
    QVERIFY(rig.passed(registrar));
}

// A refresh the registrar fails (500) is tried again later; the binding is not withdrawn.
void TestSipPeers::failedRefreshKeepsTheBinding() {
    const int port = SipRig::FreePort();
    SipLineConfig c = Account(port);
    c.password = QStringLiteral("secret");
    SipRig rig({c});
    const QString failed = QStringLiteral(
        "<recv request=\"REGISTER\" timeout=\"4000\"/>\n<send><![CDATA[\n\nSIP/2.0 500 "
        "Server Internal Error\n[last_Via:]\n[last_From:]\n[last_To:]\n[last_Call-ID:]\n"
        "[last_CSeq:]\nContent-Length: 0\n\n]]></send>\n<pause milliseconds=\"1500\"/>\n");
    QProcess* registrar = rig.sipp(QStringLiteral("registrar"),
                                   {{QStringLiteral("PASSWORD"), QStringLiteral("secret")},
                                    {QStringLiteral("EXPIRES"), QStringLiteral("2")},
                                    {QStringLiteral("REFRESH"), failed}},
                                   {QStringLiteral("-p"), QString::number(port)}, false);
    QTest::qWait(300);
    rig.start();
    QVERIFY(rig.passed(registrar));
}

// A registrar that rewrites the Contact (NAT, Asterisk's rewrite_contact) and grants less than
// asked, in the Contact's expires only: the line refreshes at half of it, again and again.
void TestSipPeers::shorterLifetimeForARewrittenContact() {
    const int port = SipRig::FreePort();
    SipLineConfig c = Account(port);
    c.password = QStringLiteral("secret");
    SipRig rig({c});
    const QString rewritten = QStringLiteral("<sip:alice@127.0.0.9:5999>");
    const QString refreshed =
        QStringLiteral(
            "<recv request=\"REGISTER\" timeout=\"3000\"/>\n<send><![CDATA[\n\nSIP/2.0 200 "
            "OK\n[last_Via:]\n[last_From:]\n[last_To:];tag=[pid]SIPpTag01\n"
            "[last_Call-ID:]\n[last_CSeq:]\nContact: %1;expires=4\nExpires: 3600\n"
            "Content-Length: 0\n\n]]></send>\n")
            .arg(rewritten);
    QProcess* registrar = rig.sipp(QStringLiteral("registrar"),
                                   {{QStringLiteral("PASSWORD"), QStringLiteral("secret")},
                                    {QStringLiteral("EXPIRES"), QStringLiteral("4")},
                                    {QStringLiteral("CONTACT"), rewritten},
                                    {QStringLiteral("REFRESH"), refreshed + refreshed}},
                                   {QStringLiteral("-p"), QString::number(port)}, false);
    QTest::qWait(300);
    rig.start();
    QVERIFY(rig.passed(registrar));
    QVERIFY2(rig.service->lastError(0).isEmpty(), qPrintable(rig.service->lastError(0)));
}

// Over TCP the binding lives on the connection: when the registrar closes it (a restart, a NAT
// reset) the line no longer shows registered and registers again at once, not at the refresh.
void TestSipPeers::lostConnectionRegistersAgainAtOnce() {
    const int port = SipRig::FreePort();
    SipLineConfig c = Account(port);
    c.account += QStringLiteral(";transport=tcp");
    c.password = QStringLiteral("secret");
    SipRig rig({c});
    rig.service->setTimings(SipTimings{500, 1000, 25000, 600});
    const auto registrar = [&](const QString& after) {
        return rig.sipp(QStringLiteral("registrar"),
                        {{QStringLiteral("PASSWORD"), QStringLiteral("secret")},
                         {QStringLiteral("EXPIRES"), QStringLiteral("60")},
                         {QStringLiteral("REFRESH"), after}},
                        {QStringLiteral("-p"), QString::number(port), QStringLiteral("-t"),
                         QStringLiteral("t1")},
                        false);
    };
    QProcess* first = registrar(QStringLiteral("<pause milliseconds=\"300\"/>"));
    QTest::qWait(300);
    rig.start();
    QVERIFY(rig.passed(first)); // SIPp ends, and its connection with it
    QTRY_VERIFY_WITH_TIMEOUT(!rig.service->lastError(0).isEmpty(), 2000);
    QElapsedTimer clock;
    clock.start();
    QProcess* second = registrar(QStringLiteral("<pause milliseconds=\"9000\"/>"));
    // At once, or a few seconds later when the first try met the old registrar going down.
    QTRY_VERIFY2_WITH_TIMEOUT(rig.service->lastError(0).isEmpty(),
                              qPrintable(rig.service->lastError(0)), 10000);
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(second->state(), QProcess::Running); // granted while its connection stands
}

// A registrar that lists SHA-256 before MD5 is answered with SHA-256, and grants it.
void TestSipPeers::strongerDigestListedFirst() {
    const int port = SipRig::FreePort();
    SipRig rig({Account(port)});
    QProcess* registrar = rig.sipp(QStringLiteral("registrar_algorithms"),
                                   {{QStringLiteral("ALGORITHM"), QStringLiteral("SHA-256")}},
                                   {QStringLiteral("-p"), QString::number(port)}, false);
    QTest::qWait(300);
    rig.start();
    QVERIFY(rig.passed(registrar));
    QVERIFY2(rig.service->lastError(0).isEmpty(), qPrintable(rig.service->lastError(0)));
}

// Without Allow, an account line rings for INVITEs from where it registered, and turns away
// anyone else who finds its port.
void TestSipPeers::accountTakesCallsOnlyFromItsRegistrar() {
    const int port = SipRig::FreePort();
    SipLineConfig c = Account(port);
    c.password = QStringLiteral("secret");
    const int linePort = SipRig::FreePort();
    c.listen = QStringLiteral("127.0.0.1:%1").arg(linePort);
    SipRig rig({c});
    rig.sipPort = linePort;
    rig.prepare(1000, 5551234567.0);
    QProcess* registrar = rig.sipp(QStringLiteral("registrar"),
                                   {{QStringLiteral("PASSWORD"), QStringLiteral("secret")},
                                    {QStringLiteral("EXPIRES"), QStringLiteral("60")},
                                    {QStringLiteral("REFRESH"), QString()}},
                                   {QStringLiteral("-p"), QString::number(port)}, false);
    QTest::qWait(300);
    rig.start();
    QVERIFY(rig.passed(registrar));
    QVERIFY(rig.passed(rig.sipp(QStringLiteral("refused"),
                                {{QStringLiteral("CODE"), QStringLiteral("403")}},
                                {QStringLiteral("-i"), QStringLiteral("127.0.0.2")})));
    QVERIFY(rig.log.texts().filter(QStringLiteral("Ring")).isEmpty());
    QVERIFY(
        rig.passed(rig.sipp(QStringLiteral("caller_cancel"),
                            {{QStringLiteral("FROM"), QStringLiteral("<sip:5550000000@127.0.0.1>")},
                             {QStringLiteral("OFFER"), sipp::Sdp(QStringLiteral("0 101"))},
                             {QStringLiteral("RINGMS"), QStringLiteral("300")}})));
    QVERIFY(QTest::qWaitFor(
        [&] { return !rig.log.texts().filter(QStringLiteral("Ring")).isEmpty(); }, 2000));
}

// Listen=0.0.0.0:port listens on every address of the host, loopback included (a PBX on the
// same machine), not only on the one of the default route.
void TestSipPeers::anyAddressIsReachedThroughLoopback() {
    const int port = SipRig::FreePort();
    SipLineConfig c;
    c.listen = QStringLiteral("0.0.0.0:%1").arg(port);
    c.allow = {QStringLiteral("127.0.0.1")};
    SipRig rig({c});
    rig.sipPort = port;
    rig.prepare(500, 5551234567.0);
    rig.start();
    QVERIFY(rig.passed(rig.sipp(QStringLiteral("caller"), sipp::Caller(kListed))));
    const QByteArray expected = rig.expectedAudio(ModemVoiceFormat::MuLaw);
    QVERIFY(QTest::qWaitFor([&] { return rig.heard.size() >= expected.size(); }, 2000));
    QVERIFY(rig.heard == expected);
}

// After a correct PIN and the end of the message, a line with a Transfer target hands the
// caller on with a REFER in the call's dialog and hangs up once it is accepted; a refused
// REFER lets the caller go at once, as after any message.
void TestSipPeers::pinHandsTheCallerOn_data() {
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("challenged"); // 407 first: answered once with the line's password
    QTest::newRow("202, then NOTIFY 200 OK") << true << false;
    QTest::newRow("407, then 202 and NOTIFY 200 OK") << true << true;
    QTest::newRow("603 Declined") << false << false;
}

void TestSipPeers::pinHandsTheCallerOn() {
    QFETCH(bool, accepted);
    QFETCH(bool, challenged);
    const int port = SipRig::FreePort();
    SipRig rig({[port] {
        SipLineConfig c;
        c.listen = QStringLiteral("127.0.0.1:%1").arg(port);
        c.allow = {QStringLiteral("127.0.0.1")};
        c.transfer = QStringLiteral("sip:600@127.0.0.2");
        c.authUser = QStringLiteral("alice");
        c.password = QStringLiteral("secret");
        return c;
    }()});
    rig.sipPort = port;
    rig.prepare(4000, 5551234567.0);
    rig.setOption(&EngineOptions::pin, QStringLiteral("123"));
    rig.start();
    const QString reply =
        QStringLiteral("<send><![CDATA[\n\nSIP/2.0 %1\n[last_Via:]\n[last_From:]\n[last_To:]\n"
                       "[last_Call-ID:]\n[last_CSeq:]\nContent-Length: 0\n\n]]></send>\n");
    QString tail = QStringLiteral(
        "<recv request=\"REFER\" timeout=\"6000\"><action><ereg regexp=\"&lt;sip:600@127\\."
        "0\\.0\\.2&gt;\" search_in=\"hdr\" header=\"Refer-To:\" check_it=\"true\" "
        "assign_to=\"target\"/></action></recv>\n<Reference variables=\"target\"/>\n");
    if (challenged)
        tail += reply.arg(QStringLiteral("407 Proxy Authentication Required\nProxy-Authenticate: "
                                         "Digest realm=\"pbx.test\", nonce=\"c0ffee01\", "
                                         "qop=\"auth\", algorithm=MD5")) +
                QStringLiteral(
                    "<recv request=\"REFER\" timeout=\"3000\"><action><ereg regexp=\"Digest "
                    "username=.alice., realm=.pbx\\.test., nonce=.c0ffee01.\" search_in=\"hdr\" "
                    "header=\"Proxy-Authorization:\" check_it=\"true\" assign_to=\"answer\"/>"
                    "</action></recv>\n<Reference variables=\"answer\"/>\n");
    if (accepted) {
        tail += reply.arg(QStringLiteral("202 Accepted")) +
                sipp::Request(QStringLiteral("NOTIFY"), 3,
                              QStringLiteral("message/sipfrag\nEvent: refer\n"
                                             "Subscription-State: terminated;reason=noresource"),
                              QStringLiteral("SIP/2.0 200 OK"));
        tail += QStringLiteral("<recv response=\"200\"/>\n");
    } else {
        tail += reply.arg(QStringLiteral("603 Declined"));
    }
    tail += QStringLiteral("<recv request=\"BYE\" timeout=\"1000\"/>\n") +
            reply.arg(QStringLiteral("200 OK"));
    QProcess* caller = rig.sipp(QStringLiteral("caller"),
                                sipp::Caller(kListed,
                                             QStringLiteral("<pause milliseconds=\"200\"/>\n") +
                                                 sipp::KeysAsEvents(QStringLiteral("123")),
                                             tail),
                                {QStringLiteral("-mp"), QString::number(SipRig::FreePort())});
    QVERIFY(rig.passed(caller));
    QVERIFY(rig.log.texts().contains(QStringLiteral("UnLock PIN Detected")));
    QTRY_COMPARE(rig.engine->slot(0).callHandle, 0u);
}

QTEST_MAIN(TestSipPeers)
#include "tst_sippeers.moc"
