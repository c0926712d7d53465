#include "telephony/modem/ModemLineService.h"

#include "telephony/LineStructs.h"
#include "telephony/modem/DeviceDiscovery.h"
#include "telephony/LineStructWriter.h"
#include "telephony/modem/ModemWaveOut.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

ModemLineService::ModemLineService(QStringList devicePaths, QObject* parent)
    : QObject(parent), m_paths(std::move(devicePaths)) {
    m_waveOut = new ModemWaveOut([this](uint32_t id) { return lineByDevice(id); }, this);
}

ModemLineService::~ModemLineService() {
    m_callback = nullptr;
    m_lines.clear();
}

QStringList ModemLineService::DiscoverDevices() {
    return DeviceDiscovery::DiscoverDevices();
}

WaveOut& ModemLineService::modemWaveOut() {
    return *m_waveOut;
}

QString ModemLineService::lastError(uint32_t deviceId) const {
    if (ModemLine* line = lineByDevice(deviceId); line && !line->lastError().isEmpty())
        return line->lastError();
    auto it = m_errors.find(deviceId);
    return it == m_errors.end() ? QString() : it->second;
}

bool ModemLineService::isPermissionDenied(uint32_t deviceId) const {
    const QString path = devicePath(deviceId);
    if (path.isEmpty())
        return false;
    // Asked afresh each time: the user may have joined the port's group since.
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0 && errno == EACCES;
}

QString ModemLineService::devicePath(uint32_t deviceId) const {
    return deviceId < uint32_t(m_paths.size()) ? m_paths.at(qsizetype(deviceId)) : QString();
}

ModemLine* ModemLineService::lineByDevice(uint32_t deviceId) const {
    auto it = m_lines.find(deviceId);
    return it == m_lines.end() ? nullptr : it->second.line.get();
}

ModemLine* ModemLineService::lineByHandle(uint32_t lineHandle) const {
    return lineHandle >= kLineHandleBase ? lineByDevice(lineHandle - kLineHandleBase) : nullptr;
}

std::shared_ptr<ModemCall> ModemLineService::findCall(uint32_t handle) const {
    auto it = m_calls.find(handle);
    return it == m_calls.end() ? nullptr : it->second;
}

void ModemLineService::postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2,
                                  uint32_t p3) {
    uint32_t deviceId = device - kLineHandleBase;
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

std::shared_ptr<ModemCall> ModemLineService::createCall(uint32_t deviceId, uint32_t lineHandle,
                                                        uint32_t mediaMode) {
    auto call = std::make_shared<ModemCall>();
    call->handle = ++m_nextCall;
    call->deviceId = deviceId;
    call->lineHandle = lineHandle;
    call->mediaMode = mediaMode;
    m_calls[call->handle] = call;
    return call;
}

void ModemLineService::stopVoice(uint32_t deviceId) {
    m_waveOut->stopDevice(deviceId);
}

int32_t ModemLineService::lineInitialize(uint32_t* lineApp, LineCallback callback,
                                         const QString& /*appName*/, uint32_t* numDevs) {
    if (!lineApp || !numDevs)
        return tapi::LINEERR_INVALPOINTER;
    m_callback = std::move(callback);
    m_initialized = true;
    *lineApp = kLineApp;
    *numDevs = uint32_t(m_paths.size());
    return 0;
}

int32_t ModemLineService::lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId,
                                                  uint32_t apiLowVersion, uint32_t apiHighVersion,
                                                  uint32_t* apiVersion, uint8_t* extensionId) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (deviceId >= uint32_t(m_paths.size()))
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

int32_t ModemLineService::lineGetDevCaps(uint32_t lineApp, uint32_t deviceId,
                                         uint32_t /*apiVersion*/, uint32_t /*extVersion*/,
                                         uint8_t* devCaps) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (deviceId >= uint32_t(m_paths.size()))
        return tapi::LINEERR_BADDEVICEID;
    if (!devCaps)
        return tapi::LINEERR_INVALPOINTER;
    if (lineabi::readU32(devCaps, lineabi::kTotalSize) < lineabi::devcaps::kFixedSize)
        return tapi::LINEERR_STRUCTURETOOSMALL;
    auto known = m_identities.find(deviceId);
    if (known == m_identities.end()) {
        ModemIdentity id;
        QString error;
        if (!ModemProbe::Probe(m_paths[int(deviceId)], m_timings.commandTimeoutMs, &id, &error)) {
            m_errors[deviceId] = error;
            return tapi::LINEERR_NODEVICE;
        }
        m_errors.erase(deviceId);
        known = m_identities.emplace(deviceId, id).first;
    }
    const ModemIdentity& id = known->second;
    const uint32_t modes = id.voice ? tapi::LINEMEDIAMODE_INTERACTIVEVOICE |
                                          tapi::LINEMEDIAMODE_AUTOMATEDVOICE |
                                          tapi::LINEMEDIAMODE_DATAMODEM
                                    : tapi::LINEMEDIAMODE_DATAMODEM;
    const QByteArray name = ModemProbe::LineName(id.identity, m_paths[int(deviceId)]).toLatin1();
    LineStructWriter::WriteDevCaps(devCaps, deviceId, name, modes);
    return 0;
}

int32_t ModemLineService::lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line,
                                   uint32_t /*apiVersion*/, uint32_t /*extVersion*/,
                                   uintptr_t callbackInstance, uint32_t /*privileges*/,
                                   uint32_t mediaModes, const void* /*callParams*/) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (deviceId >= uint32_t(m_paths.size()))
        return tapi::LINEERR_BADDEVICEID;
    if (!line)
        return tapi::LINEERR_INVALPOINTER;
    if (lineByDevice(deviceId))
        return tapi::LINEERR_ALLOCATED;
    const QString path = m_paths[int(deviceId)];
    QString error;
    // Know who answers before taking the line: a port that is not a modem fails here.
    if (!m_identities.count(deviceId)) {
        ModemIdentity id;
        if (!ModemProbe::Probe(path, m_timings.commandTimeoutMs, &id, &error)) {
            m_errors[deviceId] = error;
            return tapi::LINEERR_RESOURCEUNAVAIL;
        }
        m_identities.emplace(deviceId, id);
    }
    const uint32_t handle = kLineHandleBase + deviceId;
    auto modemLine = std::make_unique<ModemLine>(*this, deviceId, handle, mediaModes, m_timings);
    if (!modemLine->open(path, &error)) {
        m_errors[deviceId] = error;
        return tapi::LINEERR_RESOURCEUNAVAIL;
    }
    m_errors.erase(deviceId);
    m_lines[deviceId] = OpenLine{std::move(modemLine), callbackInstance};
    *line = handle;
    return 0;
}

int32_t ModemLineService::lineSetStatusMessages(uint32_t line, uint32_t, uint32_t) {
    // Rings are always reported; nothing else is on offer.
    return lineByHandle(line) ? 0 : tapi::LINEERR_INVALLINEHANDLE;
}

int32_t ModemLineService::lineGetCallInfo(uint32_t call, uint8_t* callInfo) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (!callInfo)
        return tapi::LINEERR_INVALPOINTER;
    if (!LineStructWriter::WriteCallInfo(callInfo, *c))
        return tapi::LINEERR_STRUCTURETOOSMALL;
    return 0;
}

int32_t ModemLineService::lineAnswer(uint32_t call, const char*, uint32_t) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    ModemLine* line = lineByDevice(c->deviceId);
    if (!line || line->call() != c || !line->answer(c))
        return tapi::LINEERR_INVALCALLSTATE;
    return m_nextRequest++;
}

int32_t ModemLineService::lineMonitorDigits(uint32_t call, uint32_t digitModes) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->state == ModemCall::State::Idle)
        return tapi::LINEERR_INVALCALLSTATE;
    c->monitorDigits = (digitModes & tapi::LINEDIGITMODE_DTMF) != 0;
    return 0;
}

int32_t ModemLineService::lineGetID(uint32_t line, uint32_t, uint32_t call, uint32_t select,
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
        // The voice channel exists only while the modem is off hook in voice mode.
        if (c->state != ModemCall::State::Connected)
            return tapi::LINEERR_INVALCALLSTATE;
        device = c->deviceId;
    } else {
        ModemLine* l = lineByHandle(line);
        if (!l)
            return tapi::LINEERR_INVALLINEHANDLE;
        device = l->deviceId();
    }
    if (!LineStructWriter::WriteWaveOutId(deviceId, device))
        return tapi::LINEERR_STRUCTURETOOSMALL;
    return 0;
}

int32_t ModemLineService::lineDrop(uint32_t call, const char*, uint32_t) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    ModemLine* line = lineByDevice(c->deviceId);
    if (!line || line->call() != c || !line->drop(c))
        return tapi::LINEERR_INVALCALLSTATE;
    return m_nextRequest++;
}

int32_t ModemLineService::lineDeallocateCall(uint32_t call) {
    const auto c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->state != ModemCall::State::Idle)
        return tapi::LINEERR_INVALCALLSTATE;
    m_calls.erase(call);
    return 0;
}

int32_t ModemLineService::lineClose(uint32_t line) {
    ModemLine* l = lineByHandle(line);
    if (!l)
        return tapi::LINEERR_INVALLINEHANDLE;
    const uint32_t device = l->deviceId();
    l->close();
    m_lines.erase(device);
    return 0;
}

int32_t ModemLineService::lineShutdown(uint32_t lineApp) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    for (auto& [device, open] : m_lines)
        open.line->close();
    m_lines.clear();
    m_callback = nullptr;
    m_initialized = false;
    return 0;
}
