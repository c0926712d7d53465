#include "platform/audio/pc/QtSoundPlayer.h"

#include "platform/audio/Mmio.h"
#include "platform/audio/WaveFile.h"
#include "platform/audio/pc/PcWaveStream.h"

#include <cmath>
#include <numbers>

namespace {

// The default tone: 0.3 s of 880 Hz at 8000 Hz, 16-bit mono, faded in and out so it does not
// click.
QByteArray DefaultTone(WaveFormatEx* format) {
    constexpr int kRate = 8000;
    constexpr int kSamples = kRate * 3 / 10;
    constexpr int kFade = kRate / 100;
    format->wFormatTag = wave::WAVE_FORMAT_PCM;
    format->nChannels = 1;
    format->nSamplesPerSec = kRate;
    format->nAvgBytesPerSec = kRate * 2;
    format->nBlockAlign = 2;
    format->wBitsPerSample = 16;
    format->cbSize = 0;
    QByteArray data(kSamples * 2, Qt::Uninitialized);
    for (int i = 0; i < kSamples; ++i) {
        const double envelope = std::min({1.0, i / double(kFade), (kSamples - i) / double(kFade)});
        const double v = 12000.0 * envelope * std::sin(2.0 * std::numbers::pi * 880.0 * i / kRate);
        const auto s = static_cast<int16_t>(std::lround(v));
        data[2 * i] = static_cast<char>(s & 0xFF);
        data[2 * i + 1] = static_cast<char>((s >> 8) & 0xFF);
    }
    return data;
}

} // namespace

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::play(const QString& path) {
    // The running sound stops before its samples are replaced.
    m_stream.reset();
    FileMmio mmio;
    WaveFormatEx format;
    QByteArray data;
    m_lastWasFallback = !ReadWaveFile(mmio, path, &format, &data) ||
                        !PcWaveStream::supports(format) || data.isEmpty();
    if (m_lastWasFallback)
        data = DefaultTone(&format);
    m_data = std::move(data);
    m_stream = std::make_unique<PcWaveStream>(format);
    m_stream->start(reinterpret_cast<const uint8_t*>(m_data.constData()), m_data.size(), [] {});
}

bool QtSoundPlayer::isPlaying() const {
    return m_stream && m_stream->isActive();
}
