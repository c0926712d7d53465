#include "WavWriter.h"

#include "platform/audio/Mmio.h"
#include "platform/audio/WaveFile.h"

#include <QFile>

#include <cmath>
#include <numbers>

namespace wavwriter {

namespace {
void AppendU32(QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void AppendU16(QByteArray& b, uint16_t v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}
} // namespace

QByteArray Chunk(const char* id, const QByteArray& data, int64_t sizeOverride) {
    QByteArray b(id, 4);
    AppendU32(b, sizeOverride >= 0 ? static_cast<uint32_t>(sizeOverride)
                                   : static_cast<uint32_t>(data.size()));
    b.append(data);
    if (data.size() % 2)
        b.append('\0');
    return b;
}

QByteArray FmtBody(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t blockAlign,
                   uint16_t formatTag) {
    const uint16_t align = blockAlign == 0xFFFF ? static_cast<uint16_t>(channels * bits / 8)
                                                : static_cast<uint16_t>(blockAlign);
    QByteArray b;
    AppendU16(b, formatTag);
    AppendU16(b, channels);
    AppendU32(b, rate);
    AppendU32(b, rate * align);
    AppendU16(b, align);
    AppendU16(b, bits);
    return b;
}

QByteArray Riff(const QByteArray& chunks, int64_t riffSizeOverride) {
    QByteArray b("RIFF", 4);
    AppendU32(b, riffSizeOverride >= 0 ? static_cast<uint32_t>(riffSizeOverride)
                                       : static_cast<uint32_t>(chunks.size() + 4));
    b.append("WAVE", 4);
    b.append(chunks);
    return b;
}

WaveFormatEx Format(uint16_t channels, uint32_t rate, uint16_t bits) {
    WaveFormatEx f;
    f.wFormatTag = wave::WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

QByteArray PcmWav(uint16_t channels, uint32_t rate, uint16_t bits, const QByteArray& samples) {
    return Riff(Chunk("fmt ", FmtBody(channels, rate, bits)) + Chunk("data", samples));
}

QByteArray ToneWav(int ms, int channels, int bits, int rate) {
    const int blockAlign = channels * bits / 8;
    const qsizetype dataSize = qsizetype(qint64(rate) * ms / 1000 * blockAlign);
    QByteArray samples(dataSize, Qt::Uninitialized);
    for (qsizetype i = 0; i < dataSize; ++i)
        samples[i] = char(bits == 8 ? 128 + ((i / 8) % 2 ? 40 : -40) : (i % 2 ? 0x10 : 0));
    return PcmWav(uint16_t(channels), uint32_t(rate), uint16_t(bits), samples);
}

QByteArray Sine(uint16_t channels, uint32_t rate, uint16_t bits, int frames, double hz,
                double amplitude) {
    QByteArray b;
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8)
                b.append(static_cast<char>(std::lround(128 + 127 * v)));
            else
                AppendU16(b, static_cast<uint16_t>(static_cast<int16_t>(std::lround(32767 * v))));
        }
    }
    return b;
}

QByteArray ChunkOf(const QByteArray& wav, const char* id) {
    qsizetype pos = 12;
    while (pos + 8 <= wav.size()) {
        const quint32 size = quint8(wav[pos + 4]) | quint8(wav[pos + 5]) << 8 |
                             quint8(wav[pos + 6]) << 16 | quint32(quint8(wav[pos + 7])) << 24;
        if (wav.mid(pos, 4) == id)
            return wav.mid(pos + 8, qsizetype(size));
        pos += 8 + qsizetype(size) + qsizetype(size % 2);
    }
    return {};
}

QByteArray Samples(const QString& path) {
    FileMmio mmio;
    WaveFormatEx format;
    std::vector<uint8_t> data;
    if (ReadWaveFile(mmio, path, &format, &data) != WaveFileError::None)
        return {};
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

} // namespace wavwriter
