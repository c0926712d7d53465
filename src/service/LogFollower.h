#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <functional>

// Prints a daily log file line by line, and with follow() each line added to it afterwards, as
// the service writes them. Lines are Latin-1 and end in CR LF, LF or a lone CR; a line is given
// out once it is complete. The file and its folder are watched, so a file that does not exist
// yet is taken up when it appears.
class LogFollower : public QObject {
    Q_OBJECT
public:
    LogFollower(QString path, std::function<void(const QString&)> onLine,
                QObject* parent = nullptr);

    // Gives out the complete lines added since the last call. False when the file exists but
    // cannot be read.
    bool readNew();
    // Keeps giving out new lines as the file grows.
    void follow();

private:
    QString m_path;
    std::function<void(const QString&)> m_onLine;
    QFileSystemWatcher m_watcher;
    qint64 m_offset = 0;
    QByteArray m_pending;
};
