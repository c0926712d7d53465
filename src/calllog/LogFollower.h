#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

// Follows a daily log file that another program (the service) writes: readNew() gives out the
// complete lines added since the last read, and follow() keeps giving them out as the file grows.
// Lines are Latin-1 and end in CR LF, LF or a lone CR; a line is given out once it is complete.
// The file and its folder are watched, never polled, so a file (or folder) that does not exist
// yet is taken up when it appears, and a file that became shorter is read again from its start.
class LogFollower : public QObject {
    Q_OBJECT
public:
    enum class Days { ThisOne, Later };

    LogFollower(QString path, std::function<void(const QStringList&)> onLines,
                QObject* parent = nullptr);

    // The file being followed.
    QString path() const { return m_path; }
    // Gives out the complete lines added since the last read. False when the file exists but
    // cannot be read.
    bool readNew();
    // Keeps giving out new lines as the file grows. With Days::Later, a later day's file
    // appearing in the folder is followed from then on, after the last lines of the day that
    // ended.
    void follow(Days days = Days::ThisOne);

private:
    void watch();
    void onFolderChanged();

    QString m_path;
    std::function<void(const QStringList&)> m_onLines;
    Days m_days = Days::ThisOne;
    qint64 m_offset = 0; // where the first line not given out yet starts
    QFileSystemWatcher m_watcher;
};
