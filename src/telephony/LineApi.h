#pragma once

#include <QString>
#include <cstdint>
#include <functional>

// The telephony line functions the program calls, shaped like the TAPI line functions they
// stand for: the same operation names, values and structure layouts (see LineStructs.h).
// Handles are 32-bit unsigned; a result of 0 is success, negative results are errors.
// Notices are delivered to the callback later, through the GUI thread's event loop, never from
// inside one of these calls.

// TAPI values used by the program.
namespace tapi {
// Notices
constexpr uint32_t LINE_CALLINFO = 1;
constexpr uint32_t LINE_CALLSTATE = 2;
constexpr uint32_t LINE_LINEDEVSTATE = 8;
constexpr uint32_t LINE_MONITORDIGITS = 9;
// Call states
constexpr uint32_t LINECALLSTATE_IDLE = 0x1;
constexpr uint32_t LINECALLSTATE_OFFERING = 0x2;
constexpr uint32_t LINECALLSTATE_CONNECTED = 0x100;
constexpr uint32_t LINECALLSTATE_DISCONNECTED = 0x4000;
// Call-info changes
constexpr uint32_t LINECALLINFOSTATE_CALLERID = 0x8000;
// Line device states
constexpr uint32_t LINEDEVSTATE_RINGING = 0x2;
constexpr uint32_t LINEDEVSTATE_INSERVICE = 0x40;
constexpr uint32_t LINEDEVSTATE_OUTOFSERVICE = 0x80;
// Caller-ID flags
constexpr uint32_t LINECALLPARTYID_BLOCKED = 0x1;
constexpr uint32_t LINECALLPARTYID_OUTOFAREA = 0x2;
constexpr uint32_t LINECALLPARTYID_NAME = 0x4;
constexpr uint32_t LINECALLPARTYID_ADDRESS = 0x8;
constexpr uint32_t LINECALLPARTYID_UNKNOWN = 0x20;
// Media modes
constexpr uint32_t LINEMEDIAMODE_INTERACTIVEVOICE = 0x4;
constexpr uint32_t LINEMEDIAMODE_AUTOMATEDVOICE = 0x8;
constexpr uint32_t LINEMEDIAMODE_DATAMODEM = 0x10;
// Privileges, digit modes, selections
constexpr uint32_t LINECALLPRIVILEGE_MONITOR = 0x2;
constexpr uint32_t LINECALLPRIVILEGE_OWNER = 0x4;
constexpr uint32_t LINEDIGITMODE_DTMF = 0x2;
constexpr uint32_t LINECALLSELECT_CALL = 0x4;
// Versions
constexpr uint32_t kApiVersionLow = 0x10003;
constexpr uint32_t kApiVersionHigh = 0x30000;
// Errors (negative 32-bit values, as TAPI's LINEERR_ codes)
constexpr int32_t LINEERR_BADDEVICEID = int32_t(0x80000002u);
constexpr int32_t LINEERR_INVALCALLHANDLE = int32_t(0x80000018u);
constexpr int32_t LINEERR_INVALCALLSTATE = int32_t(0x8000001Cu);
constexpr int32_t LINEERR_INVALLINEHANDLE = int32_t(0x8000002Bu);
constexpr int32_t LINEERR_INVALPOINTER = int32_t(0x80000035u);
constexpr int32_t LINEERR_NODEVICE = int32_t(0x80000042u);
constexpr int32_t LINEERR_NODRIVER = int32_t(0x80000043u);
constexpr int32_t LINEERR_OPERATIONFAILED = int32_t(0x80000048u);
constexpr int32_t LINEERR_RESOURCEUNAVAIL = int32_t(0x80000049u);
constexpr int32_t LINEERR_STRUCTURETOOSMALL = int32_t(0x8000004Du);
constexpr int32_t LINEERR_INCOMPATIBLEAPIVERSION = int32_t(0x8000000Cu);
constexpr int32_t LINEERR_ALLOCATED = int32_t(0x80000001u);
constexpr int32_t LINEERR_INVALAPPHANDLE = int32_t(0x80000015u);
constexpr int32_t LINEERR_INVALADDRESS = int32_t(0x80000014u);
constexpr int32_t LINEERR_OPERATIONUNAVAIL = int32_t(0x8000004Au);
} // namespace tapi

// The line callback: device, message, callback instance, param1, param2, param3.
using LineCallback =
    std::function<void(uint32_t, uint32_t, uintptr_t, uint32_t, uint32_t, uint32_t)>;

class LineApi {
public:
    virtual ~LineApi() = default;

    virtual int32_t lineInitialize(uint32_t* lineApp, LineCallback callback, const QString& appName,
                                   uint32_t* numDevs) = 0;
    // extensionId receives the 16-byte LINEEXTENSIONID.
    virtual int32_t lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId,
                                            uint32_t apiLowVersion, uint32_t apiHighVersion,
                                            uint32_t* apiVersion, uint8_t* extensionId) = 0;
    // devCaps: a LINEDEVCAPS buffer of dwTotalSize bytes.
    virtual int32_t lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t apiVersion,
                                   uint32_t extVersion, uint8_t* devCaps) = 0;
    virtual int32_t lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line,
                             uint32_t apiVersion, uint32_t extVersion, uintptr_t callbackInstance,
                             uint32_t privileges, uint32_t mediaModes, const void* callParams) = 0;
    virtual int32_t lineSetStatusMessages(uint32_t line, uint32_t lineStates,
                                          uint32_t addressStates) = 0;
    // callInfo: a LINECALLINFO buffer of dwTotalSize bytes.
    virtual int32_t lineGetCallInfo(uint32_t call, uint8_t* callInfo) = 0;
    // Asynchronous: a positive request id or a negative error.
    virtual int32_t lineAnswer(uint32_t call, const char* userUserInfo, uint32_t size) = 0;
    virtual int32_t lineMonitorDigits(uint32_t call, uint32_t digitModes) = 0;
    // deviceId: a VARSTRING buffer of dwTotalSize bytes.
    virtual int32_t lineGetID(uint32_t line, uint32_t addressId, uint32_t call, uint32_t select,
                              uint8_t* deviceId, const QString& deviceClass) = 0;
    // Asynchronous: a positive request id or a negative error.
    virtual int32_t lineDrop(uint32_t call, const char* userUserInfo, uint32_t size) = 0;
    // Hands the answered call on to destAddress and lets it go (a blind transfer). An empty
    // destAddress means the line's own transfer target. Asynchronous: a positive request id, or
    // LINEERR_OPERATIONUNAVAIL when the line cannot transfer, LINEERR_INVALADDRESS when it has
    // no target. The call goes idle once the transfer is taken; a refused one is dropped.
    virtual int32_t lineBlindTransfer(uint32_t call, const QString& destAddress,
                                      uint32_t countryCode) = 0;
    virtual int32_t lineDeallocateCall(uint32_t call) = 0;
    virtual int32_t lineClose(uint32_t line) = 0;
    virtual int32_t lineShutdown(uint32_t lineApp) = 0;
};
