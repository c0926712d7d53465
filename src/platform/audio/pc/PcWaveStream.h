#pragma once

#include "platform/audio/WaveOut.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QAudioSink;

// Plays one PCM buffer on the PC's default audio output and reports its end once. With no
// audio device, or when the output fails or stalls, the end is reported anyway when the
// buffer's playing time (plus a margin for a stall) has passed, so a caller waiting for it is
// never held forever.
class PcWaveStream : public QObject {
public:
    explicit PcWaveStream(const WaveFormatEx& format, QObject* parent = nullptr);
    ~PcWaveStream() override;

    // 8- or 16-bit PCM, one or two channels, a plausible rate.
    static bool supports(const WaveFormatEx& format);

    // Starts playing size bytes at data; the bytes must stay valid until the end is reported or
    // stop() is called. onDone is called once, from the event loop, never from inside start().
    void start(const uint8_t* data, qint64 size, std::function<void()> onDone);
    // Stops at once without reporting the end.
    void stop();
    bool isActive() const { return m_active; }
    // Milliseconds the given number of bytes takes to play.
    qint64 durationMs(qint64 bytes) const;

private:
    void finish();

    WaveFormatEx m_format;
    QAudioSink* m_sink = nullptr;
    QBuffer m_buffer;
    QTimer m_fallback; // ends playback when the device cannot
    QElapsedTimer m_started;
    std::function<void()> m_onDone;
    bool m_active = false;
};
