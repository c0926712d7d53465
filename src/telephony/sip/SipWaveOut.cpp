#include "telephony/sip/SipWaveOut.h"

#include "platform/audio/PcmConvert.h"

#include <vector>

uint32_t SipWaveOut::waveOutOpen(WaveOutHandle* handle, int32_t deviceId,
                                 const WaveFormatEx* format, WaveOutCallback callback,
                                 uintptr_t instance, uint32_t /*flags*/) {
    if (const uint32_t bad = WavePlaybacks<Playback>::CheckOpen(handle, format))
        return bad;
    const uint32_t line = uint32_t(deviceId);
    Playback pb;
    if (deviceId < 0 || !m_host.connectedCall(line, &pb.leg, &pb.codec))
        return wave::MMSYSERR_BADDEVICEID; // no RTP stream without an answered call
    pb.line = line;
    *handle = m_playbacks.add(std::move(pb), *format, std::move(callback), instance);
    return wave::MMSYSERR_NOERROR;
}

uint32_t SipWaveOut::waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    return m_playbacks.prepare(handle, header);
}

uint32_t SipWaveOut::waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    Playback* pb = m_playbacks.find(handle);
    if (!pb)
        return wave::MMSYSERR_INVALHANDLE;
    if (const uint32_t bad = wave::CheckWritable(header))
        return bad;
    if (pb->playing)
        return wave::WAVERR_STILLPLAYING;
    wave::MarkQueued(header);
    pb->header = header;
    pb->playing = true;
    pb->sequence = ++m_nextSequence;
    const ModemVoiceFormat target =
        pb->codec == SipCodec::Pcma ? ModemVoiceFormat::ALaw : ModemVoiceFormat::MuLaw;
    // Completion comes later from the SIP thread, never from inside this call.
    m_host.play(pb->leg,
                ConvertForModem(pb->format, header->lpData, header->dwBufferLength, target),
                pb->sequence);
    return wave::MMSYSERR_NOERROR;
}

void SipWaveOut::finish(WaveOutHandle handle) {
    Playback* pb = m_playbacks.find(handle);
    if (!pb || !pb->playing)
        return;
    pb->playing = false;
    WavePlaybacks<Playback>::Done(handle, *pb);
}

void SipWaveOut::playDone(uint32_t leg, uint32_t sequence) {
    for (auto& [handle, pb] : m_playbacks.all()) {
        if (pb.leg == leg && pb.playing && pb.sequence == sequence) {
            finish(handle);
            return;
        }
    }
}

void SipWaveOut::stopLine(uint32_t line) {
    std::vector<WaveOutHandle> handles;
    for (const auto& [handle, pb] : m_playbacks.all()) {
        if (pb.line == line && pb.playing)
            handles.push_back(handle);
    }
    for (WaveOutHandle h : handles) {
        if (Playback* pb = m_playbacks.find(h))
            m_host.stopPlaying(pb->leg);
        finish(h);
    }
}

uint32_t SipWaveOut::waveOutReset(WaveOutHandle handle) {
    Playback* pb = m_playbacks.find(handle);
    if (!pb)
        return wave::MMSYSERR_INVALHANDLE;
    if (pb->playing)
        m_host.stopPlaying(pb->leg);
    finish(handle);
    return wave::MMSYSERR_NOERROR;
}

uint32_t SipWaveOut::waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    return m_playbacks.unprepare(handle, header);
}

uint32_t SipWaveOut::waveOutClose(WaveOutHandle handle) {
    return m_playbacks.close(handle, [](const Playback& pb) { return pb.playing; });
}
