#include "platform/audio/pc/PcWaveOut.h"

#include "platform/audio/pc/PcWaveStream.h"

// One open device: the stream that plays it and the buffer queued on it.
class PcWaveDevice {
public:
    PcWaveStream* stream = nullptr;
    WaveOutCallback callback;
    uintptr_t instance = 0;
    WaveHdr* queued = nullptr;
};

PcWaveOut::PcWaveOut(QObject* parent) : QObject(parent) {}

PcWaveOut::~PcWaveOut() {
    for (auto& [h, d] : m_devices)
        delete d->stream;
}

PcWaveDevice* PcWaveOut::find(WaveOutHandle handle) const {
    auto it = m_devices.find(handle);
    return it == m_devices.end() ? nullptr : it->second.get();
}

uint32_t PcWaveOut::waveOutOpen(WaveOutHandle* handle, int32_t deviceId, const WaveFormatEx* format,
                                WaveOutCallback callback, uintptr_t instance, uint32_t /*flags*/) {
    if (deviceId != wave::WAVE_MAPPER)
        return wave::MMSYSERR_BADDEVICEID;
    if (!handle || !format)
        return wave::MMSYSERR_ERROR;
    if (!PcWaveStream::supports(*format))
        return wave::WAVERR_BADFORMAT;
    auto d = std::make_unique<PcWaveDevice>();
    d->stream = new PcWaveStream(*format, this);
    d->callback = std::move(callback);
    d->instance = instance;
    const WaveOutHandle h = m_next++;
    PcWaveDevice* dev = d.get();
    m_devices.emplace(h, std::move(d));
    *handle = h;
    if (dev->callback)
        dev->callback(h, wave::WOM_OPEN, dev->instance, 0, 0);
    return wave::MMSYSERR_NOERROR;
}

uint32_t PcWaveOut::waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) {
    if (!find(handle))
        return wave::MMSYSERR_INVALHANDLE;
    if (!header || size < wave::kHeaderSize)
        return wave::MMSYSERR_ERROR;
    header->dwFlags |= wave::WHDR_PREPARED;
    return wave::MMSYSERR_NOERROR;
}

uint32_t PcWaveOut::waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) {
    PcWaveDevice* d = find(handle);
    if (!d)
        return wave::MMSYSERR_INVALHANDLE;
    if (!header || size < wave::kHeaderSize)
        return wave::MMSYSERR_ERROR;
    if (!(header->dwFlags & wave::WHDR_PREPARED))
        return wave::WAVERR_UNPREPARED;
    if (d->queued)
        return wave::WAVERR_STILLPLAYING; // one buffer at a time is all this output needs
    wave::MarkQueued(header);
    d->queued = header;
    d->stream->start(header->lpData, header->dwBufferLength, [this, handle] {
        if (PcWaveDevice* dev = find(handle))
            complete(handle, *dev);
    });
    return wave::MMSYSERR_NOERROR;
}

void PcWaveOut::complete(WaveOutHandle handle, PcWaveDevice& d) {
    WaveHdr* header = d.queued;
    if (!header)
        return;
    d.queued = nullptr;
    wave::MarkDone(header);
    if (d.callback)
        d.callback(handle, wave::WOM_DONE, d.instance, reinterpret_cast<uintptr_t>(header), 0);
}

uint32_t PcWaveOut::waveOutReset(WaveOutHandle handle) {
    PcWaveDevice* d = find(handle);
    if (!d)
        return wave::MMSYSERR_INVALHANDLE;
    d->stream->stop();
    complete(handle, *d); // a buffer cut short is returned as done
    return wave::MMSYSERR_NOERROR;
}

uint32_t PcWaveOut::waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header,
                                           uint32_t /*size*/) {
    PcWaveDevice* d = find(handle);
    if (!d)
        return wave::MMSYSERR_INVALHANDLE;
    if (header && d->queued == header)
        return wave::WAVERR_STILLPLAYING;
    if (header)
        header->dwFlags &= ~wave::WHDR_PREPARED;
    return wave::MMSYSERR_NOERROR;
}

uint32_t PcWaveOut::waveOutClose(WaveOutHandle handle) {
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return wave::MMSYSERR_INVALHANDLE;
    if (it->second->queued)
        return wave::WAVERR_STILLPLAYING;
    std::unique_ptr<PcWaveDevice> d = std::move(it->second);
    m_devices.erase(it);
    // Closing may happen from inside the stream's own completion; let it return first.
    d->stream->stop();
    d->stream->deleteLater();
    if (d->callback)
        d->callback(handle, wave::WOM_CLOSE, d->instance, 0, 0);
    return wave::MMSYSERR_NOERROR;
}
