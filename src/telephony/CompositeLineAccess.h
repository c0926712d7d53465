#pragma once

#include "telephony/CompositeLineApi.h"
#include "telephony/LineAccess.h"

#include <vector>

// What the services behind a composite line service can tell about their devices, asked by
// the composite's device numbers: each question goes to the service that owns the device, with
// that service's own number. A service without a LineAccess (null) knows nothing to tell.
class CompositeLineAccess final : public LineAccess {
public:
    // One entry per service of lines, in the same order; both outlive this object.
    CompositeLineAccess(const CompositeLineApi& lines, std::vector<const LineAccess*> services);

    bool isPermissionDenied(uint32_t deviceId) const override;
    QString devicePath(uint32_t deviceId) const override;
    QString lastError(uint32_t deviceId) const override;

private:
    const LineAccess* serviceOf(uint32_t deviceId, uint32_t* localDevice) const;

    const CompositeLineApi& m_lines;
    std::vector<const LineAccess*> m_services;
};
