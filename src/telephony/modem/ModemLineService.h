#pragma once

#include "telephony/LineServiceBase.h"
#include "telephony/modem/ModemLine.h"
#include "telephony/modem/ModemProbe.h"

#include <QObject>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class ModemWaveOut;

// The telephony lines, for real: line device i is the Hayes voice modem on devices()[i].
// A modem that misbehaves or vanishes only ends the call on its line. As LineAccess it says, in
// words for the user, why a device cannot be used.
class ModemLineService : public LineServiceBase, public ModemLineHost {
    Q_OBJECT
public:
    explicit ModemLineService(QStringList devicePaths, QObject* parent = nullptr);
    ~ModemLineService() override;

    QStringList devices() const { return m_paths; }
    // The modem voice channel: wave-out device i plays on line device i.
    WaveOut& modemWaveOut();
    // LineAccess: a port this user may not read and write; the device's port; why the last
    // operation on a device failed ("" when nothing did).
    bool isPermissionDenied(uint32_t deviceId) const override;
    QString devicePath(uint32_t deviceId) const override;
    QString lastError(uint32_t deviceId) const override;

    // Timings; tests shorten them. Take effect for lines opened afterwards.
    void setTimings(const ModemTimings& timings) { m_timings = timings; }
    ModemTimings timings() const { return m_timings; }

private:
    uint32_t deviceCount() const override { return uint32_t(m_paths.size()); }
    int32_t describeDevice(uint32_t deviceId, QByteArray* name, uint32_t* mediaModes) override;
    int32_t openDevice(uint32_t deviceId, uint32_t lineHandle, uint32_t mediaModes) override;
    void closeDevice(uint32_t deviceId) override;
    void shutDownService() override;
    bool answerCall(const std::shared_ptr<LineCall>& call) override;
    bool dropCall(const std::shared_ptr<LineCall>& call) override;
    // The identity of the modem on the device, probed once per run; false with the reason kept.
    bool identify(uint32_t deviceId);

    void postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2,
                    uint32_t p3) override;
    std::shared_ptr<LineCall> createCall(uint32_t deviceId, uint32_t lineHandle,
                                         uint32_t mediaMode) override;
    void stopVoice(uint32_t deviceId) override;

    ModemLine* lineByDevice(uint32_t deviceId) const;

    QStringList m_paths;
    ModemTimings m_timings;
    std::map<uint32_t, std::unique_ptr<ModemLine>> m_lines; // by device
    std::map<uint32_t, ModemIdentity> m_identities;         // probed once per run
    std::map<uint32_t, QString> m_errors;
    ModemWaveOut* m_waveOut = nullptr;
};
