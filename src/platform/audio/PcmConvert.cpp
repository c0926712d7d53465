#include "platform/audio/PcmConvert.h"

#include <algorithm>
#include <vector>

namespace {

// Samples as signed 16-bit mono, stereo mixed by averaging.
std::vector<int32_t> DecodeMono(const WaveFormatEx& format, const uint8_t* data, size_t size) {
    const size_t bytesPerSample = format.wBitsPerSample / 8u;
    const size_t frameBytes =
        std::max<size_t>(format.nBlockAlign, bytesPerSample * format.nChannels);
    const size_t frames = size / frameBytes;
    std::vector<int32_t> out(frames);
    for (size_t i = 0; i < frames; ++i) {
        const uint8_t* f = data + i * frameBytes;
        int32_t sum = 0;
        for (size_t c = 0; c < format.nChannels; ++c) {
            const uint8_t* s = f + c * bytesPerSample;
            if (bytesPerSample == 1)
                sum += (static_cast<int32_t>(s[0]) - 128) * 256;
            else
                sum += static_cast<int16_t>(static_cast<uint16_t>(s[0] | (s[1] << 8)));
        }
        out[i] = sum / format.nChannels;
    }
    return out;
}

// To 8000 Hz. Lower rates are raised by linear interpolation; higher rates are lowered by
// averaging every input sample that falls into each output period, which also keeps most of
// the content above 4 kHz from folding back into the voice band.
std::vector<int32_t> Resample(const std::vector<int32_t>& in, uint32_t rate) {
    if (rate == kModemSampleRate || in.empty())
        return in;
    const uint64_t n = in.size();
    const size_t outCount = static_cast<size_t>(n * kModemSampleRate / rate);
    std::vector<int32_t> out(outCount);
    if (rate < kModemSampleRate) {
        for (size_t i = 0; i < outCount; ++i) {
            const uint64_t num = static_cast<uint64_t>(i) * rate; // position * 8000
            const size_t idx = static_cast<size_t>(num / kModemSampleRate);
            const int64_t frac = static_cast<int64_t>(num % kModemSampleRate);
            const int64_t a = in[idx];
            const int64_t b = idx + 1 < in.size() ? in[idx + 1] : a;
            out[i] = static_cast<int32_t>((a * (kModemSampleRate - frac) + b * frac) /
                                          static_cast<int64_t>(kModemSampleRate));
        }
        return out;
    }
    for (size_t i = 0; i < outCount; ++i) {
        const size_t from = static_cast<size_t>(static_cast<uint64_t>(i) * rate / kModemSampleRate);
        size_t to = static_cast<size_t>(static_cast<uint64_t>(i + 1) * rate / kModemSampleRate);
        to = std::clamp(to, from + 1, in.size());
        int64_t sum = 0;
        for (size_t k = from; k < to; ++k)
            sum += in[k];
        out[i] = static_cast<int32_t>(sum / static_cast<int64_t>(to - from));
    }
    return out;
}

} // namespace

bool IsConvertiblePcm(const WaveFormatEx& format) {
    return format.wFormatTag == wave::WAVE_FORMAT_PCM &&
           (format.nChannels == 1 || format.nChannels == 2) &&
           (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
           format.nSamplesPerSec >= 1000 && format.nSamplesPerSec <= 384000;
}

QByteArray ConvertForModem(const WaveFormatEx& format, const uint8_t* data, size_t size,
                           ModemVoiceFormat target) {
    if (!IsConvertiblePcm(format) || !data || size == 0)
        return {};
    const std::vector<int32_t> samples =
        Resample(DecodeMono(format, data, size), format.nSamplesPerSec);
    QByteArray out(static_cast<qsizetype>(samples.size()), Qt::Uninitialized);
    for (size_t i = 0; i < samples.size(); ++i) {
        const int32_t s = std::clamp(samples[i], -32768, 32767);
        uint8_t code;
        if (target == ModemVoiceFormat::MuLaw)
            code = LinearToMuLaw(static_cast<int16_t>(s));
        else if (target == ModemVoiceFormat::ALaw)
            code = LinearToALaw(static_cast<int16_t>(s));
        else
            code = static_cast<uint8_t>(std::clamp((s + 128) >> 8, -128, 127) + 128);
        out[static_cast<qsizetype>(i)] = static_cast<char>(code);
    }
    return out;
}

uint8_t LinearToMuLaw(int16_t sample) {
    constexpr int kBias = 0x84;
    constexpr int kClip = 32635;
    int s = sample;
    const int sign = s < 0 ? 0x80 : 0;
    if (s < 0)
        s = -s;
    s = std::min(s, kClip) + kBias;
    int exponent = 7;
    for (int mask = 0x4000; (s & mask) == 0 && exponent > 0; mask >>= 1)
        --exponent;
    const int mantissa = (s >> (exponent + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

int16_t MuLawToLinear(uint8_t code) {
    const int u = static_cast<uint8_t>(~code);
    const int exponent = (u >> 4) & 0x07;
    const int mantissa = u & 0x0F;
    const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return static_cast<int16_t>((u & 0x80) ? -magnitude : magnitude);
}

uint8_t LinearToALaw(int16_t sample) {
    // 13-bit magnitude, segment by the highest set bit, even bits inverted on the wire.
    int s = sample >> 3;
    const int sign = s >= 0 ? 0x80 : 0;
    if (s < 0)
        s = -s - 1;
    s = std::min(s, 0xFFF);
    int segment = 0;
    for (int v = s >> 5; v > 0; v >>= 1)
        ++segment;
    const int mantissa = segment == 0 ? (s >> 1) & 0x0F : (s >> segment) & 0x0F;
    return static_cast<uint8_t>((sign | (segment << 4) | mantissa) ^ 0x55);
}

int16_t ALawToLinear(uint8_t code) {
    const int a = code ^ 0x55;
    const int segment = (a >> 4) & 0x07;
    const int mantissa = a & 0x0F;
    int magnitude = segment == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (segment - 1);
    return static_cast<int16_t>((a & 0x80) ? magnitude : -magnitude);
}
