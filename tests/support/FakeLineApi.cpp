#include "support/FakeLineApi.h"

#include "platform/time/EventLoop.h"
#include "telephony/LineStructs.h"

#include <algorithm>
#include <cstring>

using namespace lineabi;

FakeLineApi::FakeLineApi(EventLoop& loop, int deviceCount) : m_loop(loop) {
    devices.resize(size_t(std::max(0, deviceCount)));
    for (size_t i = 0; i < devices.size(); ++i) {
        devices[i].name = QStringLiteral("Fake Voice Modem %1").arg(i);
        devices[i].waveDevice = int32_t(i);
        devices[i].path = QStringLiteral("/dev/ttyACM%1").arg(i);
    }
}

bool FakeLineApi::isPermissionDenied(uint32_t deviceId) const {
    return deviceId < devices.size() && devices[deviceId].permissionDenied;
}

QString FakeLineApi::devicePath(uint32_t deviceId) const {
    return deviceId < devices.size() ? devices[deviceId].path : QString();
}

QString FakeLineApi::lastError(uint32_t deviceId) const {
    return deviceId < devices.size() ? devices[deviceId].lastError : QString();
}

void FakeLineApi::failOperation(const QString& name, int32_t result) {
    m_failures.insert(name, result);
}

void FakeLineApi::failOperationForDevice(const QString& name, uint32_t deviceId, int32_t result) {
    m_deviceFailures[{name, deviceId}] = result;
}

void FakeLineApi::clearFailures() {
    m_failures.clear();
    m_deviceFailures.clear();
}

int FakeLineApi::count(const QString& name) const {
    return int(
        std::count_if(ops.begin(), ops.end(), [&](const Op& op) { return op.name == name; }));
}

QStringList FakeLineApi::opNames() const {
    QStringList names;
    for (const Op& op : ops)
        names.append(op.name);
    return names;
}

std::vector<FakeLineApi::Op> FakeLineApi::opsNamed(const QString& name) const {
    std::vector<Op> result;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(result),
                 [&](const Op& op) { return op.name == name; });
    return result;
}

uint32_t FakeLineApi::lineHandleOf(int device) const {
    auto it = m_open.find(device);
    return it == m_open.end() ? 0 : it->second;
}

const FakeLineApi::Call* FakeLineApi::call(uint32_t handle) const {
    auto it = m_calls.find(handle);
    return it == m_calls.end() ? nullptr : &it->second;
}

FakeLineApi::Call* FakeLineApi::findCall(uint32_t handle) {
    auto it = m_calls.find(handle);
    return it == m_calls.end() || it->second.deallocated ? nullptr : &it->second;
}

int FakeLineApi::liveCallCount() const {
    return int(std::count_if(m_calls.begin(), m_calls.end(),
                             [](const auto& kv) { return !kv.second.deallocated; }));
}

int FakeLineApi::deviceOfLine(uint32_t line) const {
    for (const auto& [device, handle] : m_open) {
        if (handle == line)
            return device;
    }
    return -1;
}

int32_t FakeLineApi::record(const QString& name, std::vector<qint64> args, const QString& text,
                            int deviceForFailure) {
    ops.push_back(Op{name, std::move(args), text, clock ? clock() : -1});
    if (deviceForFailure >= 0) {
        auto it = m_deviceFailures.find({name, uint32_t(deviceForFailure)});
        if (it != m_deviceFailures.end())
            return it->second;
    }
    return m_failures.value(name, 0);
}

void FakeLineApi::postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2,
                             uint32_t p3) {
    m_loop.post([this, device, message, p1, p2, p3] {
        if (m_callback)
            m_callback(device, message, 0, p1, p2, p3);
    });
}

uint32_t FakeLineApi::offerCall(int device) {
    Call c;
    c.handle = m_nextCall++;
    c.device = device;
    c.state = tapi::LINECALLSTATE_OFFERING;
    c.info = QByteArray(int(callinfo::kBufferSize), '\0');
    auto* buf = reinterpret_cast<uint8_t*>(c.info.data());
    writeU32(buf, callinfo::hLine, lineHandleOf(device));
    writeU32(buf, callinfo::dwLineDeviceID, uint32_t(device));
    writeU32(buf, callinfo::dwCallStates, tapi::LINECALLSTATE_OFFERING);
    const uint32_t handle = c.handle;
    m_calls[handle] = std::move(c);
    postNotice(handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING, 0, 0);
    return handle;
}

void FakeLineApi::ring(int device, uint32_t ringCount) {
    postNotice(lineHandleOf(device), tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0,
               ringCount);
}

void FakeLineApi::sendCallerId(uint32_t call, uint32_t flags, const QByteArray& number,
                               const QByteArray& name) {
    std::map<uint32_t, QByteArray> bytes;
    const uint32_t numberOffset = callinfo::kFixedSize;
    const uint32_t numberSize = number.isEmpty() ? 0 : uint32_t(number.size() + 1);
    const uint32_t nameOffset = numberOffset + numberSize;
    const uint32_t nameSize = name.isEmpty() ? 0 : uint32_t(name.size() + 1);
    bytes[numberOffset] = number + '\0';
    bytes[nameOffset] = name + '\0';
    sendCallerIdRaw(call, flags, numberSize, numberSize ? numberOffset : 0, nameSize,
                    nameSize ? nameOffset : 0, bytes);
}

void FakeLineApi::sendCallerIdRaw(uint32_t call, uint32_t flags, uint32_t numberSize,
                                  uint32_t numberOffset, uint32_t nameSize, uint32_t nameOffset,
                                  const std::map<uint32_t, QByteArray>& bytesAt,
                                  uint32_t changedMask) {
    auto it = m_calls.find(call);
    if (it != m_calls.end()) {
        QByteArray& info = it->second.info;
        if (size_t(info.size()) >= callinfo::kFixedSize) {
            auto* buf = reinterpret_cast<uint8_t*>(info.data());
            writeU32(buf, callinfo::dwCallerIDFlags, flags);
            writeU32(buf, callinfo::dwCallerIDSize, numberSize);
            writeU32(buf, callinfo::dwCallerIDOffset, numberOffset);
            writeU32(buf, callinfo::dwCallerIDNameSize, nameSize);
            writeU32(buf, callinfo::dwCallerIDNameOffset, nameOffset);
        }
        for (const auto& [offset, data] : bytesAt) {
            for (qsizetype i = 0; i < data.size(); ++i) {
                const qint64 at = qint64(offset) + i;
                if (at < info.size())
                    info[at] = data[i];
            }
        }
    }
    postNotice(call, tapi::LINE_CALLINFO, changedMask, 0, 0);
}

void FakeLineApi::setCallInfo(uint32_t call, const QByteArray& info) {
    auto it = m_calls.find(call);
    if (it != m_calls.end())
        it->second.info = info;
}

void FakeLineApi::digit(uint32_t call, char16_t key) {
    postNotice(call, tapi::LINE_MONITORDIGITS, uint32_t(key) | (tapi::LINEDIGITMODE_DTMF << 16), 0,
               0);
}

void FakeLineApi::callState(uint32_t call, uint32_t state) {
    if (Call* c = findCall(call))
        c->state = state;
    postNotice(call, tapi::LINE_CALLSTATE, state, 0, 0);
}

void FakeLineApi::hangUpFarEnd(uint32_t call) {
    callState(call, tapi::LINECALLSTATE_DISCONNECTED);
}

int32_t FakeLineApi::lineInitialize(uint32_t* lineApp, LineCallback callback,
                                    const QString& appName, uint32_t* numDevs) {
    const int32_t r = record(QStringLiteral("lineInitialize"), {}, appName);
    if (r != 0)
        return r;
    m_callback = std::move(callback);
    m_initialized = true;
    *lineApp = kLineApp;
    *numDevs = uint32_t(devices.size());
    return 0;
}

int32_t FakeLineApi::lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId,
                                             uint32_t apiLowVersion, uint32_t apiHighVersion,
                                             uint32_t* apiVersion, uint8_t* extensionId) {
    const int32_t r = record(QStringLiteral("lineNegotiateAPIVersion"),
                             {lineApp, deviceId, apiLowVersion, apiHighVersion}, {}, int(deviceId));
    if (r != 0)
        return r;
    if (deviceId >= devices.size())
        return tapi::LINEERR_BADDEVICEID;
    const Device& d = devices[deviceId];
    if (d.negotiateFails || d.version < apiLowVersion || d.version > apiHighVersion)
        return tapi::LINEERR_INCOMPATIBLEAPIVERSION;
    *apiVersion = d.version;
    if (extensionId)
        std::memset(extensionId, 0, 16);
    return 0;
}

int32_t FakeLineApi::lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t apiVersion,
                                    uint32_t extVersion, uint8_t* devCaps) {
    const int32_t r = record(QStringLiteral("lineGetDevCaps"),
                             {lineApp, deviceId, apiVersion, extVersion}, {}, int(deviceId));
    if (r != 0)
        return r;
    if (deviceId >= devices.size())
        return tapi::LINEERR_BADDEVICEID;
    const uint32_t total = readU32(devCaps, kTotalSize);
    if (total < devcaps::kFixedSize)
        return tapi::LINEERR_STRUCTURETOOSMALL;
    std::memset(devCaps + 4, 0, total - 4);
    const QByteArray name = devices[deviceId].name.toLatin1() + '\0';
    const uint32_t needed = uint32_t(devcaps::kFixedSize + size_t(name.size()));
    writeU32(devCaps, kNeededSize, needed);
    writeU32(devCaps, devcaps::dwMediaModes, devices[deviceId].mediaModes);
    writeU32(devCaps, devcaps::dwStringFormat, 1);
    if (needed <= total) {
        std::memcpy(devCaps + devcaps::kFixedSize, name.constData(), size_t(name.size()));
        writeU32(devCaps, devcaps::dwLineNameSize, uint32_t(name.size()));
        writeU32(devCaps, devcaps::dwLineNameOffset, devcaps::kFixedSize);
        writeU32(devCaps, kUsedSize, needed);
    } else {
        writeU32(devCaps, kUsedSize, devcaps::kFixedSize);
    }
    return 0;
}

int32_t FakeLineApi::lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line,
                              uint32_t apiVersion, uint32_t extVersion, uintptr_t callbackInstance,
                              uint32_t privileges, uint32_t mediaModes, const void* callParams) {
    const int32_t r = record(QStringLiteral("lineOpen"),
                             {lineApp, deviceId, apiVersion, extVersion, qint64(callbackInstance),
                              privileges, mediaModes, callParams ? 1 : 0},
                             {}, int(deviceId));
    if (r != 0)
        return r;
    if (deviceId >= devices.size())
        return tapi::LINEERR_BADDEVICEID;
    if (m_open.count(int(deviceId)))
        return tapi::LINEERR_ALLOCATED;
    const uint32_t handle = 0x100 + deviceId;
    m_open[int(deviceId)] = handle;
    *line = handle;
    return 0;
}

int32_t FakeLineApi::lineSetStatusMessages(uint32_t line, uint32_t lineStates,
                                           uint32_t addressStates) {
    return record(QStringLiteral("lineSetStatusMessages"), {line, lineStates, addressStates}, {},
                  deviceOfLine(line));
}

int32_t FakeLineApi::lineGetCallInfo(uint32_t call, uint8_t* callInfo) {
    const int32_t r = record(QStringLiteral("lineGetCallInfo"), {call});
    if (r != 0)
        return r;
    Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    const uint32_t total = readU32(callInfo, kTotalSize);
    if (total < callinfo::kFixedSize)
        return tapi::LINEERR_STRUCTURETOOSMALL;
    const size_t n = std::min<size_t>(total, size_t(c->info.size()));
    std::memcpy(callInfo, c->info.constData(), n);
    writeU32(callInfo, kTotalSize, total);
    return 0;
}

int32_t FakeLineApi::lineAnswer(uint32_t call, const char* userUserInfo, uint32_t size) {
    const int32_t r = record(QStringLiteral("lineAnswer"), {call, size},
                             QString::fromLatin1(userUserInfo ? userUserInfo : ""));
    if (r != 0)
        return r;
    Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->state != tapi::LINECALLSTATE_OFFERING)
        return tapi::LINEERR_INVALCALLSTATE;
    if (autoConnect)
        callState(call, tapi::LINECALLSTATE_CONNECTED);
    return m_nextRequest++;
}

int32_t FakeLineApi::lineMonitorDigits(uint32_t call, uint32_t digitModes) {
    const int32_t r = record(QStringLiteral("lineMonitorDigits"), {call, digitModes});
    if (r != 0)
        return r;
    return findCall(call) ? 0 : tapi::LINEERR_INVALCALLHANDLE;
}

int32_t FakeLineApi::lineGetID(uint32_t line, uint32_t addressId, uint32_t call, uint32_t select,
                               uint8_t* deviceId, const QString& deviceClass) {
    const int32_t r =
        record(QStringLiteral("lineGetID"), {line, addressId, call, select}, deviceClass);
    if (r != 0)
        return r;
    Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (deviceClass != QLatin1String("wave/out"))
        return tapi::LINEERR_NODEVICE;
    const uint32_t total = readU32(deviceId, kTotalSize);
    if (total < varstring::kFixedSize + 4)
        return tapi::LINEERR_STRUCTURETOOSMALL;
    const int32_t wave =
        size_t(c->device) < devices.size() ? devices[size_t(c->device)].waveDevice : 0;
    writeU32(deviceId, varstring::dwStringFormat, 4); // binary
    if (wave < 0) {
        writeU32(deviceId, kNeededSize, varstring::kFixedSize);
        writeU32(deviceId, kUsedSize, varstring::kFixedSize);
        writeU32(deviceId, varstring::dwStringSize, 0);
        writeU32(deviceId, varstring::dwStringOffset, 0);
    } else {
        writeU32(deviceId, kNeededSize, varstring::kFixedSize + 4);
        writeU32(deviceId, kUsedSize, varstring::kFixedSize + 4);
        writeU32(deviceId, varstring::dwStringSize, 4);
        writeU32(deviceId, varstring::dwStringOffset, varstring::kFixedSize);
        writeU32(deviceId, varstring::kFixedSize, uint32_t(wave));
    }
    return 0;
}

int32_t FakeLineApi::lineBlindTransfer(uint32_t call, const QString& destAddress,
                                       uint32_t countryCode) {
    const int32_t r = record(QStringLiteral("lineBlindTransfer"), {call, countryCode}, destAddress);
    return r != 0 ? r : tapi::LINEERR_OPERATIONUNAVAIL;
}

int32_t FakeLineApi::lineDrop(uint32_t call, const char* userUserInfo, uint32_t size) {
    const int32_t r = record(QStringLiteral("lineDrop"), {call, size},
                             QString::fromLatin1(userUserInfo ? userUserInfo : ""));
    if (r != 0)
        return r;
    Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->state == tapi::LINECALLSTATE_IDLE)
        return tapi::LINEERR_INVALCALLSTATE;
    if (autoIdleOnDrop) {
        if (c->state != tapi::LINECALLSTATE_DISCONNECTED)
            callState(call, tapi::LINECALLSTATE_DISCONNECTED);
        callState(call, tapi::LINECALLSTATE_IDLE);
    }
    return m_nextRequest++;
}

int32_t FakeLineApi::lineDeallocateCall(uint32_t call) {
    const int32_t r = record(QStringLiteral("lineDeallocateCall"), {call});
    if (r != 0)
        return r;
    Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    c->deallocated = true;
    return 0;
}

int32_t FakeLineApi::lineClose(uint32_t line) {
    const int32_t r = record(QStringLiteral("lineClose"), {line}, {}, deviceOfLine(line));
    if (r != 0)
        return r;
    const int device = deviceOfLine(line);
    if (device < 0)
        return tapi::LINEERR_INVALLINEHANDLE;
    m_open.erase(device);
    return 0;
}

int32_t FakeLineApi::lineShutdown(uint32_t lineApp) {
    const int32_t r = record(QStringLiteral("lineShutdown"), {lineApp});
    if (r != 0)
        return r;
    m_initialized = false;
    m_callback = nullptr;
    return 0;
}
