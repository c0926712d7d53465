#pragma once

#include "platform/audio/PcmConvert.h"
#include "platform/audio/WaveOut.h"

#include <map>
#include <utility>

// What every playback on a telephone line's wave output holds: the PCM it was opened for,
// whom to tell when a buffer is done, and the buffer being played.
struct LinePlayback {
    WaveFormatEx format;
    WaveOutCallback callback;
    uintptr_t instance = 0;
    WaveHdr* header = nullptr;
};

// The open handles of a wave output that plays one buffer at a time, converted to the line's
// own voice format, and the bookkeeping the line outputs share: checking what is opened,
// handing out handles, the header rules, closing and telling the program a buffer is done.
// Playback derives from LinePlayback and adds what its line needs.
template <class Playback> class WavePlaybacks {
public:
    explicit WavePlaybacks(WaveOutHandle lastHandle) : m_lastHandle(lastHandle) {}

    // MMSYSERR_NOERROR when a device may be opened for this format.
    static uint32_t CheckOpen(const WaveOutHandle* handle, const WaveFormatEx* format) {
        if (!handle || !format)
            return wave::MMSYSERR_ERROR;
        if (!IsConvertiblePcm(*format))
            return wave::WAVERR_BADFORMAT;
        return wave::MMSYSERR_NOERROR;
    }

    WaveOutHandle add(Playback pb, const WaveFormatEx& format, WaveOutCallback callback,
                      uintptr_t instance) {
        pb.format = format;
        pb.callback = std::move(callback);
        pb.instance = instance;
        const WaveOutHandle handle = ++m_lastHandle;
        m_playbacks.emplace(handle, std::move(pb));
        return handle;
    }

    Playback* find(WaveOutHandle handle) {
        auto it = m_playbacks.find(handle);
        return it == m_playbacks.end() ? nullptr : &it->second;
    }

    uint32_t prepare(WaveOutHandle handle, WaveHdr* header) {
        return find(handle) ? wave::PrepareHeader(header) : wave::MMSYSERR_INVALHANDLE;
    }
    uint32_t unprepare(WaveOutHandle handle, WaveHdr* header) {
        return find(handle) ? wave::UnprepareHeader(header) : wave::MMSYSERR_INVALHANDLE;
    }

    // Closes a handle unless busy says its buffer still plays.
    template <class Busy> uint32_t close(WaveOutHandle handle, Busy busy) {
        Playback* pb = find(handle);
        if (!pb)
            return wave::MMSYSERR_INVALHANDLE;
        if (busy(*pb))
            return wave::WAVERR_STILLPLAYING;
        m_playbacks.erase(handle);
        return wave::MMSYSERR_NOERROR;
    }

    // The buffer of a playback is done: marked so and reported with WOM_DONE.
    static void Done(WaveOutHandle handle, const Playback& pb) {
        WaveHdr* header = pb.header;
        if (header)
            wave::MarkDone(header);
        const WaveOutCallback callback = pb.callback;
        if (callback)
            callback(handle, wave::WOM_DONE, pb.instance, reinterpret_cast<uintptr_t>(header), 0);
    }

    std::map<WaveOutHandle, Playback>& all() { return m_playbacks; }

private:
    std::map<WaveOutHandle, Playback> m_playbacks;
    WaveOutHandle m_lastHandle;
};
