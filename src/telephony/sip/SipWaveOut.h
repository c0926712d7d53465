#pragma once

#include "platform/audio/WavePlaybacks.h"
#include "telephony/sip/SipStack.h"

#include <QByteArray>

#include <cstdint>

// What the SIP voice channel needs from the line service.
class SipVoiceHost {
public:
    virtual ~SipVoiceHost() = default;
    // The answered call on a SIP line: its leg and codec; false when there is none.
    virtual bool connectedCall(uint32_t line, uint32_t* leg, SipCodec* codec) const = 0;
    virtual void play(uint32_t leg, QByteArray audio, uint32_t sequence) = 0;
    virtual void stopPlaying(uint32_t leg) = 0;
};

// The voice transmit channel of the SIP lines: wave-out device i plays on SIP line i, which
// must have an answered call. A buffer is converted to the call's G.711 codec and sent by the
// SIP thread in 20 ms RTP packets; WOM_DONE follows the last packet, or comes at once on reset
// or when the call ends, so the program never waits for a message that cannot play.
class SipWaveOut : public WaveOut {
public:
    explicit SipWaveOut(SipVoiceHost& host) : m_host(host), m_playbacks(0x5300) {}

    uint32_t waveOutOpen(WaveOutHandle* handle, int32_t deviceId, const WaveFormatEx* format,
                         WaveOutCallback callback, uintptr_t instance, uint32_t flags) override;
    uint32_t waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutReset(WaveOutHandle handle) override;
    uint32_t waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutClose(WaveOutHandle handle) override;

    // The SIP thread sent the last packet of the play command with this sequence.
    void playDone(uint32_t leg, uint32_t sequence);
    // The call on a SIP line has ended: whatever plays on it is over.
    void stopLine(uint32_t line);

private:
    struct Playback : LinePlayback {
        uint32_t line = 0;
        uint32_t leg = 0;
        SipCodec codec = SipCodec::Pcmu;
        bool playing = false;
        uint32_t sequence = 0;
    };

    void finish(WaveOutHandle handle);

    SipVoiceHost& m_host;
    WavePlaybacks<Playback> m_playbacks;
    uint32_t m_nextSequence = 0;
};
