#pragma once

#include "telephony/LineAccess.h"
#include "telephony/LineApi.h"
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
// Every notice reaches the callback later through the Qt event loop, never from inside one of
// the LineApi calls, and a modem that misbehaves or vanishes only ends the call on its line.
// As LineAccess it says, in words for the user, why a device cannot be used.
class ModemLineService : public QObject, public LineApi, public LineAccess, public ModemLineHost {
    Q_OBJECT
public:
    explicit ModemLineService(QStringList devicePaths, QObject* parent = nullptr);
    ~ModemLineService() override;

    // The devices to offer: setting Telephony/Devices, else a scan of /dev.
    static QStringList DiscoverDevices();

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

    int32_t lineInitialize(uint32_t* lineApp, LineCallback callback, const QString& appName,
                           uint32_t* numDevs) override;
    int32_t lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId, uint32_t apiLowVersion,
                                    uint32_t apiHighVersion, uint32_t* apiVersion,
                                    uint8_t* extensionId) override;
    int32_t lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t apiVersion,
                           uint32_t extVersion, uint8_t* devCaps) override;
    int32_t lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line, uint32_t apiVersion,
                     uint32_t extVersion, uintptr_t callbackInstance, uint32_t privileges,
                     uint32_t mediaModes, const void* callParams) override;
    int32_t lineSetStatusMessages(uint32_t line, uint32_t lineStates,
                                  uint32_t addressStates) override;
    int32_t lineGetCallInfo(uint32_t call, uint8_t* callInfo) override;
    int32_t lineAnswer(uint32_t call, const char* userUserInfo, uint32_t size) override;
    int32_t lineMonitorDigits(uint32_t call, uint32_t digitModes) override;
    int32_t lineGetID(uint32_t line, uint32_t addressId, uint32_t call, uint32_t select,
                      uint8_t* deviceId, const QString& deviceClass) override;
    int32_t lineDrop(uint32_t call, const char* userUserInfo, uint32_t size) override;
    int32_t lineDeallocateCall(uint32_t call) override;
    int32_t lineClose(uint32_t line) override;
    int32_t lineShutdown(uint32_t lineApp) override;

    static constexpr uint32_t kApiVersion = 0x20001;

private:
    struct OpenLine {
        std::unique_ptr<ModemLine> line;
        uintptr_t instance = 0;
    };

    void postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2,
                    uint32_t p3) override;
    std::shared_ptr<ModemCall> createCall(uint32_t deviceId, uint32_t lineHandle,
                                          uint32_t mediaMode) override;
    void stopVoice(uint32_t deviceId) override;

    bool validApp(uint32_t lineApp) const { return m_initialized && lineApp == kLineApp; }
    ModemLine* lineByDevice(uint32_t deviceId) const;
    ModemLine* lineByHandle(uint32_t lineHandle) const;
    std::shared_ptr<ModemCall> findCall(uint32_t handle) const;

    static constexpr uint32_t kLineApp = 0x4857;
    static constexpr uint32_t kLineHandleBase = 0x100;

    QStringList m_paths;
    ModemTimings m_timings;
    bool m_initialized = false;
    LineCallback m_callback;
    std::map<uint32_t, OpenLine> m_lines; // by device
    std::map<uint32_t, std::shared_ptr<ModemCall>> m_calls;
    std::map<uint32_t, ModemIdentity> m_identities; // probed once per run
    std::map<uint32_t, QString> m_errors;
    uint32_t m_nextCall = 0x1000;
    int32_t m_nextRequest = 1;
    ModemWaveOut* m_waveOut = nullptr;
};
