// SIP passwords with no secret store on the session bus: kept for the session, and said so.
#include "telephony/sip/SipSecrets.h"

#include <QTest>

#include <optional>

using Where = SipSecrets::Where;

class TestSipSecrets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // A session bus that is not there: no Secret Service, no KWallet.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/hushwire-test-bus");
    }

    void sessionOnlyWithoutSecretStore() {
        SipSecrets secrets;
        std::optional<Where> stored;
        secrets.write(2, QStringLiteral("s3cret"), [&](Where w) { stored = w; });
        QTRY_VERIFY_WITH_TIMEOUT(stored.has_value(), 30000);
        QCOMPARE(*stored, Where::Session);
        QVERIFY(secrets.statusText().contains(QLatin1String("until Hushwire ends")));

        std::optional<std::pair<Where, QString>> found;
        secrets.read(2, [&](Where w, const QString& p) { found = {w, p}; });
        QTRY_VERIFY_WITH_TIMEOUT(found.has_value(), 30000);
        QCOMPARE(found->first, Where::Session);
        QCOMPARE(found->second, QStringLiteral("s3cret"));

        // Another line has no password; a removed one is forgotten.
        found.reset();
        secrets.read(3, [&](Where w, const QString& p) { found = {w, p}; });
        QTRY_VERIFY_WITH_TIMEOUT(found.has_value(), 30000);
        QCOMPARE(found->first, Where::Nowhere);
        bool removed = false;
        secrets.remove(2, [&] { removed = true; });
        QTRY_VERIFY_WITH_TIMEOUT(removed, 30000);
        found.reset();
        secrets.read(2, [&](Where w, const QString& p) { found = {w, p}; });
        QTRY_VERIFY_WITH_TIMEOUT(found.has_value(), 30000);
        QCOMPARE(found->first, Where::Nowhere);
        QVERIFY(found->second.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSipSecrets)
#include "tst_sipsecrets.moc"
