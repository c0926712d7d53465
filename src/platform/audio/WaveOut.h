#pragma once

#include <cstdint>
#include <functional>

// Wave output shaped like the waveOut functions: open a device with a completion callback,
// prepare a header, write it, reset, unprepare, close. Results are 0 on success.

#pragma pack(push, 1)
// WAVEFORMATEX, 18 bytes as stored in a RIFF "fmt " chunk.
struct WaveFormatEx {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatEx) == 18);

// WAVEHDR: the buffer queued to a device.
struct WaveHdr {
    const uint8_t* lpData = nullptr;
    uint32_t dwBufferLength = 0;
    uint32_t dwBytesRecorded = 0;
    uintptr_t dwUser = 0;
    uint32_t dwFlags = 0;
    uint32_t dwLoops = 0;
};

namespace wave {
constexpr uint32_t MMSYSERR_NOERROR = 0;
constexpr uint32_t MMSYSERR_ERROR = 1;
constexpr uint32_t MMSYSERR_BADDEVICEID = 2;
constexpr uint32_t MMSYSERR_INVALHANDLE = 5;
constexpr uint32_t MMSYSERR_NODRIVER = 6;
constexpr uint32_t MMSYSERR_NOMEM = 7;
constexpr uint32_t WAVERR_BADFORMAT = 32;
constexpr uint32_t WAVERR_STILLPLAYING = 33;
constexpr uint32_t WAVERR_UNPREPARED = 34;

constexpr uint32_t WOM_OPEN = 0x3BB;
constexpr uint32_t WOM_CLOSE = 0x3BC;
constexpr uint32_t WOM_DONE = 0x3BD;

constexpr uint32_t CALLBACK_FUNCTION = 0x30000;
constexpr uint32_t WAVE_MAPPED = 0x4;
constexpr int32_t WAVE_MAPPER = -1;

constexpr uint32_t WHDR_DONE = 0x1;
constexpr uint32_t WHDR_PREPARED = 0x2;
constexpr uint32_t WHDR_INQUEUE = 0x10;

constexpr uint16_t WAVE_FORMAT_PCM = 1;
constexpr uint32_t kHeaderSize = 32; // sizeof(WAVEHDR) as the callers pass it
} // namespace wave

namespace wave {
// The buffer-flag rules every output keeps, so the engine sees one behaviour whatever plays.
inline uint32_t PrepareHeader(WaveHdr* header) {
    if (!header)
        return MMSYSERR_ERROR;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
// MMSYSERR_NOERROR when the buffer may be written: prepared, and with data where it has a length.
inline uint32_t CheckWritable(const WaveHdr* header) {
    if (!header || (!header->lpData && header->dwBufferLength > 0))
        return MMSYSERR_ERROR;
    if (!(header->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    return MMSYSERR_NOERROR;
}
inline uint32_t UnprepareHeader(WaveHdr* header) {
    if (!header)
        return MMSYSERR_ERROR;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
inline void MarkQueued(WaveHdr* header) {
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
}
inline void MarkDone(WaveHdr* header) {
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
}
} // namespace wave

using WaveOutHandle = uintptr_t;
// Completion callback: handle, message (WOM_OPEN, WOM_DONE, WOM_CLOSE), instance, param1,
// param2. It may be called on another thread than the one that opened the device.
using WaveOutCallback =
    std::function<void(WaveOutHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t)>;

class WaveOut {
public:
    virtual ~WaveOut() = default;
    virtual uint32_t waveOutOpen(WaveOutHandle* handle, int32_t deviceId,
                                 const WaveFormatEx* format, WaveOutCallback callback,
                                 uintptr_t instance, uint32_t flags) = 0;
    virtual uint32_t waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) = 0;
    virtual uint32_t waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) = 0;
    virtual uint32_t waveOutReset(WaveOutHandle handle) = 0;
    virtual uint32_t waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header,
                                            uint32_t size) = 0;
    virtual uint32_t waveOutClose(WaveOutHandle handle) = 0;
};
