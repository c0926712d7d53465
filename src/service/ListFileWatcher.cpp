#include "service/ListFileWatcher.h"

#include "lists/ListStore.h"
#include "lists/PhoneLists.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {
// What tells one version of a file from the next without reading it: its inode, size and
// modification time. A rename over the file changes the inode even when the rest is alike.
FileStamp Stamp(const QString& path) {
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return FileStamp{true, quint64(st.st_ino), qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}
} // namespace

ListFileWatcher::ListFileWatcher(QString publicPath, QString privatePath, QObject* parent)
    : QObject(parent), m_public(std::move(publicPath)), m_private(std::move(privatePath)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ListFileWatcher::report);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &ListFileWatcher::folderChanged);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &ListFileWatcher::fileChanged);
    m_watcher.addPath(QFileInfo(m_public).absolutePath());
    if (QFileInfo(m_private).absolutePath() != QFileInfo(m_public).absolutePath())
        m_watcher.addPath(QFileInfo(m_private).absolutePath());
    m_publicStamp = Stamp(m_public);
    m_privateStamp = Stamp(m_private);
    rewatch();
}

void ListFileWatcher::rewatch() {
    const QStringList watched = m_watcher.files();
    for (const QString& path : {m_public, m_private}) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            m_watcher.addPath(path);
    }
}

void ListFileWatcher::folderChanged() {
    // Something in the folder was created, removed or renamed: the files whose version changed
    // are the ones to read again. Other files of the folder (the log, the settings journal)
    // come and go without a reload.
    const FileStamp publicStamp = Stamp(m_public);
    const FileStamp privateStamp = Stamp(m_private);
    if (publicStamp != m_publicStamp)
        m_publicDirty = true;
    if (privateStamp != m_privateStamp)
        m_privateDirty = true;
    m_publicStamp = publicStamp;
    m_privateStamp = privateStamp;
    rewatch();
    if (m_publicDirty || m_privateDirty)
        m_settle.start();
}

void ListFileWatcher::fileChanged(const QString& path) {
    if (path == m_public) {
        m_publicDirty = true;
        m_publicStamp = Stamp(m_public);
    } else if (path == m_private) {
        m_privateDirty = true;
        m_privateStamp = Stamp(m_private);
    }
    rewatch();
    m_settle.start();
}

void ListFileWatcher::report() {
    if (m_publicDirty) {
        m_publicDirty = false;
        Q_EMIT listChanged(ListKind::Public);
    }
    if (m_privateDirty) {
        m_privateDirty = false;
        Q_EMIT listChanged(ListKind::Private);
    }
}

std::unique_ptr<ListFileWatcher> WatchListFiles(ListStore& store) {
    auto watcher = std::make_unique<ListFileWatcher>(store.tables().publicPath(),
                                                     store.tables().privatePath());
    QObject::connect(watcher.get(), &ListFileWatcher::listChanged, &store, &ListStore::reload);
    return watcher;
}
