#include "telephony/modem/ModemLineService.h"

#include "telephony/modem/ModemWaveOut.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
constexpr uint32_t kLineApp = 0x4857;
constexpr uint32_t kLineHandleBase = 0x100;
constexpr uint32_t kLastCall = 0x1000;
} // namespace

ModemLineService::ModemLineService(QStringList devicePaths, QObject* parent)
    : LineServiceBase(kLineApp, kLineHandleBase, kLastCall, parent),
      m_paths(std::move(devicePaths)) {
    m_waveOut = new ModemWaveOut([this](uint32_t id) { return lineByDevice(id); }, this);
}

ModemLineService::~ModemLineService() {
    forgetCallback();
    m_lines.clear();
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
    return it == m_lines.end() ? nullptr : it->second.get();
}

void ModemLineService::postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2,
                                  uint32_t p3) {
    queueNotice(device, message, p1, p2, p3);
}

std::shared_ptr<LineCall> ModemLineService::createCall(uint32_t deviceId, uint32_t /*lineHandle*/,
                                                       uint32_t mediaMode) {
    return newCall(deviceId, mediaMode);
}

void ModemLineService::stopVoice(uint32_t deviceId) {
    m_waveOut->stopDevice(deviceId);
}

int32_t ModemLineService::describeDevice(uint32_t deviceId, QByteArray* name,
                                         uint32_t* mediaModes) {
    if (!identify(deviceId))
        return tapi::LINEERR_NODEVICE;
    const ModemIdentity& id = m_identities.at(deviceId);
    *mediaModes = id.voice ? tapi::LINEMEDIAMODE_INTERACTIVEVOICE |
                                 tapi::LINEMEDIAMODE_AUTOMATEDVOICE | tapi::LINEMEDIAMODE_DATAMODEM
                           : tapi::LINEMEDIAMODE_DATAMODEM;
    *name = ModemProbe::LineName(id.identity, m_paths[int(deviceId)]).toLatin1();
    return 0;
}

bool ModemLineService::identify(uint32_t deviceId) {
    if (m_identities.count(deviceId))
        return true;
    ModemIdentity id;
    QString error;
    if (!ModemProbe::Probe(m_paths[int(deviceId)], m_timings.commandTimeoutMs, &id, &error)) {
        m_errors[deviceId] = error;
        return false;
    }
    m_errors.erase(deviceId);
    m_identities.emplace(deviceId, id);
    return true;
}

int32_t ModemLineService::openDevice(uint32_t deviceId, uint32_t lineHandle, uint32_t mediaModes) {
    // Know who answers before taking the line: a port that is not a modem fails here.
    if (!identify(deviceId))
        return tapi::LINEERR_RESOURCEUNAVAIL;
    auto modemLine =
        std::make_unique<ModemLine>(*this, deviceId, lineHandle, mediaModes, m_timings);
    QString error;
    if (!modemLine->open(m_paths[int(deviceId)], &error)) {
        m_errors[deviceId] = error;
        return tapi::LINEERR_RESOURCEUNAVAIL;
    }
    m_errors.erase(deviceId);
    m_lines[deviceId] = std::move(modemLine);
    return 0;
}

void ModemLineService::closeDevice(uint32_t deviceId) {
    if (ModemLine* line = lineByDevice(deviceId))
        line->close();
    m_lines.erase(deviceId);
}

void ModemLineService::shutDownService() {
    for (auto& [device, line] : m_lines)
        line->close();
    m_lines.clear();
}

bool ModemLineService::answerCall(const std::shared_ptr<LineCall>& call) {
    ModemLine* line = lineByDevice(call->deviceId);
    return line && line->call() == call && line->answer(call);
}

bool ModemLineService::dropCall(const std::shared_ptr<LineCall>& call) {
    ModemLine* line = lineByDevice(call->deviceId);
    return line && line->call() == call && line->drop(call);
}
