#include "calllog/LogFollower.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
// Appends the complete lines of data (ending in CR LF, LF or a lone CR) to lines and returns
// how many bytes they took. A last line without its end, or a CR that may still get its LF,
// is left for the next read.
qsizetype TakeLines(const QByteArray& data, QStringList& lines) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c != '\n' && c != '\r')
            continue;
        qsizetype end = i + 1;
        if (c == '\r') {
            if (i + 1 == data.size())
                break;
            if (data[i + 1] == '\n')
                end = i + 2;
        }
        lines.append(QString::fromLatin1(data.mid(start, i - start)));
        start = end;
        i = end - 1;
    }
    return start;
}
} // namespace

LogFollower::LogFollower(QString path, std::function<void(const QStringList&)> onLines,
                         QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_onLines(std::move(onLines)) {}

bool LogFollower::readNew() {
    // Only a regular file is read: a device such as /dev/zero would never end.
    if (!QFileInfo(m_path).isFile())
        return !QFileInfo::exists(m_path);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A file shorter than what was read is a new file: it is read from its start.
    if (file.size() < m_offset)
        m_offset = 0;
    if (!file.seek(m_offset))
        return false;
    QStringList lines;
    m_offset += TakeLines(file.readAll(), lines);
    if (!lines.isEmpty())
        m_onLines(lines);
    return true;
}

void LogFollower::follow(Days days) {
    m_days = days;
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { readNew(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &LogFollower::onFolderChanged);
    watch();
    readNew();
}

void LogFollower::watch() {
    // Until the log folder exists, the folder it will be made in is watched instead.
    QString folder = QFileInfo(m_path).absolutePath();
    if (!QFileInfo(folder).isDir())
        folder = QFileInfo(folder).path();
    if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    // A file that was removed and made again is watched afresh.
    if (!m_watcher.files().contains(m_path) && QFileInfo(m_path).isFile())
        m_watcher.addPath(m_path);
}

void LogFollower::onFolderChanged() {
    if (m_days == Days::Later) {
        // Day files are named yy-MM-dd.txt, so the latest day sorts last.
        static const QRegularExpression dayFile(QStringLiteral("^\\d\\d-\\d\\d-\\d\\d\\.txt$"));
        const QFileInfo current(m_path);
        const QStringList names = current.dir().entryList({QStringLiteral("*.txt")}, QDir::Files,
                                                          QDir::Name | QDir::Reversed);
        for (const QString& name : names) {
            if (!dayFile.match(name).hasMatch())
                continue;
            if (name > current.fileName()) {
                readNew(); // the last lines of the day that ended
                m_watcher.removePath(m_path);
                m_path = current.dir().filePath(name);
                m_offset = 0;
            }
            break;
        }
    }
    watch();
    readNew();
}
