#pragma once

#include "platform/audio/WaveOut.h"

#include <QObject>

#include <map>
#include <memory>

class PcWaveDevice;

// Plays on the PC's default audio output through Qt Multimedia. Only device -1 (the wave
// mapper) exists here. The completion comes through the Qt event loop of the thread that owns
// this object. With no usable audio device a written buffer still completes, after the time it
// would have taken to play, so nothing waiting for the end is held forever.
class PcWaveOut : public QObject, public WaveOut {
public:
    explicit PcWaveOut(QObject* parent = nullptr);
    ~PcWaveOut() override;

    uint32_t waveOutOpen(WaveOutHandle* handle, int32_t deviceId, const WaveFormatEx* format,
                         WaveOutCallback callback, uintptr_t instance, uint32_t flags) override;
    uint32_t waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutReset(WaveOutHandle handle) override;
    uint32_t waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutClose(WaveOutHandle handle) override;

    int openCount() const { return static_cast<int>(m_devices.size()); }

private:
    PcWaveDevice* find(WaveOutHandle handle) const;
    void complete(WaveOutHandle handle, PcWaveDevice& d);

    std::map<WaveOutHandle, std::unique_ptr<PcWaveDevice>> m_devices;
    WaveOutHandle m_next = 1;
};
