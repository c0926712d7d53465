#include "settings/DeviceDescription.h"

#include "platform/MessageSeam.h"
#include "telephony/LineAccess.h"
#include "telephony/LineApi.h"
#include "telephony/LineStructs.h"

#include <vector>

QString ReadLineName(const uint8_t* buffer, size_t bufferSize) {
    using namespace lineabi;
    if (bufferSize < devcaps::kFixedSize)
        return {};
    const uint64_t offset = readU32(buffer, devcaps::dwLineNameOffset);
    // Size plus one: the name may be stored with its terminating zero not counted.
    const uint64_t maxBytes = uint64_t(readU32(buffer, devcaps::dwLineNameSize)) + 1;
    QString name;
    for (uint64_t pos = offset; pos < bufferSize && pos - offset < maxBytes; ++pos) {
        const uint8_t byte = buffer[pos];
        if (byte == 0)
            break;
        name.append(QChar(char16_t(byte)));
    }
    return name;
}

DeviceDescription DescribeDeviceCaps(int32_t result, const QString& name, uint32_t mediaModes) {
    static const QString kNoVoice = QStringLiteral(" Line does not support voice");
    const QString modes = QString::number(mediaModes);
    DeviceDescription d;
    d.present = result == 0;
    if (result != 0 || name.isEmpty()) {
        d.text = QStringLiteral("Invalid type of line");
    } else if (mediaModes ==
               (tapi::LINEMEDIAMODE_INTERACTIVEVOICE | tapi::LINEMEDIAMODE_DATAMODEM)) {
        // A data modem that claims interactive voice only for dialling by hand.
        d.text = QStringLiteral("  [") + modes + kNoVoice + QStringLiteral("]") + name;
    } else if (mediaModes & tapi::LINEMEDIAMODE_INTERACTIVEVOICE) {
        d.text = name + QStringLiteral("  [") + modes + QStringLiteral("]");
        d.usable = true;
        d.mediaMode = tapi::LINEMEDIAMODE_INTERACTIVEVOICE;
    } else if (mediaModes & tapi::LINEMEDIAMODE_AUTOMATEDVOICE) {
        d.text = name + QStringLiteral("  [") + modes + QStringLiteral("]");
        d.usable = true;
        d.mediaMode = tapi::LINEMEDIAMODE_AUTOMATEDVOICE;
    } else {
        d.text = name + QStringLiteral("  [") + modes + QStringLiteral("]") + QStringLiteral(" [") +
                 kNoVoice + QStringLiteral("]");
    }
    return d;
}

namespace {

DeviceDescription DescribeLineDevice(const LineDevices& devices, int line) {
    using namespace lineabi;
    std::vector<uint8_t> caps(devcaps::kBufferSize, 0);
    writeU32(caps.data(), kTotalSize, uint32_t(caps.size()));
    const int32_t result = devices.api.lineGetDevCaps(devices.lineApp, uint32_t(line),
                                                      devices.apiVersion, 0, caps.data());
    const QString name = result == 0 ? ReadLineName(caps.data(), caps.size()) : QString();
    const uint32_t modes = result == 0 ? readU32(caps.data(), devcaps::dwMediaModes) : 0;
    DeviceDescription d = DescribeDeviceCaps(result, name, modes);
    if (!devices.access)
        return d;

    if (devices.access->isPermissionDenied(uint32_t(line))) {
        // The port is there but this user may not open it: the line cannot work, say why.
        const QString port = devices.access->devicePath(uint32_t(line));
        d.text = (name.isEmpty() ? port : name) + QStringLiteral("  [no permission to open ") +
                 port + QStringLiteral("]");
        d.usable = false;
        d.present = false;
        d.mediaMode = 0;
        d.deniedPort = port;
    } else if (result != 0) {
        // Busy, not a modem, unplugged: the service knows which, and the user should too.
        const QString reason = devices.access->lastError(uint32_t(line));
        if (!reason.isEmpty())
            d.text += QStringLiteral("  [") + reason + QLatin1Char(']');
    } else {
        // A line that is there but cannot take calls now: it comes and goes, so it is kept
        // apart from the text, which is stored and compared between runs.
        d.problem = devices.access->lastError(uint32_t(line));
    }
    return d;
}

} // namespace

DeviceDescriptions DescribeLineDevices(const LineDevices& devices) {
    DeviceDescriptions described;
    for (int i = 0; i < devices.count && i < int(described.size()); ++i)
        described[size_t(i)] = DescribeLineDevice(devices, i);
    return described;
}

void ExplainDeniedPorts(const DeviceDescriptions& devices) {
    QStringList ports;
    for (const DeviceDescription& d : devices) {
        if (!d.deniedPort.isEmpty())
            ports.append(d.deniedPort);
    }
    if (ports.isEmpty())
        return;
    ShowMessage(
        QStringLiteral("Hushwire may not open the modem port %1: your user account lacks "
                       "permission.\n\n"
                       "Serial ports belong to the group \"dialout\". Add yourself to it with\n"
                       "    sudo adduser $USER dialout\n"
                       "then log out and log in again, and switch the line on in Setup.")
            .arg(ports.join(QStringLiteral(", "))),
        AppTitle(), MessageIcon::Warning);
}
