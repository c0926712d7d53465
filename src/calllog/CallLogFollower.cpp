#include "calllog/CallLogFollower.h"

#include "calllog/CallLogList.h"

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

CallLogFollower::CallLogFollower(CallLogList& list, QString path, QObject* parent)
    : QObject(parent), m_list(list), m_path(std::move(path)) {
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { readNew(true); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &CallLogFollower::onFolderChanged);
    watch();
    readNew(false);
}

void CallLogFollower::watch() {
    // Until the log folder exists, the folder it will be made in is watched instead.
    QString folder = QFileInfo(m_path).path();
    if (!QFileInfo(folder).isDir())
        folder = QFileInfo(folder).path();
    if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    // A file that was removed and made again is watched afresh.
    if (!m_watcher.files().contains(m_path) && QFileInfo(m_path).isFile())
        m_watcher.addPath(m_path);
}

void CallLogFollower::readNew(bool select) {
    // Only a regular file is read: a device such as /dev/zero would never end.
    if (!QFileInfo(m_path).isFile())
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A file shorter than what was shown is a new file: it is shown from its start.
    if (file.size() < m_offset)
        m_offset = 0;
    if (!file.seek(m_offset))
        return;
    QStringList lines;
    m_offset += TakeLines(file.readAll(), lines);
    for (const QString& line : std::as_const(lines))
        m_list.addItem(line);
    if (select && !lines.isEmpty())
        m_list.setCurrentIndex(m_list.count() - 1);
}

void CallLogFollower::onFolderChanged() {
    // Day files are named yy-MM-dd.txt, so the latest day sorts last.
    static const QRegularExpression dayFile(QStringLiteral("^\\d\\d-\\d\\d-\\d\\d\\.txt$"));
    const QFileInfo current(m_path);
    const QStringList names = current.dir().entryList({QStringLiteral("*.txt")}, QDir::Files,
                                                      QDir::Name | QDir::Reversed);
    for (const QString& name : names) {
        if (!dayFile.match(name).hasMatch())
            continue;
        if (name > current.fileName()) {
            readNew(true); // the last lines of the day that ended
            m_watcher.removePath(m_path);
            m_path = current.dir().filePath(name);
            m_offset = 0;
        }
        break;
    }
    watch();
    readNew(true);
}
