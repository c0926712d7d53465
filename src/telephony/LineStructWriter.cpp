#include "telephony/LineStructWriter.h"

#include "telephony/LineApi.h"
#include "telephony/LineStructs.h"

#include <cstring>

using namespace lineabi;

namespace {

constexpr uint32_t kStringFormatAscii = 1;
constexpr uint32_t kStringFormatBinary = 4;
constexpr uint32_t kBearerModeVoice = 0x1;
constexpr uint32_t kCallOriginInbound = 0x4;
constexpr uint32_t kAddressModeAddressId = 0x1;

// Clears everything after dwTotalSize in the fixed part.
void clearFixed(uint8_t* buf, size_t fixedSize) {
    std::memset(buf + 4, 0, fixedSize - 4);
}

// Appends text plus its terminating NUL at *used when it fits; writes size and offset fields.
void appendText(uint8_t* buf, uint32_t total, uint32_t* used, uint32_t* needed,
                const QByteArray& text, size_t sizeField, size_t offsetField) {
    const uint32_t size = uint32_t(text.size()) + 1;
    *needed += size;
    if (*used + size > total)
        return;
    std::memcpy(buf + *used, text.constData(), size_t(text.size()));
    buf[*used + uint32_t(text.size())] = 0;
    writeU32(buf, sizeField, size);
    writeU32(buf, offsetField, *used);
    *used += size;
}

} // namespace

namespace LineStructWriter {

bool WriteCallInfo(uint8_t* buf, const LineCall& call) {
    namespace ci = callinfo;
    const uint32_t total = readU32(buf, kTotalSize);
    if (total < ci::kFixedSize)
        return false;
    clearFixed(buf, ci::kFixedSize);
    writeU32(buf, ci::hLine, call.lineHandle);
    writeU32(buf, ci::dwLineDeviceID, call.deviceId);
    writeU32(buf, ci::dwBearerMode, kBearerModeVoice);
    writeU32(buf, ci::dwMediaMode, call.mediaMode);
    writeU32(buf, ci::dwCallID, call.handle);
    writeU32(buf, ci::dwOrigin, kCallOriginInbound);
    writeU32(buf, ci::dwNumOwners, 1);
    writeU32(buf, ci::dwMonitorDigitModes, call.monitorDigits ? tapi::LINEDIGITMODE_DTMF : 0);

    uint32_t used = ci::kFixedSize;
    uint32_t needed = ci::kFixedSize;
    uint32_t flags = 0;
    if (!call.hasCallerId) {
        flags = tapi::LINECALLPARTYID_UNKNOWN; // may still become known
    } else {
        const CallerId& id = call.callerId;
        switch (id.number) {
        case CallerId::Part::Private:
            flags |= tapi::LINECALLPARTYID_BLOCKED;
            break;
        case CallerId::Part::OutOfArea:
            flags |= tapi::LINECALLPARTYID_OUTOFAREA;
            break;
        case CallerId::Part::Present: {
            const uint32_t before = used;
            appendText(buf, total, &used, &needed, id.numberText, ci::dwCallerIDSize,
                       ci::dwCallerIDOffset);
            if (used != before)
                flags |= tapi::LINECALLPARTYID_ADDRESS;
            break;
        }
        case CallerId::Part::Absent:
            break;
        }
        if (id.name == CallerId::Part::Present) {
            const uint32_t before = used;
            appendText(buf, total, &used, &needed, id.nameText, ci::dwCallerIDNameSize,
                       ci::dwCallerIDNameOffset);
            if (used != before)
                flags |= tapi::LINECALLPARTYID_NAME;
        }
    }
    writeU32(buf, ci::dwCallerIDFlags, flags);
    writeU32(buf, kNeededSize, needed);
    writeU32(buf, kUsedSize, used);
    return true;
}

bool WriteDevCaps(uint8_t* buf, uint32_t deviceId, const QByteArray& lineName,
                  uint32_t mediaModes) {
    namespace dc = devcaps;
    const uint32_t total = readU32(buf, kTotalSize);
    if (total < dc::kFixedSize)
        return false;
    clearFixed(buf, dc::kFixedSize);
    writeU32(buf, dc::dwPermanentLineID, deviceId);
    writeU32(buf, dc::dwStringFormat, kStringFormatAscii);
    writeU32(buf, dc::dwAddressModes, kAddressModeAddressId);
    writeU32(buf, dc::dwNumAddresses, 1);
    writeU32(buf, dc::dwBearerModes, kBearerModeVoice);
    writeU32(buf, dc::dwMediaModes, mediaModes);
    writeU32(buf, dc::dwMaxNumActiveCalls, 1);
    writeU32(buf, dc::dwLineStates, tapi::LINEDEVSTATE_RINGING);
    uint32_t used = dc::kFixedSize;
    uint32_t needed = dc::kFixedSize;
    appendText(buf, total, &used, &needed, lineName, dc::dwLineNameSize, dc::dwLineNameOffset);
    writeU32(buf, kNeededSize, needed);
    writeU32(buf, kUsedSize, used);
    return true;
}

bool WriteWaveOutId(uint8_t* buf, uint32_t waveDevice) {
    namespace vs = varstring;
    const uint32_t total = readU32(buf, kTotalSize);
    if (total < vs::kFixedSize)
        return false;
    clearFixed(buf, vs::kFixedSize);
    writeU32(buf, vs::dwStringFormat, kStringFormatBinary);
    writeU32(buf, kNeededSize, vs::kFixedSize + 4);
    if (total < vs::kFixedSize + 4) {
        writeU32(buf, kUsedSize, vs::kFixedSize);
        return true;
    }
    writeU32(buf, vs::dwStringSize, 4);
    writeU32(buf, vs::dwStringOffset, vs::kFixedSize);
    writeU32(buf, vs::kFixedSize, waveDevice);
    writeU32(buf, kUsedSize, vs::kFixedSize + 4);
    return true;
}

} // namespace LineStructWriter
