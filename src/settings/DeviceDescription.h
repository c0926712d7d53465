#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>

class LineAccess;
class LineApi;

// How one telephony line device is shown to the user, from its LINEDEVCAPS.
struct DeviceDescription {
    QString text;        // the line's description text (also stored under Modem/Line<i>)
    bool usable = false; // whether the line can be chosen
    // Whether the device itself answered, so text describes it (a voice modem or not). False
    // for a device that is away, busy, closed to this user or beyond the devices found: its
    // text then says why, and is not the description stored for the line.
    bool present = false;
    uint32_t mediaMode = 0; // media mode to open the line with; 0 when not usable
    QString deniedPort;     // the device's port, when this user may not open it
    // Why a line that answered its capability query cannot take calls now (a SIP server that
    // refused the password or does not answer); shown beside the text, never stored with it.
    QString problem;
};

using DeviceDescriptions = std::array<DeviceDescription, 4>;

// The line devices of a started telephony session: the service, what it can say about devices
// it cannot use (may be null), and the application handle, version and device count that the
// engine negotiated.
struct LineDevices {
    LineApi& api;
    const LineAccess* access = nullptr;
    uint32_t lineApp = 0;
    uint32_t apiVersion = 0;
    int32_t count = 0;
};

// The line name in a LINEDEVCAPS buffer of bufferSize bytes: from dwLineNameOffset, at most
// dwLineNameSize + 1 bytes, up to the first zero byte, never past the end of the buffer. Each
// byte is one Latin-1 character, so the same device always gives the same text.
QString ReadLineName(const uint8_t* buffer, size_t bufferSize);

// The description of a device whose capability query gave result (0 = success), line name and
// media modes. The tests run in this order: failure or empty name, media modes exactly 20
// (interactive voice and data modem), interactive voice, automated voice, anything else.
DeviceDescription DescribeDeviceCaps(int32_t result, const QString& name, uint32_t mediaModes);

// Asks the service for the capabilities of devices 0..3 and describes each; a device beyond
// the count has an empty description. A device that failed its query carries the service's
// reason in brackets; a port this user may not open says so instead. A device that answered
// but reports a failure carries it as its problem.
DeviceDescriptions DescribeLineDevices(const LineDevices& devices);

// Tells the user (a message box) that these ports need the "dialout" group; nothing when empty.
void ExplainDeniedPorts(const DeviceDescriptions& devices);
