#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QFileSystemWatcher;

// Waits for a device that went away to come back at the same path (a USB modem that dropped off
// the bus and reappears as the same /dev/serial/by-id link or ttyACM node). It watches the
// nearest folder of the path that exists, so nothing runs while the device is away; the folder
// itself may vanish with the last device in it and come back later.
class DeviceReturn : public QObject {
    Q_OBJECT
public:
    explicit DeviceReturn(QObject* parent = nullptr);

    // Starts waiting for path; when it is already there, mayBeBack follows shortly.
    void watch(const QString& path);
    // The device is there but could not be taken yet (udev still setting permissions,
    // ModemManager probing it): asks again later, each time waiting longer, up to half a minute.
    void retryLater();
    void stop();
    bool watching() const { return !m_path.isEmpty(); }

Q_SIGNALS:
    // The path exists again; the owner tries to open it.
    void mayBeBack();

private:
    void rearm();
    void onChange();

    QString m_path;
    QFileSystemWatcher* m_watcher = nullptr; // only while waiting: each holds an inotify instance
    QTimer m_retry;
    int m_retryMs = 0;
};
