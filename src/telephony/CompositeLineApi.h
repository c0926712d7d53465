#pragma once

#include "telephony/LineApi.h"

#include <map>
#include <utility>
#include <vector>

// Several line services presented as one: the devices of the first service are line devices
// 0..n1-1, those of the second follow, and so on (modem lines first, then SIP lines). Device
// numbers are shifted both ways, every line and call handle the program sees is the
// composite's own (unique across services), and each service's notices reach the one callback
// with their handles translated, still later and never from inside a call.
//
// Wave-out devices: each service numbers the wave-out device of a call by its own line device
// (wave device k plays on device k). lineGetID shifts that number by the same offset as the
// line devices, so wave device n plays on line device n; waveDeviceOf() gives the service and
// its own number back, for the wave output that routes sound to the service (RoutingWaveOut's
// device route).
//
// A service whose lineInitialize fails offers no devices and the others go on (the modem
// service comes first, so a SIP service that cannot start moves no modem line); lineInitialize
// fails only when every service fails.
class CompositeLineApi final : public LineApi {
public:
    // The services, in device order; they outlive the composite.
    explicit CompositeLineApi(std::vector<LineApi*> services);

    // The service behind a composite device and its own device number; false when none.
    bool deviceOf(uint32_t deviceId, size_t* service, uint32_t* localDevice) const;
    // The first composite device number of a service.
    uint32_t firstDevice(size_t service) const;
    // The service a composite wave-out device number belongs to, and its own number there.
    bool waveDeviceOf(int32_t waveDevice, size_t* service, int32_t* localWave) const;

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
    int32_t lineBlindTransfer(uint32_t call, const QString& destAddress,
                              uint32_t countryCode) override;
    int32_t lineDeallocateCall(uint32_t call) override;
    int32_t lineClose(uint32_t line) override;
    int32_t lineShutdown(uint32_t lineApp) override;

    static constexpr uint32_t kLineApp = 0x4843;

private:
    struct Service {
        LineApi* api = nullptr;
        bool initialized = false;
        uint32_t app = 0;
        uint32_t first = 0; // first composite device
        uint32_t count = 0;
    };
    // A service's own handle, tagged with the service.
    using Inner = std::pair<size_t, uint32_t>;

    // Handles are translated through one table per kind; new inner handles get new outer ones.
    class HandleTable {
    public:
        explicit HandleTable(uint32_t first) : m_next(first) {}
        uint32_t outerOf(const Inner& inner);    // allocates on first sight
        uint32_t find(const Inner& inner) const; // 0 when not known
        const Inner* innerOf(uint32_t outer) const;
        void erase(uint32_t outer);
        void clear();

    private:
        std::map<uint32_t, Inner> m_inner;
        std::map<Inner, uint32_t> m_outer;
        uint32_t m_next;
    };

    bool validApp(uint32_t lineApp) const { return m_initialized && lineApp == kLineApp; }
    void onNotice(size_t service, uint32_t handle, uint32_t message, uintptr_t instance,
                  uint32_t p1, uint32_t p2, uint32_t p3);

    std::vector<Service> m_services;
    bool m_initialized = false;
    LineCallback m_callback;
    HandleTable m_lines{0x100};
    HandleTable m_calls{0x10000};
};
