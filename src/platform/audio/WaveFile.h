#pragma once

#include "platform/audio/Mmio.h"
#include "platform/audio/WaveOut.h"

#include <QByteArray>
#include <QString>

// Reads the format and the sample data of a RIFF WAVE file: the "fmt " chunk, then the first
// "data" chunk after it. Files with a format chunk shorter than 16 bytes, no channels, no
// block size, or a data chunk larger than maxBytes (or than the file holds) are refused.
bool ReadWaveFile(Mmio& mmio, const QString& path, WaveFormatEx* format, QByteArray* data,
                  uint32_t maxBytes = 64u * 1024u * 1024u);
