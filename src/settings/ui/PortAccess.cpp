#include "settings/ui/PortAccess.h"

#include <QFile>

#include <cerrno>
#include <unistd.h>

bool PortAccess::isPermissionDenied(uint32_t deviceId) const {
    const QString path = devicePath(deviceId);
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    return ::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES;
}

QString PortAccess::devicePath(uint32_t deviceId) const {
    return deviceId < uint32_t(m_paths.size()) ? m_paths.at(qsizetype(deviceId)) : QString();
}
