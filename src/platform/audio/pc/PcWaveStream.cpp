#include "platform/audio/pc/PcWaveStream.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>

namespace {
// Extra time allowed to a working device before its silence counts as a stall.
constexpr int kStallMarginMs = 3000;
} // namespace

PcWaveStream::PcWaveStream(const WaveFormatEx& format, QObject* parent)
    : QObject(parent), m_format(format) {
    m_fallback.setSingleShot(true);
    connect(&m_fallback, &QTimer::timeout, this, [this] { finish(); });
}

PcWaveStream::~PcWaveStream() {
    m_active = false;
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        delete m_sink; // before the buffer it reads from goes away
        m_sink = nullptr;
    }
}

bool PcWaveStream::supports(const WaveFormatEx& format) {
    return format.wFormatTag == wave::WAVE_FORMAT_PCM &&
           (format.nChannels == 1 || format.nChannels == 2) &&
           (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
           format.nSamplesPerSec >= 1000 && format.nSamplesPerSec <= 384000;
}

qint64 PcWaveStream::durationMs(qint64 bytes) const {
    const qint64 perSecond = static_cast<qint64>(m_format.nSamplesPerSec) * m_format.nChannels *
                             (m_format.wBitsPerSample / 8);
    return perSecond > 0 ? bytes * 1000 / perSecond : 0;
}

void PcWaveStream::start(const uint8_t* data, qint64 size, std::function<void()> onDone) {
    stop();
    m_onDone = std::move(onDone);
    m_active = true;
    const qint64 duration = durationMs(size);
    m_started.start();

    // Whole frames only: a trailing partial frame would upset the output.
    const qint64 frame = static_cast<qint64>(m_format.nChannels) * (m_format.wBitsPerSample / 8);
    const qint64 usable = frame > 0 ? size - size % frame : 0;
    if (usable <= 0 || !data) {
        m_fallback.start(0);
        return;
    }

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(m_format.nSamplesPerSec));
    format.setChannelCount(m_format.nChannels);
    format.setSampleFormat(m_format.wBitsPerSample == 8 ? QAudioFormat::UInt8
                                                        : QAudioFormat::Int16);
    if (device.isNull()) {
        m_fallback.start(static_cast<int>(duration));
        return;
    }
    m_buffer.close();
    m_buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(data), usable));
    m_buffer.open(QIODevice::ReadOnly);

    if (!m_sink || m_sink->format() != format) {
        delete m_sink;
        m_sink = new QAudioSink(device, format, this);
    }
    connect(m_sink, &QAudioSink::stateChanged, this, [this, duration](QAudio::State state) {
        if (!m_active)
            return;
        if (state == QAudio::IdleState) {
            QTimer::singleShot(0, this, [this] { finish(); }); // every byte has been played
        } else if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
            // The device failed: end when the sound would have ended.
            m_fallback.start(static_cast<int>(std::max<qint64>(0, duration - m_started.elapsed())));
        }
    });
    m_sink->start(&m_buffer);
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState)
        m_fallback.start(static_cast<int>(duration));
    else
        m_fallback.start(static_cast<int>(duration) + kStallMarginMs);
}

void PcWaveStream::stop() {
    m_active = false;
    m_fallback.stop();
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
    }
    m_buffer.close();
}

void PcWaveStream::finish() {
    if (!m_active)
        return;
    stop();
    auto done = std::move(m_onDone);
    m_onDone = nullptr;
    if (done)
        done();
}
