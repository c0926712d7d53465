// Desktop notifications on a private session bus, with a stand-in notification service: which
// call log lines raise one, what it carries, the Setup option, and silence without a service.
#include "calllog/CallNotices.h"
#include "settings/OptionsStore.h"
#include "settings/SettingsStore.h"
#include "shell/CallNotifications.h"
#include "support/TestFolders.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// What the desktop's notification service would show.
class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        QString appName, icon, summary, body;
        QVariantMap hints;
    };
    QList<Shown> shown;

public Q_SLOTS:
    uint Notify(const QString& appName, uint /*replacesId*/, const QString& icon,
                const QString& summary, const QString& body, const QStringList& /*actions*/,
                const QVariantMap& hints, int /*timeout*/) {
        shown.append({appName, icon, summary, body, hints});
        return uint(shown.size());
    }
};

class TestNotifications : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void picksTheLinesWorthANotice();
    void aBlockedCallIsShownOnTheDesktop();
    void theSetupOptionSilencesBlockedCalls();
    void nothingHappensWithoutAService();
    void cleanupTestCase();

private:
    QDBusConnection serviceBus() const { return QDBusConnection(QStringLiteral("service")); }
    void addLines(const QStringList& lines);

    QTemporaryDir m_dir;
    QProcess m_bus;
    FakeNotificationService m_service;
    QListWidget m_callLog;
};

void TestNotifications::initTestCase() {
    UseFoldersUnder(m_dir.path());
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed");
    // A bus of our own: the desktop's bus, if any, never sees these notifications.
    m_bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                         QStringLiteral("--print-address")});
    QVERIFY(m_bus.waitForReadyRead(10000));
    const QByteArray address = m_bus.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromLatin1(address), QStringLiteral("service"));
    QVERIFY(bus.isConnected());
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    m_callLog.addItem(
        QStringLiteral("CallerID:8005550100                         Blocked  <9:00:00>"));
    new CallNotifications(*m_callLog.model(), DesktopNotifier(), this);
}

void TestNotifications::picksTheLinesWorthANotice() {
    CallNotices notices;
    const auto kind = [&notices](const char* line) {
        const auto notice = notices.take(QString::fromLatin1(line));
        return notice ? int(notice->kind) : -1;
    };
    const int blocked = int(CallNotices::Kind::BlockedCall);
    const int service = int(CallNotices::Kind::LineService);
    QCOMPARE(kind("CallerID:5551234567 [JOHN DOE]  <3:04:05 PM>"), -1);
    QCOMPARE(kind("CallerID:5557654321 [Blocked]  <3:04:05 PM>"), -1);
    QCOMPARE(kind("CallerID:UNKNOWN                         Blocked  <3:04:05 PM>"), blocked);
    QCOMPARE(kind("UnLock PIN Detected  <3:04:05 PM>"), int(CallNotices::Kind::Unlock));
    // A line's start is no news; going away is, once; coming back is.
    QCOMPARE(kind("Line0 is ready  <3:04:05 PM>"), -1);
    QCOMPARE(kind("Line0 is not ready: its modem went away.  <3:04:05 PM>"), service);
    QCOMPARE(kind("Line0 is not ready: its modem went away.  <3:04:06 PM>"), -1);
    QCOMPARE(kind("Line1 is ready  <3:04:07 PM>"), -1);
    QCOMPARE(kind("Line0 is ready  <3:04:08 PM>"), service);
    QCOMPARE(kind("Line0 is ready  <3:04:09 PM>"), -1);
}

void TestNotifications::addLines(const QStringList& lines) {
    for (const QString& line : lines)
        m_callLog.addItem(line);
}

void TestNotifications::aBlockedCallIsShownOnTheDesktop() {
    QVERIFY(serviceBus().registerService(QStringLiteral("org.freedesktop.Notifications")));
    QVERIFY(serviceBus().registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                        &m_service, QDBusConnection::ExportAllSlots));
    const QString line = QStringLiteral(
        "CallerID:8005550199 [ACME & <Sons>]                         Blocked  <9:00:01>");
    addLines({QStringLiteral("Line0 Ring...  <9:00:00>"), line});
    QTRY_COMPARE(m_service.shown.size(), 1); // the line shown before the start is not news
    const FakeNotificationService::Shown& shown = m_service.shown.first();
    QCOMPARE(shown.summary, QStringLiteral("Hushwire"));
    QCOMPARE(shown.appName, QStringLiteral("Hushwire"));
    QCOMPARE(shown.icon, QStringLiteral("hushwire"));
    QCOMPARE(shown.body, line.toHtmlEscaped()); // the service reads markup
    QCOMPARE(shown.hints.value(QStringLiteral("suppress-sound")).toBool(), true);
    QVERIFY(!shown.hints.value(QStringLiteral("desktop-entry")).toString().isEmpty());
}

void TestNotifications::theSetupOptionSilencesBlockedCalls() {
    m_service.shown.clear();
    QVERIFY(NotifyBlockedCalls());
    QVERIFY(SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("NotifyBlocked"),
                              QStringLiteral("0")));
    addLines({QStringLiteral("CallerID:8005550199                         Blocked  <9:01:00>"),
              QStringLiteral("UnLock PIN Detected  <9:01:05>"),
              QStringLiteral("Line0 is not ready: its modem went away.  <9:02:00>")});
    // The line going away still shows, and only it.
    QTRY_COMPARE(m_service.shown.size(), 1);
    QVERIFY(m_service.shown.first().body.startsWith(QStringLiteral("Line0 is not ready")));
    QVERIFY(SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("NotifyBlocked"),
                              QStringLiteral("1")));
}

void TestNotifications::nothingHappensWithoutAService() {
    serviceBus().unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QVERIFY(serviceBus().unregisterService(QStringLiteral("org.freedesktop.Notifications")));
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    m_service.shown.clear();
    addLines({QStringLiteral("CallerID:8005550199                         Blocked  <9:03:00>")});
    QTest::qWait(300);
    QCOMPARE(m_service.shown.size(), 0);
}

void TestNotifications::cleanupTestCase() {
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.kill();
        m_bus.waitForFinished();
    }
}

QTEST_MAIN(TestNotifications)
#include "tst_notifications.moc"
