#pragma once

#include "platform/audio/WaveOut.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// Builds WAV files and PCM formats for tests, well-formed or deliberately broken, and reads back
// the chunks or samples of one (such as the emulator's recording).
namespace wavwriter {

// One chunk: identifier, 32-bit size (sizeOverride when >= 0), data, and a pad byte when the
// data length is odd.
QByteArray Chunk(const char* id, const QByteArray& data, int64_t sizeOverride = -1);

// A 16-byte PCM "fmt " chunk body. blockAlign 0xFFFF means channels * bits / 8.
QByteArray FmtBody(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t blockAlign = 0xFFFF,
                   uint16_t formatTag = 1);

// "RIFF" + size + "WAVE" + chunks; the size is the true one unless riffSizeOverride >= 0.
QByteArray Riff(const QByteArray& chunks, int64_t riffSizeOverride = -1);

// The PCM format of these channels, rate and bits.
WaveFormatEx Format(uint16_t channels, uint32_t rate, uint16_t bits);

// A plain PCM file: fmt then data.
QByteArray PcmWav(uint16_t channels, uint32_t rate, uint16_t bits, const QByteArray& samples);

// A message of ms milliseconds (8 kHz, 8-bit mono unless chosen otherwise): a square tone.
QByteArray ToneWav(int ms, int channels = 1, int bits = 8, int rate = 8000);

// Samples of a sine (16-bit signed or 8-bit unsigned), interleaved over the channels.
QByteArray Sine(uint16_t channels, uint32_t rate, uint16_t bits, int frames, double hz,
                double amplitude = 0.5);

// The body of the first chunk with this identifier, read as stored; empty when there is none.
QByteArray ChunkOf(const QByteArray& wav, const char* id);

// The bytes of the file's data chunk, read with the program's own WAV reader; empty when the
// file cannot be read.
QByteArray Samples(const QString& path);

} // namespace wavwriter
