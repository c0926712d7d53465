#pragma once

#include <QString>
#include <cstdint>

// What a telephony service can tell about a line device it could not use, in words for the
// user: whether this user may open the device at all, which port it stands for, and why the
// last attempt on it failed. Start-up and the setup window use it to say why a modem cannot be
// used; the engine adds the reason to a failed line's entry in the call log.
class LineAccess {
public:
    virtual ~LineAccess() = default;
    // Whether the device's port exists but could not be opened for lack of permission.
    virtual bool isPermissionDenied(uint32_t deviceId) const = 0;
    // The port the device stands for (e.g. /dev/ttyACM0), for messages to the user.
    virtual QString devicePath(uint32_t deviceId) const = 0;
    // Why the last operation on the device failed ("" when nothing did, or nothing is known).
    virtual QString lastError(uint32_t deviceId) const = 0;
};
