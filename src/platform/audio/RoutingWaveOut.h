#pragma once

#include "platform/audio/WaveOut.h"

#include <map>

// Sends device -1 (the wave mapper) to the PC's output, the device numbers of the SIP lines
// (when set) to their RTP streams, and every other device number to the modem voice channels.
// Handles given out are its own, so the two outputs may number theirs freely; completion callbacks
// carry the handle given out here.
class RoutingWaveOut : public WaveOut {
public:
    RoutingWaveOut(WaveOut& pc, WaveOut* modem);

    // Devices from firstDevice on play on SIP line (device - firstDevice) through sip.
    void setSipOutput(WaveOut* sip, int32_t firstDevice);

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
    WaveOut* m_sip = nullptr;
    int32_t m_sipFirst = 0;
    std::map<WaveOutHandle, Route> m_routes;
    WaveOutHandle m_next = 1;
};
