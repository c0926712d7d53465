#include "telephony/modem/DeviceReturn.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <algorithm>

namespace {
constexpr int kFirstRetryMs = 500;
constexpr int kLongestRetryMs = 30000;
} // namespace

DeviceReturn::DeviceReturn(QObject* parent) : QObject(parent) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &DeviceReturn::onChange);
}

void DeviceReturn::watch(const QString& path) {
    stop();
    m_path = QFileInfo(path).absoluteFilePath();
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DeviceReturn::onChange);
    rearm();
    // The node of an unplugged device may linger a moment, or the device may be back already.
    if (QFileInfo::exists(m_path))
        retryLater();
}

void DeviceReturn::retryLater() {
    if (!watching())
        return;
    m_retryMs = m_retryMs == 0 ? kFirstRetryMs : std::min(m_retryMs * 2, kLongestRetryMs);
    m_retry.start(m_retryMs);
}

void DeviceReturn::stop() {
    m_retry.stop();
    m_retryMs = 0;
    if (m_watcher) {
        // Possibly called from within the watcher's own signal.
        m_watcher->disconnect(this);
        m_watcher->deleteLater();
        m_watcher = nullptr;
    }
    m_path.clear();
}

void DeviceReturn::rearm() {
    QString folder = QFileInfo(m_path).absolutePath();
    while (!QFileInfo(folder).isDir() && folder != QDir::rootPath())
        folder = QFileInfo(folder).absolutePath();
    const QStringList watched = m_watcher->directories();
    if (watched == QStringList{folder})
        return;
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    m_watcher->addPath(folder);
}

void DeviceReturn::onChange() {
    if (!watching())
        return;
    // A folder on the way to the device may have appeared or gone: watch the nearest one.
    rearm();
    if (!QFileInfo::exists(m_path))
        return; // gone again, or not back yet: the next change of the folder says more
    Q_EMIT mayBeBack();
}
