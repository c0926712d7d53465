#pragma once

#include "lists/ListKind.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <memory>

class ListStore;

struct FileStamp {
    bool exists = false;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// Says when a list file changed on disk: written in place, or replaced by a rename (an atomic
// rewrite), or created or removed. Both files and their folder are watched, since a file that
// is renamed over drops out of the watch and must be taken up again. Changes that follow one
// another closely are reported once, a short moment after the last.
class ListFileWatcher : public QObject {
    Q_OBJECT
public:
    ListFileWatcher(QString publicPath, QString privatePath, QObject* parent = nullptr);

    static constexpr int kSettleMs = 50;

Q_SIGNALS:
    void listChanged(ListKind kind);

private:
    void rewatch();
    void folderChanged();
    void fileChanged(const QString& path);
    void report();

    QString m_public;
    QString m_private;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    bool m_publicDirty = false;
    bool m_privateDirty = false;
    FileStamp m_publicStamp;
    FileStamp m_privateStamp;
};

// Keeps store in step with its files: every change on disk (the command line, the service,
// another window, an editor) is read again and shown at once, so the next edit starts from it.
std::unique_ptr<ListFileWatcher> WatchListFiles(ListStore& store);
