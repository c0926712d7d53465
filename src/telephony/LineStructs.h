#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Byte layouts of the telephony structures, little-endian, offsets from the structure's start.
// Buffers are plain bytes; every structure begins with dwTotalSize, the size the caller gave.

namespace lineabi {

inline uint32_t readU32(const uint8_t* buf, size_t offset) {
    return uint32_t(buf[offset]) | uint32_t(buf[offset + 1]) << 8 |
           uint32_t(buf[offset + 2]) << 16 | uint32_t(buf[offset + 3]) << 24;
}

inline void writeU32(uint8_t* buf, size_t offset, uint32_t value) {
    buf[offset] = uint8_t(value);
    buf[offset + 1] = uint8_t(value >> 8);
    buf[offset + 2] = uint8_t(value >> 16);
    buf[offset + 3] = uint8_t(value >> 24);
}

// Offsets shared by every variable-size structure.
constexpr size_t kTotalSize = 0;
constexpr size_t kNeededSize = 4;
constexpr size_t kUsedSize = 8;

// LINECALLINFO: 296-byte fixed part, then the variable part.
namespace callinfo {
constexpr size_t kFixedSize = 296;
constexpr size_t kBufferSize = 2297; // what the engine asks with
constexpr size_t hLine = 12;
constexpr size_t dwLineDeviceID = 16;
constexpr size_t dwAddressID = 20;
constexpr size_t dwBearerMode = 24;
constexpr size_t dwRate = 28;
constexpr size_t dwMediaMode = 32;
constexpr size_t dwAppSpecific = 36;
constexpr size_t dwCallID = 40;
constexpr size_t dwRelatedCallID = 44;
constexpr size_t dwCallParamFlags = 48;
constexpr size_t dwCallStates = 52;
constexpr size_t dwMonitorDigitModes = 56;
constexpr size_t dwMonitorMediaModes = 60;
constexpr size_t DialParams = 64; // 16 bytes
constexpr size_t dwOrigin = 80;
constexpr size_t dwReason = 84;
constexpr size_t dwCompletionID = 88;
constexpr size_t dwNumOwners = 92;
constexpr size_t dwNumMonitors = 96;
constexpr size_t dwCountryCode = 100;
constexpr size_t dwTrunk = 104;
constexpr size_t dwCallerIDFlags = 108;
constexpr size_t dwCallerIDSize = 112;
constexpr size_t dwCallerIDOffset = 116;
constexpr size_t dwCallerIDNameSize = 120;
constexpr size_t dwCallerIDNameOffset = 124;
constexpr size_t dwCalledIDFlags = 128;
constexpr size_t dwConnectedIDFlags = 148;
constexpr size_t dwRedirectionIDFlags = 168;
constexpr size_t dwRedirectingIDFlags = 188;
constexpr size_t dwAppNameSize = 208;
constexpr size_t dwAppNameOffset = 212;
constexpr size_t dwDisplayableAddressSize = 216;
constexpr size_t dwCalledPartySize = 224;
constexpr size_t dwCommentSize = 232;
constexpr size_t dwDisplaySize = 240;
constexpr size_t dwUserUserInfoSize = 248;
constexpr size_t dwHighLevelCompSize = 256;
constexpr size_t dwLowLevelCompSize = 264;
constexpr size_t dwChargingInfoSize = 272;
constexpr size_t dwTerminalModesSize = 280;
constexpr size_t dwDevSpecificSize = 288;
constexpr size_t dwDevSpecificOffset = 292;
static_assert(dwDevSpecificOffset + 4 == kFixedSize);
} // namespace callinfo

// LINEDEVCAPS: 240-byte fixed part, then the variable part.
namespace devcaps {
constexpr size_t kFixedSize = 240;
constexpr size_t kBufferSize = 2241;
constexpr size_t dwProviderInfoSize = 12;
constexpr size_t dwProviderInfoOffset = 16;
constexpr size_t dwSwitchInfoSize = 20;
constexpr size_t dwSwitchInfoOffset = 24;
constexpr size_t dwPermanentLineID = 28;
constexpr size_t dwLineNameSize = 32;
constexpr size_t dwLineNameOffset = 36;
constexpr size_t dwStringFormat = 40;
constexpr size_t dwAddressModes = 44;
constexpr size_t dwNumAddresses = 48;
constexpr size_t dwBearerModes = 52;
constexpr size_t dwMaxRate = 56;
constexpr size_t dwMediaModes = 60;
constexpr size_t dwDevCapFlags = 112;
constexpr size_t dwMaxNumActiveCalls = 116;
constexpr size_t dwLineStates = 128;
constexpr size_t dwDevSpecificSize = 228;
constexpr size_t dwDevSpecificOffset = 232;
constexpr size_t dwLineFeatures = 236;
static_assert(dwLineFeatures + 4 == kFixedSize);
} // namespace devcaps

// VARSTRING: 24-byte fixed part, then the string.
namespace varstring {
constexpr size_t kFixedSize = 24;
constexpr size_t kBufferSize = 2025;
constexpr size_t dwStringFormat = 12;
constexpr size_t dwStringSize = 16;
constexpr size_t dwStringOffset = 20;
} // namespace varstring

} // namespace lineabi
