#pragma once

#include "platform/audio/SoundPlayer.h"
#include "platform/audio/WaveOut.h"

// The PC's own sound output where there is none: the headless service plays messages down the
// modem line only. Opening the PC output fails as a machine without a sound card would.
class SilentPcWaveOut final : public WaveOut {
public:
    uint32_t waveOutOpen(WaveOutHandle*, int32_t, const WaveFormatEx*, WaveOutCallback, uintptr_t,
                         uint32_t) override {
        return wave::MMSYSERR_NODRIVER;
    }
    uint32_t waveOutPrepareHeader(WaveOutHandle, WaveHdr*, uint32_t) override {
        return wave::MMSYSERR_INVALHANDLE;
    }
    uint32_t waveOutWrite(WaveOutHandle, WaveHdr*, uint32_t) override {
        return wave::MMSYSERR_INVALHANDLE;
    }
    uint32_t waveOutReset(WaveOutHandle) override { return wave::MMSYSERR_INVALHANDLE; }
    uint32_t waveOutUnprepareHeader(WaveOutHandle, WaveHdr*, uint32_t) override {
        return wave::MMSYSERR_INVALHANDLE;
    }
    uint32_t waveOutClose(WaveOutHandle) override { return wave::MMSYSERR_INVALHANDLE; }
};

class SilentSoundPlayer final : public SoundPlayer {
public:
    void play(const QString&) override {}
};
