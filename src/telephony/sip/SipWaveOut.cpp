#include "telephony/sip/SipWaveOut.h"

#include "platform/audio/PcmConvert.h"

#include <vector>

SipWaveOut::Playback* SipWaveOut::find(WaveOutHandle handle) {
    auto it = m_playbacks.find(handle);
    return it == m_playbacks.end() ? nullptr : &it->second;
}

uint32_t SipWaveOut::waveOutOpen(WaveOutHandle* handle, int32_t deviceId,
                                 const WaveFormatEx* format, WaveOutCallback callback,
                                 uintptr_t instance, uint32_t /*flags*/) {
    if (!handle || !format)
        return wave::MMSYSERR_ERROR;
    if (!IsConvertiblePcm(*format))
        return wave::WAVERR_BADFORMAT;
    const uint32_t line = uint32_t(deviceId);
    Playback pb;
    if (deviceId < 0 || !m_host.connectedCall(line, &pb.leg, &pb.codec))
        return wave::MMSYSERR_BADDEVICEID; // no RTP stream without an answered call
    pb.line = line;
    pb.format = *format;
    pb.callback = std::move(callback);
    pb.instance = instance;
    *handle = ++m_nextHandle;
    m_playbacks.emplace(*handle, std::move(pb));
    return wave::MMSYSERR_NOERROR;
}

uint32_t SipWaveOut::waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    if (!find(handle))
        return wave::MMSYSERR_INVALHANDLE;
    return wave::PrepareHeader(header);
}

uint32_t SipWaveOut::waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    Playback* pb = find(handle);
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
    Playback* pb = find(handle);
    if (!pb || !pb->playing)
        return;
    pb->playing = false;
    WaveHdr* header = pb->header;
    if (header)
        wave::MarkDone(header);
    const WaveOutCallback callback = pb->callback;
    if (callback)
        callback(handle, wave::WOM_DONE, pb->instance, reinterpret_cast<uintptr_t>(header), 0);
}

void SipWaveOut::playDone(uint32_t leg, uint32_t sequence) {
    for (auto& [handle, pb] : m_playbacks) {
        if (pb.leg == leg && pb.playing && pb.sequence == sequence) {
            finish(handle);
            return;
        }
    }
}

void SipWaveOut::stopLine(uint32_t line) {
    std::vector<WaveOutHandle> handles;
    for (const auto& [handle, pb] : m_playbacks) {
        if (pb.line == line && pb.playing)
            handles.push_back(handle);
    }
    for (WaveOutHandle h : handles) {
        if (Playback* pb = find(h))
            m_host.stopPlaying(pb->leg);
        finish(h);
    }
}

uint32_t SipWaveOut::waveOutReset(WaveOutHandle handle) {
    Playback* pb = find(handle);
    if (!pb)
        return wave::MMSYSERR_INVALHANDLE;
    if (pb->playing)
        m_host.stopPlaying(pb->leg);
    finish(handle);
    return wave::MMSYSERR_NOERROR;
}

uint32_t SipWaveOut::waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    if (!find(handle))
        return wave::MMSYSERR_INVALHANDLE;
    return wave::UnprepareHeader(header);
}

uint32_t SipWaveOut::waveOutClose(WaveOutHandle handle) {
    Playback* pb = find(handle);
    if (!pb)
        return wave::MMSYSERR_INVALHANDLE;
    if (pb->playing)
        return wave::WAVERR_STILLPLAYING;
    m_playbacks.erase(handle);
    return wave::MMSYSERR_NOERROR;
}
