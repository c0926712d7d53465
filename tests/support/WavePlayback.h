#pragma once

#include "platform/audio/WaveOut.h"

#include <QByteArray>
#include <QList>

// Records what a wave-out device reports through its completion callback.
struct WaveOutRecorder {
    QList<WaveOutHandle> handles;
    QList<uint32_t> messages;
    QList<uintptr_t> params; // param1 of each message: the header, for WOM_DONE

    WaveOutCallback callback() {
        return [this](WaveOutHandle h, uint32_t msg, uintptr_t, uintptr_t p1, uintptr_t) {
            handles.append(h);
            messages.append(msg);
            params.append(p1);
        };
    }
    int done() const { return int(messages.count(wave::WOM_DONE)); }
};

// One buffer of samples played on a wave-out device, the way the engine plays a message.
struct WavePlayback {
    explicit WavePlayback(WaveOut& device) : out(device) {}

    // Opens the device with a completion callback and prepares the buffer; the first error, or 0.
    uint32_t open(int32_t deviceId, const WaveFormatEx& format, const QByteArray& pcm) {
        samples = pcm;
        if (const uint32_t error = out.waveOutOpen(&handle, deviceId, &format, rec.callback(), 0,
                                                   wave::CALLBACK_FUNCTION))
            return error;
        header.lpData = reinterpret_cast<const uint8_t*>(samples.constData());
        header.dwBufferLength = uint32_t(samples.size());
        return out.waveOutPrepareHeader(handle, &header, wave::kHeaderSize);
    }
    uint32_t write() { return out.waveOutWrite(handle, &header, wave::kHeaderSize); }
    // open() then write().
    uint32_t start(int32_t deviceId, const WaveFormatEx& format, const QByteArray& pcm) {
        const uint32_t error = open(deviceId, format, pcm);
        return error ? error : write();
    }
    // What the engine does when a call ends under a playing message: reset, unprepare, close.
    // True when each step succeeded.
    bool stop() {
        const uint32_t reset = out.waveOutReset(handle);
        const uint32_t unprepare = out.waveOutUnprepareHeader(handle, &header, wave::kHeaderSize);
        return reset == 0 && unprepare == 0 && out.waveOutClose(handle) == 0;
    }

    WaveOut& out;
    WaveOutHandle handle = 0;
    WaveHdr header;
    QByteArray samples;
    WaveOutRecorder rec;
};
