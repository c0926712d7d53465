#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// An advisory lock on a data file that several programs write (the desktop program, the
// service, the command line): a lock file beside it ("<file>.lock") held with flock(), so a
// writer that dies releases it with its process. A writer takes it, re-reads the file, changes
// it and writes it atomically, then releases it; no change made meanwhile by another program is
// lost.
class DataFileLock {
public:
    explicit DataFileLock(const QString& dataFile);
    ~DataFileLock();
    DataFileLock(const DataFileLock&) = delete;
    DataFileLock& operator=(const DataFileLock&) = delete;

    // Waits up to timeoutMs for the lock. On failure returns false and, when error is given, a
    // text naming the file and the cause.
    bool acquire(int timeoutMs, QString* error);
    void release();
    bool isHeld() const { return fd_ >= 0; }

    static QString lockPathFor(const QString& dataFile);

private:
    QString dataFile_;
    int fd_ = -1;
};

// Reads the file's current bytes under its lock (empty when it does not exist), hands them to
// change and writes what it returns atomically. change returns nullopt to leave the file as it
// is (nothing to do, or the change was refused). Returns false, with error, when the lock could
// not be taken or the file could not be read or written.
using LockedChange = std::function<std::optional<QByteArray>(const QByteArray& current)>;
bool RewriteLocked(const QString& path, const LockedChange& change, QString* error,
                   int timeoutMs = 10000);
