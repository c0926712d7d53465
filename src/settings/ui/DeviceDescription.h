#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// How the setup window shows one telephony line device, from its LINEDEVCAPS.
struct DeviceDescription {
    QString text;           // the line's description text (also stored under Modem/Line<i>)
    bool usable = false;    // whether the line's check box is enabled
    uint32_t mediaMode = 0; // media mode to open the line with; 0 when not usable
};

// The line name in a LINEDEVCAPS buffer of bufferSize bytes: from dwLineNameOffset, at most
// dwLineNameSize + 1 bytes, up to the first zero byte, never past the end of the buffer. Each
// byte is one Latin-1 character, so the same device always gives the same text.
QString ReadLineName(const uint8_t* buffer, size_t bufferSize);

// The description of a device whose capability query gave result (0 = success), line name and
// media modes. The tests run in this order: failure or empty name, media modes exactly 20
// (interactive voice and data modem), interactive voice, automated voice, anything else.
DeviceDescription DescribeDeviceCaps(int32_t result, const QString& name, uint32_t mediaModes);

// The leading decimal number of a stored setting ("1 " gives 1, "x" gives 0), as the setup
// window reads its numeric settings. Leading blanks and a sign are accepted; values beyond the
// 32-bit range are clamped.
int LeadingNumber(const QString& text);
