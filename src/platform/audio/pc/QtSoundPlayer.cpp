#include "platform/audio/pc/QtSoundPlayer.h"

#include "platform/audio/Mmio.h"
#include "platform/audio/WaveFile.h"
#include "platform/audio/pc/PcWaveStream.h"

#include <cmath>
#include <numbers>

namespace {

// The default tone: 0.3 s of 880 Hz at 8000 Hz, 16-bit mono, faded in and out so it does not
// click.
std::vector<uint8_t> DefaultTone(WaveFormatEx* format) {
    constexpr int kRate = 8000;
    constexpr size_t kSamples = kRate * 3 / 10;
    constexpr size_t kFade = kRate / 100;
    format->wFormatTag = wave::WAVE_FORMAT_PCM;
    format->nChannels = 1;
    format->nSamplesPerSec = kRate;
    format->nAvgBytesPerSec = kRate * 2;
    format->nBlockAlign = 2;
    format->wBitsPerSample = 16;
    format->cbSize = 0;
    std::vector<uint8_t> data(kSamples * 2);
    for (size_t i = 0; i < kSamples; ++i) {
        const double envelope = std::min({1.0, i / double(kFade), (kSamples - i) / double(kFade)});
        const double v = 12000.0 * envelope * std::sin(2.0 * std::numbers::pi * 880.0 * i / kRate);
        const auto s = static_cast<int16_t>(std::lround(v));
        data[2 * i] = static_cast<uint8_t>(s & 0xFF);
        data[2 * i + 1] = static_cast<uint8_t>((s >> 8) & 0xFF);
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
    m_lastWasFallback = ReadWaveFile(mmio, path, &format, &m_data) != WaveFileError::None ||
                        !PcWaveStream::supports(format) || m_data.empty();
    if (m_lastWasFallback)
        m_data = DefaultTone(&format);
    m_stream = std::make_unique<PcWaveStream>(format);
    m_stream->start(m_data.data(), static_cast<qint64>(m_data.size()), [] {});
}

bool QtSoundPlayer::isPlaying() const {
    return m_stream && m_stream->isActive();
}
