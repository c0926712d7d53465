#pragma once

#include "settings/ui/LineAccess.h"

#include <QStringList>

// LineAccess for serial-port line devices: device i is the port at paths[i]. A port is reported
// as forbidden when it exists but this user may not read and write it (typically a modem port
// of the "dialout" group, and the user not in that group). Asked afresh on every query.
class PortAccess final : public LineAccess {
public:
    explicit PortAccess(QStringList paths) : m_paths(std::move(paths)) {}
    bool isPermissionDenied(uint32_t deviceId) const override;
    QString devicePath(uint32_t deviceId) const override;

private:
    QStringList m_paths;
};
