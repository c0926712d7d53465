#pragma once

#include <QLockFile>
#include <QString>

// One running copy per user: a lock file in the user's runtime folder, named after the
// application. The lock of a copy that was killed is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& lockPath);
    // True when this process now holds the lock; false when another live copy holds it.
    bool tryLock();
    QString lockPath() const { return m_path; }

    // <runtime folder>/<applicationName>.lock
    static QString DefaultLockPath(const QString& applicationName);

private:
    QString m_path;
    QLockFile m_lock;
};
