#include "telephony/CompositeLineApi.h"

#include "telephony/LineStructs.h"

using namespace lineabi;

uint32_t CompositeLineApi::HandleTable::outerOf(const Inner& inner) {
    if (const uint32_t known = find(inner))
        return known;
    const uint32_t outer = m_next++;
    m_inner[outer] = inner;
    m_outer[inner] = outer;
    return outer;
}

uint32_t CompositeLineApi::HandleTable::find(const Inner& inner) const {
    auto it = m_outer.find(inner);
    return it == m_outer.end() ? 0 : it->second;
}

const CompositeLineApi::Inner* CompositeLineApi::HandleTable::innerOf(uint32_t outer) const {
    auto it = m_inner.find(outer);
    return it == m_inner.end() ? nullptr : &it->second;
}

void CompositeLineApi::HandleTable::erase(uint32_t outer) {
    auto it = m_inner.find(outer);
    if (it == m_inner.end())
        return;
    m_outer.erase(it->second);
    m_inner.erase(it);
}

void CompositeLineApi::HandleTable::clear() {
    m_inner.clear();
    m_outer.clear();
}

CompositeLineApi::CompositeLineApi(std::vector<LineApi*> services) {
    for (LineApi* api : services)
        m_services.push_back(Service{api});
}

bool CompositeLineApi::deviceOf(uint32_t deviceId, size_t* service, uint32_t* localDevice) const {
    for (size_t i = 0; i < m_services.size(); ++i) {
        const Service& s = m_services[i];
        if (s.initialized && deviceId >= s.first && deviceId - s.first < s.count) {
            *service = i;
            *localDevice = deviceId - s.first;
            return true;
        }
    }
    return false;
}

uint32_t CompositeLineApi::firstDevice(size_t service) const {
    return service < m_services.size() ? m_services[service].first : 0;
}

bool CompositeLineApi::waveDeviceOf(int32_t waveDevice, size_t* service, int32_t* localWave) const {
    uint32_t local = 0;
    if (waveDevice < 0 || !deviceOf(uint32_t(waveDevice), service, &local))
        return false;
    *localWave = int32_t(local);
    return true;
}

void CompositeLineApi::onNotice(size_t service, uint32_t handle, uint32_t message,
                                uintptr_t instance, uint32_t p1, uint32_t p2, uint32_t p3) {
    if (!m_callback)
        return;
    // Line-state notices name the line; the others name a call, which the program may be
    // hearing of for the first time (a new offering call).
    const uint32_t outer = message == tapi::LINE_LINEDEVSTATE ? m_lines.find({service, handle})
                                                              : m_calls.outerOf({service, handle});
    if (outer != 0)
        m_callback(outer, message, instance, p1, p2, p3);
}

int32_t CompositeLineApi::lineInitialize(uint32_t* lineApp, LineCallback callback,
                                         const QString& appName, uint32_t* numDevs) {
    if (!lineApp || !numDevs)
        return tapi::LINEERR_INVALPOINTER;
    m_callback = std::move(callback);
    uint32_t next = 0;
    int32_t firstError = 0;
    bool any = false;
    for (size_t i = 0; i < m_services.size(); ++i) {
        Service& s = m_services[i];
        s.first = next;
        s.count = 0;
        const int32_t r = s.api->lineInitialize(
            &s.app,
            [this, i](uint32_t handle, uint32_t message, uintptr_t instance, uint32_t p1,
                      uint32_t p2,
                      uint32_t p3) { onNotice(i, handle, message, instance, p1, p2, p3); },
            appName, &s.count);
        s.initialized = r == 0;
        if (r != 0) {
            s.count = 0;
            if (firstError == 0)
                firstError = r;
            continue;
        }
        any = true;
        next += s.count;
    }
    if (!any && !m_services.empty()) {
        m_callback = nullptr;
        return firstError;
    }
    m_initialized = true;
    *lineApp = kLineApp;
    *numDevs = next;
    return 0;
}

int32_t CompositeLineApi::lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId,
                                                  uint32_t apiLowVersion, uint32_t apiHighVersion,
                                                  uint32_t* apiVersion, uint8_t* extensionId) {
    size_t i = 0;
    uint32_t local = 0;
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!deviceOf(deviceId, &i, &local))
        return tapi::LINEERR_BADDEVICEID;
    return m_services[i].api->lineNegotiateAPIVersion(m_services[i].app, local, apiLowVersion,
                                                      apiHighVersion, apiVersion, extensionId);
}

int32_t CompositeLineApi::lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t apiVersion,
                                         uint32_t extVersion, uint8_t* devCaps) {
    size_t i = 0;
    uint32_t local = 0;
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!deviceOf(deviceId, &i, &local))
        return tapi::LINEERR_BADDEVICEID;
    const int32_t r = m_services[i].api->lineGetDevCaps(m_services[i].app, local, apiVersion,
                                                        extVersion, devCaps);
    if (r == 0 && devCaps)
        writeU32(devCaps, devcaps::dwPermanentLineID,
                 readU32(devCaps, devcaps::dwPermanentLineID) + m_services[i].first);
    return r;
}

int32_t CompositeLineApi::lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line,
                                   uint32_t apiVersion, uint32_t extVersion,
                                   uintptr_t callbackInstance, uint32_t privileges,
                                   uint32_t mediaModes, const void* callParams) {
    size_t i = 0;
    uint32_t local = 0;
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!line)
        return tapi::LINEERR_INVALPOINTER;
    if (!deviceOf(deviceId, &i, &local))
        return tapi::LINEERR_BADDEVICEID;
    uint32_t inner = 0;
    const int32_t r =
        m_services[i].api->lineOpen(m_services[i].app, local, &inner, apiVersion, extVersion,
                                    callbackInstance, privileges, mediaModes, callParams);
    if (r == 0)
        *line = m_lines.outerOf({i, inner});
    return r;
}

int32_t CompositeLineApi::lineSetStatusMessages(uint32_t line, uint32_t lineStates,
                                                uint32_t addressStates) {
    const Inner* inner = m_lines.innerOf(line);
    if (!inner)
        return tapi::LINEERR_INVALLINEHANDLE;
    return m_services[inner->first].api->lineSetStatusMessages(inner->second, lineStates,
                                                               addressStates);
}

int32_t CompositeLineApi::lineGetCallInfo(uint32_t call, uint8_t* callInfo) {
    const Inner* inner = m_calls.innerOf(call);
    if (!inner)
        return tapi::LINEERR_INVALCALLHANDLE;
    const size_t i = inner->first;
    const int32_t r = m_services[i].api->lineGetCallInfo(inner->second, callInfo);
    if (r == 0 && callInfo) {
        writeU32(callInfo, callinfo::hLine, m_lines.find({i, readU32(callInfo, callinfo::hLine)}));
        writeU32(callInfo, callinfo::dwLineDeviceID,
                 readU32(callInfo, callinfo::dwLineDeviceID) + m_services[i].first);
    }
    return r;
}

int32_t CompositeLineApi::lineAnswer(uint32_t call, const char* userUserInfo, uint32_t size) {
    const Inner* inner = m_calls.innerOf(call);
    if (!inner)
        return tapi::LINEERR_INVALCALLHANDLE;
    return m_services[inner->first].api->lineAnswer(inner->second, userUserInfo, size);
}

int32_t CompositeLineApi::lineMonitorDigits(uint32_t call, uint32_t digitModes) {
    const Inner* inner = m_calls.innerOf(call);
    if (!inner)
        return tapi::LINEERR_INVALCALLHANDLE;
    return m_services[inner->first].api->lineMonitorDigits(inner->second, digitModes);
}

int32_t CompositeLineApi::lineGetID(uint32_t line, uint32_t addressId, uint32_t call,
                                    uint32_t select, uint8_t* deviceId,
                                    const QString& deviceClass) {
    const Inner* inner =
        select == tapi::LINECALLSELECT_CALL ? m_calls.innerOf(call) : m_lines.innerOf(line);
    if (!inner)
        return select == tapi::LINECALLSELECT_CALL ? tapi::LINEERR_INVALCALLHANDLE
                                                   : tapi::LINEERR_INVALLINEHANDLE;
    const size_t i = inner->first;
    // The other handle goes to the service in its own numbering, when it is that service's.
    uint32_t innerLine = 0;
    uint32_t innerCall = 0;
    if (select == tapi::LINECALLSELECT_CALL) {
        innerCall = inner->second;
        const Inner* l = m_lines.innerOf(line);
        innerLine = l && l->first == i ? l->second : 0;
    } else {
        innerLine = inner->second;
        const Inner* c = m_calls.innerOf(call);
        innerCall = c && c->first == i ? c->second : 0;
    }
    const int32_t r = m_services[i].api->lineGetID(innerLine, addressId, innerCall, select,
                                                   deviceId, deviceClass);
    if (r != 0 || !deviceId ||
        deviceClass.compare(QLatin1String("wave/out"), Qt::CaseInsensitive) != 0)
        return r;
    const uint32_t size = readU32(deviceId, varstring::dwStringSize);
    const uint32_t offset = readU32(deviceId, varstring::dwStringOffset);
    const uint32_t total = readU32(deviceId, kTotalSize);
    if (size == 4 && offset >= varstring::kFixedSize && uint64_t(offset) + 4 <= total)
        writeU32(deviceId, offset, readU32(deviceId, offset) + m_services[i].first);
    return r;
}

int32_t CompositeLineApi::lineDrop(uint32_t call, const char* userUserInfo, uint32_t size) {
    const Inner* inner = m_calls.innerOf(call);
    if (!inner)
        return tapi::LINEERR_INVALCALLHANDLE;
    return m_services[inner->first].api->lineDrop(inner->second, userUserInfo, size);
}

int32_t CompositeLineApi::lineBlindTransfer(uint32_t call, const QString& destAddress,
                                            uint32_t countryCode) {
    const Inner* inner = m_calls.innerOf(call);
    if (!inner)
        return tapi::LINEERR_INVALCALLHANDLE;
    return m_services[inner->first].api->lineBlindTransfer(inner->second, destAddress, countryCode);
}

int32_t CompositeLineApi::lineDeallocateCall(uint32_t call) {
    const Inner* inner = m_calls.innerOf(call);
    if (!inner)
        return tapi::LINEERR_INVALCALLHANDLE;
    const int32_t r = m_services[inner->first].api->lineDeallocateCall(inner->second);
    if (r == 0)
        m_calls.erase(call);
    return r;
}

int32_t CompositeLineApi::lineClose(uint32_t line) {
    const Inner* inner = m_lines.innerOf(line);
    if (!inner)
        return tapi::LINEERR_INVALLINEHANDLE;
    const int32_t r = m_services[inner->first].api->lineClose(inner->second);
    if (r == 0)
        m_lines.erase(line);
    return r;
}

int32_t CompositeLineApi::lineShutdown(uint32_t lineApp) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    int32_t firstError = 0;
    for (Service& s : m_services) {
        if (!s.initialized)
            continue;
        const int32_t r = s.api->lineShutdown(s.app);
        if (r != 0 && firstError == 0)
            firstError = r;
        s.initialized = false;
        s.count = 0;
    }
    m_lines.clear();
    m_calls.clear();
    m_callback = nullptr;
    m_initialized = false;
    return firstError;
}
