#include "telephony/CompositeLineAccess.h"

CompositeLineAccess::CompositeLineAccess(const CompositeLineApi& lines,
                                         std::vector<const LineAccess*> services)
    : m_lines(lines), m_services(std::move(services)) {}

const LineAccess* CompositeLineAccess::serviceOf(uint32_t deviceId, uint32_t* localDevice) const {
    size_t service = 0;
    if (!m_lines.deviceOf(deviceId, &service, localDevice) || service >= m_services.size())
        return nullptr;
    return m_services[service];
}

bool CompositeLineAccess::isPermissionDenied(uint32_t deviceId) const {
    uint32_t local = 0;
    const LineAccess* access = serviceOf(deviceId, &local);
    return access && access->isPermissionDenied(local);
}

QString CompositeLineAccess::devicePath(uint32_t deviceId) const {
    uint32_t local = 0;
    const LineAccess* access = serviceOf(deviceId, &local);
    return access ? access->devicePath(local) : QString();
}

QString CompositeLineAccess::lastError(uint32_t deviceId) const {
    uint32_t local = 0;
    const LineAccess* access = serviceOf(deviceId, &local);
    return access ? access->lastError(local) : QString();
}
