#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

class CallLogList;

// Shows in the list the daily log that another program (the service) writes: the lines the file
// holds when following starts, then each complete line as it is appended, selected like a line
// logged here. The file and its folder are watched, never polled. A later day's file appearing
// in the folder is followed from then on; the list keeps the earlier day's lines.
class CallLogFollower : public QObject {
    Q_OBJECT
public:
    CallLogFollower(CallLogList& list, QString path, QObject* parent = nullptr);
    // The file being followed.
    QString path() const { return m_path; }

private:
    void readNew(bool select);
    void onFolderChanged();
    void watch();

    CallLogList& m_list;
    QString m_path;
    qint64 m_offset = 0; // where the first line not shown yet starts
    QFileSystemWatcher m_watcher;
};
