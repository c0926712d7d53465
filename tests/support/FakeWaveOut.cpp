#include "FakeWaveOut.h"

uint32_t FakeWaveOut::waveOutOpen(WaveOutHandle* handle, int32_t deviceId,
                                  const WaveFormatEx* format, WaveOutCallback callback,
                                  uintptr_t instance, uint32_t flags) {
    calls.append(QStringLiteral("open %1 0x%2").arg(deviceId).arg(flags, 0, 16));
    lastDeviceId = deviceId;
    lastFlags = flags;
    if (format)
        lastFormat = *format;
    if (failOpen != 0 || !handle)
        return failOpen != 0 ? failOpen : wave::MMSYSERR_ERROR;
    const WaveOutHandle h = m_next++;
    Device d;
    d.deviceId = deviceId;
    d.callback = std::move(callback);
    d.instance = instance;
    m_devices.emplace(h, d);
    *handle = h;
    ++totalOpens;
    if (m_devices[h].callback)
        m_devices[h].callback(h, wave::WOM_OPEN, instance, 0, 0);
    return wave::MMSYSERR_NOERROR;
}

uint32_t FakeWaveOut::waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) {
    calls.append(
        QStringLiteral("prepare %1 %2").arg(handle).arg(header ? header->dwBufferLength : 0));
    if (!isOpen(handle))
        return wave::MMSYSERR_INVALHANDLE;
    if (failPrepare != 0)
        return failPrepare;
    if (!header || size < wave::kHeaderSize)
        return wave::MMSYSERR_ERROR;
    header->dwFlags |= wave::WHDR_PREPARED;
    return wave::MMSYSERR_NOERROR;
}

uint32_t FakeWaveOut::waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) {
    calls.append(
        QStringLiteral("write %1 %2").arg(handle).arg(header ? header->dwBufferLength : 0));
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return wave::MMSYSERR_INVALHANDLE;
    if (failWrite != 0)
        return failWrite;
    if (!header || size < wave::kHeaderSize)
        return wave::MMSYSERR_ERROR;
    if (!(header->dwFlags & wave::WHDR_PREPARED))
        return wave::WAVERR_UNPREPARED;
    written.append(QByteArray(reinterpret_cast<const char*>(header->lpData),
                              static_cast<qsizetype>(header->dwBufferLength)));
    wave::MarkQueued(header);
    it->second.queued = header;
    return wave::MMSYSERR_NOERROR;
}

void FakeWaveOut::complete(WaveOutHandle handle, Device& d) {
    WaveHdr* header = d.queued;
    d.queued = nullptr;
    wave::MarkDone(header);
    if (d.callback)
        d.callback(handle, wave::WOM_DONE, d.instance, reinterpret_cast<uintptr_t>(header), 0);
}

uint32_t FakeWaveOut::waveOutReset(WaveOutHandle handle) {
    calls.append(QStringLiteral("reset %1").arg(handle));
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return wave::MMSYSERR_INVALHANDLE;
    if (it->second.queued)
        complete(handle, it->second);
    return wave::MMSYSERR_NOERROR;
}

uint32_t FakeWaveOut::waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header,
                                             uint32_t /*size*/) {
    calls.append(QStringLiteral("unprepare %1").arg(handle));
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return wave::MMSYSERR_INVALHANDLE;
    if (header && it->second.queued == header)
        return wave::WAVERR_STILLPLAYING;
    if (header)
        header->dwFlags &= ~wave::WHDR_PREPARED;
    return wave::MMSYSERR_NOERROR;
}

uint32_t FakeWaveOut::waveOutClose(WaveOutHandle handle) {
    calls.append(QStringLiteral("close %1").arg(handle));
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return wave::MMSYSERR_INVALHANDLE;
    if (it->second.queued)
        return wave::WAVERR_STILLPLAYING;
    const Device d = it->second;
    m_devices.erase(it);
    if (d.callback)
        d.callback(handle, wave::WOM_CLOSE, d.instance, 0, 0);
    return wave::MMSYSERR_NOERROR;
}

int FakeWaveOut::finish(int32_t deviceId) {
    int n = 0;
    for (auto& [h, d] : m_devices) {
        if (d.deviceId == deviceId && d.queued) {
            complete(h, d);
            ++n;
        }
    }
    return n;
}

int FakeWaveOut::finishAll() {
    int n = 0;
    for (auto& [h, d] : m_devices) {
        if (d.queued) {
            complete(h, d);
            ++n;
        }
    }
    return n;
}

int FakeWaveOut::queuedCount() const {
    int n = 0;
    for (const auto& [h, d] : m_devices)
        n += d.queued ? 1 : 0;
    return n;
}
