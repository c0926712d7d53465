#include "service/LogFollower.h"

#include <QFile>
#include <QFileInfo>

LogFollower::LogFollower(QString path, std::function<void(const QString&)> onLine, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_onLine(std::move(onLine)) {}

bool LogFollower::readNew() {
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A file that became shorter was started afresh.
    if (file.size() < m_offset) {
        m_offset = 0;
        m_pending.clear();
    }
    if (!file.seek(m_offset))
        return false;
    const QByteArray added = file.readAll();
    m_offset += added.size();
    m_pending += added;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        const char c = m_pending[i];
        if (c != '\n' && c != '\r')
            continue;
        // A CR as the last byte read may be the first half of a CR LF: wait for the next byte.
        if (c == '\r' && i + 1 == m_pending.size())
            break;
        m_onLine(QString::fromLatin1(m_pending.mid(start, i - start)));
        if (c == '\r' && m_pending[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    m_pending.remove(0, start);
    return true;
}

void LogFollower::follow() {
    auto update = [this] {
        readNew();
        if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
            m_watcher.addPath(m_path);
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, update);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, update);
    m_watcher.addPath(QFileInfo(m_path).absolutePath());
    update();
}
