#pragma once

#include "settings/DeviceDescription.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <array>

class LineAccess;
class LogSink;

// The lines the user chose whose modem is not there now (not plugged in yet, its driver loaded
// late, another program probing the port). The choice stays stored as the user made it: each
// such line is named once in the log, and the folders where its device would appear are
// watched, so the owner opens the line as soon as the device is there.
class MissingLines : public QObject {
    Q_OBJECT
public:
    explicit MissingLines(QObject* parent = nullptr);

    // Takes the devices as the service now describes them. access (may be null) gives the path
    // of a device that is missing.
    void update(const DeviceDescriptions& devices, const LineAccess* access, int deviceCount,
                LogSink& log);
    bool isMissing(int line) const { return m_missing[std::size_t(line)]; }
    bool any() const;
    // What status shows for a missing line.
    QString description(int line) const;

    static constexpr int kSettleMs = 500;
    static constexpr int kMostRetryMs = 30000;

Q_SIGNALS:
    // A device may have appeared for a missing line: the owner opens the lines again.
    void mayHaveAppeared();

private:
    void folderChanged();

    std::array<bool, 4> m_missing{};
    std::array<bool, 4> m_told{};
    std::array<QString, 4> m_paths;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QTimer m_retry;
    int m_retryMs = 0;
};
