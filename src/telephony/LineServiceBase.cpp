#include "telephony/LineServiceBase.h"

#include "telephony/LineStructWriter.h"
#include "telephony/LineStructs.h"

#include <cstring>

LineServiceBase::LineServiceBase(uint32_t appHandle, uint32_t lineHandleBase, uint32_t lastCall,
                                 QObject* parent)
    : QObject(parent), m_appHandle(appHandle), m_lineHandleBase(lineHandleBase),
      m_nextCall(lastCall) {}

LineServiceBase::~LineServiceBase() = default;

void LineServiceBase::registerCall(const std::shared_ptr<LineCall>& call, uint32_t deviceId,
                                   uint32_t mediaMode) {
    call->handle = ++m_nextCall;
    call->deviceId = deviceId;
    call->lineHandle = lineHandleOf(deviceId);
    call->mediaMode = mediaMode;
    m_calls[call->handle] = call;
}

std::shared_ptr<LineCall> LineServiceBase::findCall(uint32_t handle) const {
    auto it = m_calls.find(handle);
    return it == m_calls.end() ? nullptr : it->second;
}

uint32_t LineServiceBase::mediaModesOf(uint32_t deviceId) const {
    auto it = m_lines.find(deviceId);
    return it == m_lines.end() ? 0 : it->second.mediaModes;
}

bool LineServiceBase::deviceOfLine(uint32_t lineHandle, uint32_t* deviceId) const {
    if (lineHandle < m_lineHandleBase || !isOpen(lineHandle - m_lineHandleBase))
        return false;
    *deviceId = lineHandle - m_lineHandleBase;
    return true;
}

void LineServiceBase::queueNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2,
                                  uint32_t p3) {
    uint32_t deviceId = device - m_lineHandleBase;
    if (message != tapi::LINE_LINEDEVSTATE) {
        const auto call = findCall(device);
        deviceId = call ? call->deviceId : UINT32_MAX;
    }
    auto it = m_lines.find(deviceId);
    const uintptr_t instance = it == m_lines.end() ? 0 : it->second.instance;
    // Always later, in order: the program never hears of a call inside its own LineApi call.
    QMetaObject::invokeMethod(
        this,
        [this, device, message, instance, p1, p2, p3] {
            if (m_callback)
                m_callback(device, message, instance, p1, p2, p3);
        },
        Qt::QueuedConnection);
}

int32_t LineServiceBase::lineInitialize(uint32_t* lineApp, LineCallback callback,
                                        const QString& /*appName*/, uint32_t* numDevs) {
    if (!lineApp || !numDevs)
        return tapi::LINEERR_INVALPOINTER;
    // A second initialisation keeps what runs and only takes the new callback.
    if (!m_initialized) {
        if (const int32_t result = startService(); result != 0)
            return result;
    }
    m_callback = std::move(callback);
    m_initialized = true;
    *lineApp = m_appHandle;
    *numDevs = deviceCount();
    return 0;
}

int32_t LineServiceBase::lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId,
                                                 uint32_t apiLowVersion, uint32_t apiHighVersion,
                                                 uint32_t* apiVersion, uint8_t* extensionId) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!validDevice(deviceId))
        return tapi::LINEERR_BADDEVICEID;
    if (!apiVersion)
        return tapi::LINEERR_INVALPOINTER;
    if (apiHighVersion < tapi::kApiVersionLow || apiLowVersion > kApiVersion)
        return tapi::LINEERR_INCOMPATIBLEAPIVERSION;
    *apiVersion = qMin(apiHighVersion, kApiVersion);
    if (extensionId)
        std::memset(extensionId, 0, 16);
    return 0;
}

int32_t LineServiceBase::lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t, uint32_t,
                                        uint8_t* devCaps) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!validDevice(deviceId))
        return tapi::LINEERR_BADDEVICEID;
    if (!devCaps)
        return tapi::LINEERR_INVALPOINTER;
    if (lineabi::readU32(devCaps, lineabi::kTotalSize) < lineabi::devcaps::kFixedSize)
        return tapi::LINEERR_STRUCTURETOOSMALL;
    QByteArray name;
    uint32_t modes = 0;
    if (const int32_t result = describeDevice(deviceId, &name, &modes); result != 0)
        return result;
    LineStructWriter::WriteDevCaps(devCaps, deviceId, name, modes);
    return 0;
}

int32_t LineServiceBase::lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line, uint32_t,
                                  uint32_t, uintptr_t callbackInstance, uint32_t,
                                  uint32_t mediaModes, const void*) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!validDevice(deviceId))
        return tapi::LINEERR_BADDEVICEID;
    if (!line)
        return tapi::LINEERR_INVALPOINTER;
    if (isOpen(deviceId))
        return tapi::LINEERR_ALLOCATED;
    const uint32_t handle = lineHandleOf(deviceId);
    if (const int32_t result = openDevice(deviceId, handle, mediaModes); result != 0)
        return result;
    m_lines[deviceId] = OpenLine{callbackInstance, mediaModes};
    *line = handle;
    return 0;
}

int32_t LineServiceBase::lineSetStatusMessages(uint32_t line, uint32_t, uint32_t) {
    // Rings are always reported; nothing else is on offer.
    uint32_t device = 0;
    return deviceOfLine(line, &device) ? 0 : tapi::LINEERR_INVALLINEHANDLE;
}

int32_t LineServiceBase::lineGetCallInfo(uint32_t call, uint8_t* callInfo) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (!callInfo)
        return tapi::LINEERR_INVALPOINTER;
    if (!LineStructWriter::WriteCallInfo(callInfo, *c))
        return tapi::LINEERR_STRUCTURETOOSMALL;
    return 0;
}

int32_t LineServiceBase::lineAnswer(uint32_t call, const char*, uint32_t) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (!isOpen(c->deviceId) || !answerCall(c))
        return tapi::LINEERR_INVALCALLSTATE;
    return m_nextRequest++;
}

int32_t LineServiceBase::lineMonitorDigits(uint32_t call, uint32_t digitModes) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->state == LineCall::State::Idle)
        return tapi::LINEERR_INVALCALLSTATE;
    c->monitorDigits = (digitModes & tapi::LINEDIGITMODE_DTMF) != 0;
    return 0;
}

int32_t LineServiceBase::lineGetID(uint32_t line, uint32_t, uint32_t call, uint32_t select,
                                   uint8_t* deviceId, const QString& deviceClass) {
    if (!deviceId)
        return tapi::LINEERR_INVALPOINTER;
    if (deviceClass.compare(QLatin1String("wave/out"), Qt::CaseInsensitive) != 0)
        return tapi::LINEERR_OPERATIONFAILED;
    uint32_t device = 0;
    if (select == tapi::LINECALLSELECT_CALL) {
        const auto c = findCall(call);
        if (!c)
            return tapi::LINEERR_INVALCALLHANDLE;
        // The voice channel exists only while the call is answered.
        if (c->state != LineCall::State::Connected)
            return tapi::LINEERR_INVALCALLSTATE;
        device = c->deviceId;
    } else if (!deviceOfLine(line, &device)) {
        return tapi::LINEERR_INVALLINEHANDLE;
    }
    if (!LineStructWriter::WriteWaveOutId(deviceId, device))
        return tapi::LINEERR_STRUCTURETOOSMALL;
    return 0;
}

int32_t LineServiceBase::lineDrop(uint32_t call, const char*, uint32_t) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (!dropCall(c))
        return tapi::LINEERR_INVALCALLSTATE;
    return m_nextRequest++;
}

int32_t LineServiceBase::lineBlindTransfer(uint32_t call, const QString& destAddress, uint32_t) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->state != LineCall::State::Connected)
        return tapi::LINEERR_INVALCALLSTATE;
    const int32_t r = transferCall(c, destAddress);
    return r < 0 ? r : m_nextRequest++;
}

int32_t LineServiceBase::lineDeallocateCall(uint32_t call) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->state != LineCall::State::Idle)
        return tapi::LINEERR_INVALCALLSTATE;
    m_calls.erase(call);
    return 0;
}

int32_t LineServiceBase::lineClose(uint32_t line) {
    uint32_t device = 0;
    if (!deviceOfLine(line, &device))
        return tapi::LINEERR_INVALLINEHANDLE;
    closeDevice(device);
    m_lines.erase(device);
    return 0;
}

int32_t LineServiceBase::lineShutdown(uint32_t lineApp) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    shutDownService();
    m_lines.clear();
    m_calls.clear();
    m_callback = nullptr;
    m_initialized = false;
    return 0;
}
