#pragma once

#include "platform/audio/WaveOut.h"

#include <functional>
#include <map>

// Sends device -1 (the wave mapper) to the PC's output and every other device number to the
// modem voice channels. Handles given out are its own, so the two outputs may number theirs
// freely; completion callbacks carry the handle given out here.
class RoutingWaveOut : public WaveOut {
public:
    RoutingWaveOut(WaveOut& pc, WaveOut* modem);

    // Chooses the output of a device other than the wave mapper, and the number that output
    // knows it by (nullptr: no such device). Without one, every such device goes to the modem
    // output unchanged. Lets line services that number their wave devices from 0 share the
    // numbers of a composite line service.
    using DeviceRoute = std::function<WaveOut*(int32_t deviceId, int32_t* localDevice)>;
    void setDeviceRoute(DeviceRoute route) { m_deviceRoute = std::move(route); }

    uint32_t waveOutOpen(WaveOutHandle* handle, int32_t deviceId, const WaveFormatEx* format,
                         WaveOutCallback callback, uintptr_t instance, uint32_t flags) override;
    uint32_t waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutReset(WaveOutHandle handle) override;
    uint32_t waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutClose(WaveOutHandle handle) override;

private:
    struct Route {
        WaveOut* target = nullptr;
        WaveOutHandle inner = 0;
    };
    const Route* find(WaveOutHandle handle) const;

    WaveOut& m_pc;
    WaveOut* m_modem;
    DeviceRoute m_deviceRoute;
    std::map<WaveOutHandle, Route> m_routes;
    WaveOutHandle m_next = 1;
};
