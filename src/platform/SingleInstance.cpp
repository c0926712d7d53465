#include "platform/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& lockPath) : m_path(lockPath), m_lock(lockPath) {}

bool SingleInstance::tryLock() {
    // tryLock removes the lock file of a process that no longer runs before it gives up.
    return m_lock.tryLock(0);
}

QString SingleInstance::DefaultLockPath(const QString& applicationName) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + applicationName + QStringLiteral(".lock");
}
