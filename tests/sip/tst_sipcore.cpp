// The SIP line pieces that need no network: settings groups, caller ID from identity headers,
// the address filter of a listening endpoint with its answers to strangers, digest answers, and
// the host's addresses a line listens on.
#include "settings/SettingsStore.h"
#include "telephony/sip/AddressFilter.h"
#include "telephony/sip/HostAddresses.h"
#include "telephony/sip/SipCallerId.h"
#include "telephony/sip/SipDigest.h"
#include "telephony/sip/SipIdentityFromMsg.h"
#include "telephony/sip/SipLineConfig.h"
#include "telephony/sip/StrangerReplies.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Kind = SipCallerId::Kind;
Q_DECLARE_METATYPE(SipCallerId::Kind)

class TestSipCore : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString writeIni(const QByteArray& text) {
        const QString path = m_dir.filePath(QStringLiteral("hushwire.conf"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
        return path;
    }

private Q_SLOTS:
    void callerId_data() {
        QTest::addColumn<QStringList>("pai");
        QTest::addColumn<QString>("rpid");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("privacy");
        QTest::addColumn<QString>("rewrite");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        const QString none;
        const auto s = [](const char* t) { return QString::fromUtf8(t); };
        QTest::newRow("from only")
            << QStringList{} << none << s("\"Alice\" <sip:+15551234567@sip.example.net>;tag=a1")
            << none << none << Kind::Number << s("+15551234567") << s("Alice");
        QTest::newRow("pai sip and tel, tel usable")
            << QStringList{s("\"Bob\" <sip:bob@pbx.example.net>"), s("<tel:+1-555-(123).4567>")}
            << none << s("<sip:gw@10.0.0.1>") << none << none << Kind::Number << s("+15551234567")
            << QString();
        QTest::newRow("pai two values in one header")
            << QStringList{s("\"Smith, J\" <sip:+442071234567@x;user=phone>, <tel:+442071234567>")}
            << none << s("<sip:x@y>") << none << s("+44:0") << Kind::Number << s("02071234567")
            << s("Smith, J");
        QTest::newRow("pai wins over from")
            << QStringList{s("<sip:5551234567@carrier.example;user=phone>")} << none
            << s("\"Front desk\" <sip:100@pbx>") << none << none << Kind::Number << s("5551234567")
            << QString();
        QTest::newRow("rpid privacy full")
            << QStringList{} << s("\"X\" <sip:5551234567@gw>;party=calling;privacy=full")
            << s("<sip:5551234567@gw>") << none << none << Kind::Private << QString() << QString();
        QTest::newRow("rpid before from")
            << QStringList{} << s("<sip:+15557654321@gw>;screen=yes") << s("<sip:100@pbx>") << none
            << s("+1:") << Kind::Number << s("5557654321") << QString();
        QTest::newRow("anonymous from")
            << QStringList{} << none << s("\"Anonymous\" <sip:anonymous@anonymous.invalid>;tag=9")
            << none << none << Kind::Private << QString() << QString();
        QTest::newRow("privacy id hides a number")
            << QStringList{s("<sip:+15551234567@carrier>")} << none << s("<sip:+15551234567@c>")
            << s("id") << none << Kind::Private << QString() << QString();
        QTest::newRow("privacy header;user")
            << QStringList{} << none << s("<sip:555@c>") << s("header;user") << none
            << Kind::Private << QString() << QString();
        QTest::newRow("no usable number")
            << QStringList{} << none << s("\"Alice\" <sip:alice@example.com>") << none << none
            << Kind::OutOfArea << QString() << QString();
        QTest::newRow("no headers") << QStringList{} << none << none << none << none
                                    << Kind::OutOfArea << QString() << QString();
        QTest::newRow("escaped quotes, utf-8, angle in name")
            << QStringList{} << none << s("\"Jos\u00e9 \\\"Pep\\\" <x>\" <sips:%2B3491234@sip.es>")
            << none << none << Kind::Number << s("+3491234") << s("Jos\u00e9 \"Pep\" <x>");
        QTest::newRow("bare URI without brackets")
            << QStringList{} << none << s("sip:5551234@10.0.0.2;tag=77") << none << none
            << Kind::Number << s("5551234") << QString();
        QTest::newRow("rewrite does not touch other prefixes")
            << QStringList{} << none << s("<sip:+445551234@c>") << none << s("+1:") << Kind::Number
            << s("+445551234") << QString();
        QTest::newRow("plus in the middle is no number")
            << QStringList{} << none << s("<sip:555+1234@c>") << none << none << Kind::OutOfArea
            << QString() << QString();
        QTest::newRow("unterminated bracket")
            << QStringList{} << none << s("\"A\" <sip:555@c") << none << none << Kind::OutOfArea
            << QString() << QString();
    }
    void callerId() {
        QFETCH(QStringList, pai);
        QFETCH(QString, rpid);
        QFETCH(QString, from);
        QFETCH(QString, privacy);
        QFETCH(QString, rewrite);
        const SipCallerId id = ExtractCallerId({pai, rpid, from, privacy}, rewrite);
        QTEST(id.kind, "kind");
        QTEST(id.number, "number");
        QTEST(id.name, "name");
    }

    // Whole requests as they come off the wire, through libre's decoder (the fuzz seeds).
    void fromRawRequest_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("from") << "from_number" << Kind::Number << "+15551234567"
                              << "Alice";
        QTest::newRow("pai twice") << "pai_twice" << Kind::Number << "+15551234567"
                                   << "";
        QTest::newRow("anonymous") << "anonymous" << Kind::Private << ""
                                   << "";
        QTest::newRow("rpid private") << "rpid_private" << Kind::Private << ""
                                      << "";
        QTest::newRow("compact from, utf-8") << "compact_utf8" << Kind::Number << "+3491234"
                                             << QString::fromUtf8("Jos\u00e9 \"Pep\"");
    }
    void fromRawRequest() {
        QFETCH(QString, file);
        QFile f(QStringLiteral(HW_SOURCE_DIR "/fuzz/corpus/sip_callerid/") + file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        SipIdentity identity;
        QVERIFY(SipIdentityFromText(f.readAll(), &identity));
        const SipCallerId id = ExtractCallerId(identity, {});
        QTEST(id.kind, "kind");
        QTEST(id.number, "number");
        QTEST(id.name, "name");
        QVERIFY(!SipIdentityFromText("not a SIP message", &identity));
    }

    void readsGroupsInOrderWithDefaults() {
        const QString path = writeIni("[Sip1]\n"
                                      "Account=sips:alice@sip.example.net\n"
                                      "AuthUser=alice77\n"
                                      "Proxy=proxy.example.net:5090\n"
                                      "Password=secret\n"
                                      "[Sip2]\n"
                                      "[Sip3]\n"
                                      "Allow=192.168.1.0/24, 10.0.0.5\n"
                                      "Rewrite=+1:\n"
                                      "[Sip4]\n"
                                      "Allow=\"fd00::/8,192.168.2.1\"\n"
                                      "Transport=TCP\n");
        const QList<SipLineConfig> lines = ReadSipLines(path);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].group, 1);
        QCOMPARE(lines[0].transport, QStringLiteral("tls"));
        QCOMPARE(lines[0].listen, QStringLiteral("0.0.0.0:0"));
        QVERIFY(lines[0].password.isEmpty());
        QCOMPARE(lines[0].proxyUri(), QStringLiteral("sip:proxy.example.net:5090"));
        QVERIFY(lines[0].problems().isEmpty());
        QCOMPARE(lines[1].group, 3);
        QVERIFY(lines[1].isListening());
        QCOMPARE(lines[1].listen, QStringLiteral("0.0.0.0:5060"));
        QCOMPARE(lines[1].allow, QStringLiteral("192.168.1.0/24,10.0.0.5").split(u','));
        QCOMPARE(lines[1].transport, QStringLiteral("udp"));
        QCOMPARE(lines[2].allow, QStringLiteral("fd00::/8,192.168.2.1").split(u','));
        QCOMPARE(lines[2].transport, QStringLiteral("tcp"));
    }

    void writeReadRemoveRoundTrip() {
        const QString path = writeIni("[Telephony]\nDevices=/dev/ttyACM0\n");
        SipLineConfig c;
        c.group = 2;
        c.allow = {QStringLiteral("10.0.0.0/8"), QStringLiteral("::1")};
        c.listen = QStringLiteral("[::]:5070");
        c.rewrite = QStringLiteral("+44:0");
        c.transfer = QStringLiteral("sip:600@[fd00::2]:5062;transport=tcp");
        c.password = QStringLiteral("never-on-disk");
        QString error;
        QVERIFY2(WriteSipLine(SettingsFileAt(path), c, &error), qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(!f.readAll().contains("never-on-disk"));
        const QList<SipLineConfig> back = ReadSipLines(path);
        QCOMPARE(back.size(), 1);
        QCOMPARE(back[0].allow, c.allow);
        QCOMPARE(back[0].listen, c.listen);
        QCOMPARE(back[0].rewrite, c.rewrite);
        QCOMPARE(back[0].transfer, c.transfer);
        QVERIFY(back[0].problems().isEmpty());
        QVERIFY(RemoveSipLine(SettingsFileAt(path), 2, &error));
        QVERIFY(ReadSipLines(path).isEmpty());
        // A file that cannot be written is told in the settings store's words.
        const QString blocked = path + QStringLiteral("/hushwire.conf");
        QVERIFY(!WriteSipLine(SettingsFileAt(blocked), c, &error));
        QCOMPARE(error, SettingsFileAt(blocked).notWritten);
        QVERIFY(error.contains(blocked));
        c.group = 5;
        QVERIFY(!WriteSipLine(SettingsFileAt(path), c, &error));
        QVERIFY(!error.isEmpty());
    }

    void badValuesAreReported() {
        const QString path = writeIni("[Sip1]\nAccount=alice@example.net\nListen=nowhere\n"
                                      "Transport=sctp\nRewrite=+1\nProxy=sip:me@proxy:99999\n"
                                      "Transfer=600\n"
                                      "[Sip2]\nAllow=10.0.0.0/33, bogus\n"
                                      "[Sip3]\nAccount=sips:a@b\nTransport=udp\n");
        const QList<SipLineConfig> lines = ReadSipLines(path);
        QCOMPARE(lines.size(), 3);
        const QString first = lines[0].problems().join(u'\n');
        QVERIFY2(
            first.contains(QLatin1String("account")) && first.contains(QLatin1String("Listen")) &&
                first.contains(QLatin1String("sctp")) && first.contains(QLatin1String("Rewrite")) &&
                first.contains(QLatin1String("Proxy")) &&
                first.contains(QLatin1String("Transfer \"600\"")),
            qPrintable(first));
        const QString second = lines[1].problems().join(u'\n');
        QVERIFY2(second.contains(QLatin1String("10.0.0.0/33")) &&
                     second.contains(QLatin1String("bogus")) &&
                     second.contains(QLatin1String("no address is allowed")),
                 qPrintable(second));
        QCOMPARE(lines[2].problems().size(), 1);
    }

    void addressFilter_data() {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("in v4 range") << "192.168.1.77" << true;
        QTest::newRow("outside v4 range") << "192.168.2.1" << false;
        QTest::newRow("single address") << "10.0.0.5" << true;
        QTest::newRow("neighbour of single") << "10.0.0.6" << false;
        QTest::newRow("v4 mapped into v6") << "::ffff:192.168.1.9" << true;
        QTest::newRow("in v6 range") << "2001:db8::42" << true;
        QTest::newRow("outside v6 range") << "2001:db9::1" << false;
        QTest::newRow("null") << "" << false;
    }
    void addressFilter() {
        QFETCH(QString, peer);
        const AddressFilter filter({QStringLiteral("192.168.1.0/24"), QStringLiteral(" 10.0.0.5 "),
                                    QStringLiteral("2001:db8::/32"), QStringLiteral("10.1"),
                                    QStringLiteral("")});
        QCOMPARE(filter.problems().size(), 1); // "10.1" is not a whole address
        QTEST(filter.allows(QHostAddress(peer)), "allowed");
        QVERIFY(AddressFilter({}).isEmpty());
        QVERIFY(!AddressFilter({}).allows(QHostAddress(QStringLiteral("127.0.0.1"))));
    }

    // A stranger's requests are answered a few a second per address and dropped beyond that;
    // a flood from many addresses at once keeps the table bounded and gets no answers until
    // the entries' second has passed.
    void strangerReplies() {
        StrangerReplies replies(3, 4);
        const QHostAddress scanner(QStringLiteral("203.0.113.9"));
        int answered = 0;
        for (uint64_t ms = 1000; ms < 1020; ++ms)
            answered += replies.mayAnswer(scanner, ms) ? 1 : 0;
        QCOMPARE(answered, 3);
        QVERIFY(replies.mayAnswer(QHostAddress(QStringLiteral("198.51.100.1")), 1100));
        QVERIFY(replies.mayAnswer(scanner, 2000)); // its next second
        for (quint32 i = 0; i < 1000; ++i)
            replies.mayAnswer(QHostAddress(0x0A000000u + i), 2100);
        QCOMPARE(replies.tracked(), 4);
        const QHostAddress late(QStringLiteral("10.1.0.1"));
        QVERIFY(!replies.mayAnswer(late, 2200));
        QVERIFY(replies.mayAnswer(late, 3200));
        QVERIFY(replies.tracked() <= 4);
    }

    // Where netlink is refused, plain sockets and /proc find the same addresses, loopback
    // included, and the same one to send from first.
    void hostAddressesWithoutNetlink() {
        const QList<QHostAddress> with = HostAddresses();
        const QList<QHostAddress> without = HostAddressesWithoutNetlink();
        QVERIFY(without.contains(QHostAddress(QHostAddress::LocalHost)));
        QCOMPARE(QSet<QHostAddress>(without.begin(), without.end()),
                 QSet<QHostAddress>(with.begin(), with.end()));
        QCOMPARE(without.first(), with.first());
    }

    // The published examples of RFC 7616 (MD5 and SHA-256) and RFC 2617; the "-sess" rows were
    // worked out apart from this code, on the same inputs.
    void digestResponse_data() {
        QTest::addColumn<QByteArray>("algorithm");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("realm");
        QTest::addColumn<QByteArray>("nonce");
        QTest::addColumn<QByteArray>("cnonce");
        QTest::addColumn<QByteArray>("response");
        const QByteArray nonce = "7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v";
        const QByteArray cnonce = "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ";
        QTest::newRow("MD5") << QByteArray("MD5") << QByteArray("Circle of Life")
                             << QByteArray("http-auth@example.org") << nonce << cnonce
                             << QByteArray("8ca523f5e9506fed4657c9700eebdbec");
        QTest::newRow("SHA-256")
            << QByteArray("SHA-256") << QByteArray("Circle of Life")
            << QByteArray("http-auth@example.org") << nonce << cnonce
            << QByteArray("753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1");
        QTest::newRow("MD5-sess") << QByteArray("MD5-sess") << QByteArray("Circle of Life")
                                  << QByteArray("http-auth@example.org") << nonce << cnonce
                                  << QByteArray("e783283f46242139c486a698fec7211d");
        QTest::newRow("SHA-256-sess")
            << QByteArray("SHA-256-sess") << QByteArray("Circle of Life")
            << QByteArray("http-auth@example.org") << nonce << cnonce
            << QByteArray("2fd51b3a77ad75bad6afad6003e818d767133c46d9e2749e7f5232ae1ea3efd7");
        QTest::newRow("no algorithm named: MD5")
            << QByteArray() << QByteArray("Circle Of Life") << QByteArray("testrealm@host.com")
            << QByteArray("dcd98b7102dd2f0e8b11d0f600bfb0c093") << QByteArray("0a4f113b")
            << QByteArray("6629fae49393a05397450978507c4ef1");
    }
    void digestResponse() {
        QFETCH(QByteArray, algorithm);
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, realm);
        QFETCH(QByteArray, nonce);
        QFETCH(QByteArray, cnonce);
        QFETCH(QByteArray, response);
        QCOMPARE(SipDigest::Response(algorithm, "Mufasa", realm, password, "GET", "/dir/index.html",
                                     nonce, "00000001", cnonce, true),
                 response);
    }

    // The first algorithm listed that can be answered is taken; the header answers it.
    void digestChallenge() {
        QList<SipDigestChallenge> offered;
        for (const QByteArray& value :
             {QByteArray("Digest realm=\"sip.test\", nonce=\"n1\", algorithm=SHA-512-256"),
              QByteArray("Digest realm=\"sip.test\",nonce=\"n\\\"2\",qop=\"auth-int,auth\","
                         "algorithm=SHA-256,stale=TRUE,opaque=\"o\""),
              QByteArray("Digest realm=\"sip.test\", nonce=\"n3\", algorithm=MD5"),
              QByteArray("Basic realm=\"sip.test\"")}) {
            if (auto c = SipDigestChallenge::Parse(value, true))
                offered.append(*c);
        }
        QCOMPARE(offered.size(), 3);
        const auto chosen = ChooseChallenge(offered);
        QVERIFY(chosen);
        QCOMPARE(chosen->algorithm, QByteArray("SHA-256"));
        QCOMPARE(chosen->nonce, QByteArray("n\"2"));
        QVERIFY(chosen->qopAuth && chosen->stale && chosen->proxy);
        SipDigest digest(*chosen, "alice", "secret");
        const QByteArray header = digest.header("REGISTER", "sip:sip.test");
        QVERIFY2(header.startsWith("Proxy-Authorization: Digest username=\"alice\", "
                                   "realm=\"sip.test\", nonce=\"n\\\"2\", uri=\"sip:sip.test\""),
                 header.constData());
        QVERIFY(header.contains(", algorithm=SHA-256, opaque=\"o\", qop=auth, nc=00000001"));
        QVERIFY(digest.header("REGISTER", "sip:sip.test").contains("nc=00000002"));
        QVERIFY(!ChooseChallenge({offered.first()}));
        // A session variant needs qop (its client nonce goes with it).
        const auto noQop =
            SipDigestChallenge::Parse("Digest nonce=\"n\", algorithm=MD5-sess", false);
        const auto withQop =
            SipDigestChallenge::Parse("Digest nonce=\"n\", algorithm=MD5-sess, qop=auth", false);
        QVERIFY(noQop && !noQop->supported() && withQop && withQop->supported());
    }
};

QTEST_GUILESS_MAIN(TestSipCore)
#include "tst_sipcore.moc"
