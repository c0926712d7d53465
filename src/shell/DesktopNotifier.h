#pragma once

#include <QDBusConnection>
#include <QString>

// Raises desktop notifications through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus), as GNOME and KDE show them: titled
// "Hushwire", with the program's icon and no sound of their own. The call is sent without
// waiting for an answer: where no notification service runs, nothing happens and nothing is
// reported.
class DesktopNotifier {
public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus());

    // body is plain text; it is escaped, as the service reads markup in it.
    void notify(const QString& body);

private:
    QDBusConnection m_bus;
};
