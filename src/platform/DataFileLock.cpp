#include "platform/DataFileLock.h"

#include "platform/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
QString failure(const QString& path, const QString& cause) {
    return QStringLiteral("Could not lock %1: %2").arg(QDir::toNativeSeparators(path), cause);
}
} // namespace

DataFileLock::DataFileLock(const QString& dataFile) : dataFile_(dataFile) {}

DataFileLock::~DataFileLock() {
    release();
}

QString DataFileLock::lockPathFor(const QString& dataFile) {
    return dataFile + QStringLiteral(".lock");
}

bool DataFileLock::acquire(int timeoutMs, QString* error) {
    if (isHeld())
        return true;
    const QByteArray lockPath = QFile::encodeName(lockPathFor(dataFile_));
    int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // A lock file another user made (root editing the service's lists) is locked just as well
    // through a read-only descriptor.
    if (fd < 0 && errno == EACCES)
        fd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = failure(dataFile_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // Polls rather than blocks, so a writer that hangs holding the lock cannot hang us.
    for (int waited = 0;; waited += 5) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int cause = errno;
            ::close(fd);
            if (error)
                *error = failure(dataFile_, QString::fromLocal8Bit(std::strerror(cause)));
            return false;
        }
        if (waited >= timeoutMs) {
            ::close(fd);
            if (error)
                *error = failure(dataFile_, QStringLiteral("another program holds it"));
            return false;
        }
        QThread::msleep(5);
    }
}

void DataFileLock::release() {
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool RewriteLocked(const QString& path, const LockedChange& change, QString* error, int timeoutMs) {
    DataFileLock lock(path);
    if (!lock.acquire(timeoutMs, error))
        return false;
    QByteArray current;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("Could not read %1: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
            return false;
        }
        current = file.readAll();
        file.close();
    }
    const std::optional<QByteArray> next = change(current);
    if (!next)
        return true;
    return WriteFileAtomically(path, *next, error);
}
