#pragma once

#include "platform/audio/WaveOut.h"

#include <QByteArray>
#include <QStringList>

#include <map>

// In-memory WaveOut for tests. Records every call as text in calls ("open -1 0x30000",
// "prepare 1 4000", "write 1 4000", "reset 1", "unprepare 1", "close 1"), keeps a copy of each
// written buffer, and completes playback only when the test says so. Like the real devices it
// sends WOM_OPEN on open, WOM_CLOSE on close, and WOM_DONE for a queued buffer on finish() or
// reset.
class FakeWaveOut : public WaveOut {
public:
    uint32_t waveOutOpen(WaveOutHandle* handle, int32_t deviceId, const WaveFormatEx* format,
                         WaveOutCallback callback, uintptr_t instance, uint32_t flags) override;
    uint32_t waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutReset(WaveOutHandle handle) override;
    uint32_t waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutClose(WaveOutHandle handle) override;

    // Completes the queued buffer of every open device with this number; returns how many.
    int finish(int32_t deviceId);
    // Completes every queued buffer; returns how many.
    int finishAll();

    int openCount() const { return static_cast<int>(m_devices.size()); }
    int queuedCount() const;
    bool isOpen(WaveOutHandle handle) const { return m_devices.count(handle) != 0; }

    // Results to return instead of success (0 = succeed).
    uint32_t failOpen = 0;
    uint32_t failPrepare = 0;
    uint32_t failWrite = 0;

    QStringList calls;
    QList<QByteArray> written; // a copy of each buffer at the time it was written
    WaveFormatEx lastFormat;   // format of the last open
    int32_t lastDeviceId = 0;  // device of the last open
    uint32_t lastFlags = 0;    // flags of the last open
    int totalOpens = 0;

private:
    struct Device {
        int32_t deviceId = 0;
        WaveOutCallback callback;
        uintptr_t instance = 0;
        WaveHdr* queued = nullptr;
    };
    void complete(WaveOutHandle handle, Device& d);

    std::map<WaveOutHandle, Device> m_devices;
    WaveOutHandle m_next = 0x100;
};
