#pragma once

#include <QString>
#include <cstdint>

// What a telephony service can tell about a line device it could not open. A LineApi that also
// implements this interface lets the setup window say why a modem cannot be used, for instance a
// serial port the user has no permission to open. The setup window finds it by dynamic_cast on
// the LineApi it is given, or it can be handed one explicitly.
class LineAccess {
public:
    virtual ~LineAccess() = default;
    // Whether the device's port exists but could not be opened for lack of permission.
    virtual bool isPermissionDenied(uint32_t deviceId) const = 0;
    // The port the device stands for (e.g. /dev/ttyACM0), for messages to the user.
    virtual QString devicePath(uint32_t deviceId) const = 0;
};
