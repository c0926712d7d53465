#pragma once

#include "platform/audio/WaveOut.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Conversion of PCM samples from a WAV file to what a voice modem or a telephone line over SIP
// plays: 8000 Hz mono, either 8-bit unsigned linear or G.711 (mu-law or A-law).
enum class ModemVoiceFormat { Linear8Unsigned, MuLaw, ALaw };

constexpr uint32_t kModemSampleRate = 8000;

// Accepts PCM (format tag 1) of 8 bits (unsigned) or 16 bits (signed little-endian), one or two
// channels, any sample rate. Stereo is mixed to mono; the rate is changed by linear
// interpolation. A trailing partial frame is ignored. Anything else gives an empty result.
QByteArray ConvertForModem(const WaveFormatEx& format, const uint8_t* data, size_t size,
                           ModemVoiceFormat target);

// True when ConvertForModem accepts the format.
bool IsConvertiblePcm(const WaveFormatEx& format);

uint8_t LinearToMuLaw(int16_t sample);
int16_t MuLawToLinear(uint8_t code);
uint8_t LinearToALaw(int16_t sample);
int16_t ALawToLinear(uint8_t code);
