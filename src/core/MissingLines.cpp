#include "core/MissingLines.h"

#include "calllog/LogSink.h"
#include "settings/OptionsStore.h"
#include "settings/SettingsStore.h"
#include "telephony/LineAccess.h"

#include <QFileInfo>
#include <algorithm>

namespace {
// Whether the user chose the line, as the stored setting says (a device's absence never
// changes it).
bool Chosen(int line) {
    return ReadSetting(QStringLiteral("Config"), QStringLiteral("Line%1").arg(line),
                       QStringLiteral("0")) == QLatin1String("1");
}

// The nearest folder of path that exists: a device appears in it, or in a folder made in it.
QString NearestFolder(const QString& path) {
    QString folder = QFileInfo(path).absolutePath();
    while (!QFileInfo(folder).isDir() && folder != QLatin1String("/"))
        folder = QFileInfo(folder).absolutePath();
    return folder;
}
} // namespace

MissingLines::MissingLines(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    // udev sets a new port's owner and mode a moment after it appears.
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &MissingLines::mayHaveAppeared);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &MissingLines::folderChanged);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MissingLines::mayHaveAppeared);
}

void MissingLines::update(const DeviceDescriptions& devices, const LineAccess* access,
                          int deviceCount, LogSink& log) {
    QStringList folders;
    for (int line = 0; line < int(m_missing.size()); ++line) {
        const DeviceDescription& d = devices[std::size_t(line)];
        // A port this user may not open is there; it is explained elsewhere.
        const bool missing = Chosen(line) && !d.usable && d.deniedPort.isEmpty();
        m_missing[std::size_t(line)] = missing;
        m_paths[std::size_t(line)] = missing && access && line < deviceCount
                                         ? access->devicePath(uint32_t(line))
                                         : QString();
        if (!missing) {
            m_told[std::size_t(line)] = false;
            continue;
        }
        const QString& path = m_paths[std::size_t(line)];
        if (!m_told[std::size_t(line)]) {
            m_told[std::size_t(line)] = true;
            // A line with no path is past the modems a scan found, and no stored description
            // names the modem it had; the scan runs when the program starts.
            log.AddLogLine(
                path.isEmpty()
                    ? QStringLiteral("Line%1 is chosen but no modem is there for it; it opens "
                                     "when Hushwire starts with the modem plugged in")
                          .arg(line)
                    : QStringLiteral("Line%1 is chosen but its modem %2 is not there; it opens "
                                     "when it appears")
                          .arg(QString::number(line), path));
        }
        if (!path.isEmpty() && !folders.contains(NearestFolder(path)))
            folders.append(NearestFolder(path));
    }
    // A port that is there but did not answer yet (another program probing it) is tried again,
    // each time a little later.
    bool present = false;
    for (int line = 0; line < int(m_missing.size()); ++line)
        present |= m_missing[std::size_t(line)] && !m_paths[std::size_t(line)].isEmpty() &&
                   QFileInfo::exists(m_paths[std::size_t(line)]);
    m_retryMs = present ? std::min(std::max(2 * m_retryMs, 1000), kMostRetryMs) : 0;
    if (present)
        m_retry.start(m_retryMs);
    else
        m_retry.stop();
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    if (!folders.isEmpty())
        m_watcher.addPaths(folders);
}

bool MissingLines::any() const {
    for (bool missing : m_missing) {
        if (missing)
            return true;
    }
    return false;
}

QString MissingLines::description(int line) const {
    const QString& path = m_paths[std::size_t(line)];
    return path.isEmpty() ? QStringLiteral("chosen, its modem is not there")
                          : QStringLiteral("chosen, %1 is not there").arg(path);
}

void MissingLines::folderChanged() {
    bool appeared = false;
    for (int line = 0; line < int(m_missing.size()); ++line) {
        const QString& path = m_paths[std::size_t(line)];
        if (!m_missing[std::size_t(line)] || path.isEmpty())
            continue;
        appeared |= QFileInfo::exists(path);
        // A folder on the way to the device was made: it is watched in its turn.
        const QString nearest = NearestFolder(path);
        if (!m_watcher.directories().contains(nearest))
            m_watcher.addPath(nearest);
    }
    if (appeared)
        m_settle.start();
}
