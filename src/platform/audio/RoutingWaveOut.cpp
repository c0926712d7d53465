#include "platform/audio/RoutingWaveOut.h"

RoutingWaveOut::RoutingWaveOut(WaveOut& pc, WaveOut* modem) : m_pc(pc), m_modem(modem) {}

const RoutingWaveOut::Route* RoutingWaveOut::find(WaveOutHandle handle) const {
    auto it = m_routes.find(handle);
    return it == m_routes.end() ? nullptr : &it->second;
}

uint32_t RoutingWaveOut::waveOutOpen(WaveOutHandle* handle, int32_t deviceId,
                                     const WaveFormatEx* format, WaveOutCallback callback,
                                     uintptr_t instance, uint32_t flags) {
    WaveOut* target = deviceId == wave::WAVE_MAPPER ? &m_pc : m_modem;
    int32_t localDevice = deviceId;
    if (deviceId != wave::WAVE_MAPPER && m_deviceRoute)
        target = m_deviceRoute(deviceId, &localDevice);
    if (!target)
        return wave::MMSYSERR_BADDEVICEID;
    if (!handle)
        return wave::MMSYSERR_ERROR;
    // The outer handle is chosen first so the callback can carry it without looking anything
    // up: it may run on another thread.
    const WaveOutHandle outer = m_next++;
    WaveOutCallback wrapped;
    if (callback) {
        wrapped = [outer, callback](WaveOutHandle, uint32_t msg, uintptr_t inst, uintptr_t p1,
                                    uintptr_t p2) { callback(outer, msg, inst, p1, p2); };
    }
    WaveOutHandle inner = 0;
    const uint32_t r = target->waveOutOpen(&inner, localDevice, format, wrapped, instance, flags);
    if (r != wave::MMSYSERR_NOERROR)
        return r;
    m_routes[outer] = Route{target, inner};
    *handle = outer;
    return wave::MMSYSERR_NOERROR;
}

uint32_t RoutingWaveOut::waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header,
                                              uint32_t size) {
    const Route* r = find(handle);
    return r ? r->target->waveOutPrepareHeader(r->inner, header, size) : wave::MMSYSERR_INVALHANDLE;
}

uint32_t RoutingWaveOut::waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) {
    const Route* r = find(handle);
    return r ? r->target->waveOutWrite(r->inner, header, size) : wave::MMSYSERR_INVALHANDLE;
}

uint32_t RoutingWaveOut::waveOutReset(WaveOutHandle handle) {
    const Route* r = find(handle);
    return r ? r->target->waveOutReset(r->inner) : wave::MMSYSERR_INVALHANDLE;
}

uint32_t RoutingWaveOut::waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header,
                                                uint32_t size) {
    const Route* r = find(handle);
    return r ? r->target->waveOutUnprepareHeader(r->inner, header, size)
             : wave::MMSYSERR_INVALHANDLE;
}

uint32_t RoutingWaveOut::waveOutClose(WaveOutHandle handle) {
    const Route* r = find(handle);
    if (!r)
        return wave::MMSYSERR_INVALHANDLE;
    const uint32_t result = r->target->waveOutClose(r->inner);
    if (result == wave::MMSYSERR_NOERROR)
        m_routes.erase(handle);
    return result;
}
