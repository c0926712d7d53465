#include "shell/DesktopNotifier.h"

#include <QDBusMessage>
#include <QVariantMap>

DesktopNotifier::DesktopNotifier(QDBusConnection bus) : m_bus(std::move(bus)) {}

void DesktopNotifier::notify(const QString& body) {
    if (!m_bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{
        // The desktop file links the notification to the program in the desktop's settings.
        {QStringLiteral("desktop-entry"), QStringLiteral(HUSHWIRE_APP_ID)},
        {QStringLiteral("suppress-sound"), true},
    };
    call << QStringLiteral("Hushwire") << uint(0) << QStringLiteral("hushwire")
         << QStringLiteral("Hushwire") << body.toHtmlEscaped() << QStringList() << hints << int(-1);
    call.setAutoStartService(true);
    m_bus.send(call); // no answer is awaited; a missing service is no error of ours
}
