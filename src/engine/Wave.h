#pragma once

#include "platform/audio/Mmio.h"
#include "platform/audio/WaveFile.h"
#include "platform/audio/WaveOut.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

// Playback state of one line's message.
struct WaveSlot {
    WaveOutHandle waveOut = 0; // open device, 0 when none is open
    std::vector<uint8_t> waveBuffer;
    int32_t frameCount = 0;
    WaveHdr waveHeader;
    bool waveLoaded = false;
    // Why the last message cannot be heard, if it cannot (set by LoadWave and PlayWave).
    WaveFileError problem = WaveFileError::None;
    // Set when the buffer is queued; cleared by the completion callback, which may run on the
    // audio thread while the main thread reads it.
    std::atomic<bool> playing{false};
};

// Plays the blocking message down a line: one independent playback per line, lines 0..3.
class Wave {
public:
    static constexpr int kLines = 4;
    // Messages larger than this are refused rather than read into memory (about 25 minutes of
    // CD-quality stereo; a telephone message is seconds long).
    static constexpr uint32_t kMaxDataBytes = 256u * 1024u * 1024u;

    Wave(Mmio& mmio, WaveOut& waveOut);
    ~Wave();
    Wave(const Wave&) = delete;
    Wave& operator=(const Wave&) = delete;

    void LoadWave(const QString& path, int line);
    void PlayWave(int32_t deviceId, int line);
    void StopWave(int line);
    void OnWaveDone(int line, WaveOutHandle h, uint32_t msg, uintptr_t instance, uintptr_t p1,
                    uintptr_t p2);

    bool isPlaying(int line) const;
    bool isLoaded(int line) const;
    bool isDeviceOpen(int line) const;
    // Why the last LoadWave or PlayWave of the line leaves the caller without the message;
    // None when the message was queued, or when only the device failed.
    WaveFileError problem(int line) const;
    const WaveFormatEx& waveFormat() const { return m_waveFormat; }
    WaveSlot& slot(int line);

private:
    bool validLine(int line) const { return line >= 0 && line < kLines; }
    void releaseBuffer(WaveSlot& s);
    void closeDevice(WaveSlot& s);

    Mmio& m_mmio;
    WaveOut& m_waveOut;
    WaveFormatEx m_waveFormat;
    std::array<WaveSlot, kLines> m_slots;
};
