#pragma once

#include "platform/audio/Mmio.h"
#include "platform/audio/WaveOut.h"

#include <QString>

#include <cstdint>
#include <vector>

// Why a sound file cannot be played. The reader reports the first group; the last two come
// from playing a file that did read: a device that refuses its format, or a data chunk
// without a single sample.
enum class WaveFileError {
    None,
    Missing,     // no file at the path
    Unreadable,  // there, but it cannot be opened or read
    NotWave,     // not a RIFF WAVE file
    Damaged,     // a WAVE file without a usable format or data chunk
    TooLarge,    // more sample data than the caller accepts
    OutOfMemory, // the sample data does not fit in memory
    Unsupported, // a sample format the output cannot play
    Empty,       // no samples at all
};

// What is wrong with the file, in words for the call log ("the file is missing").
QString WaveFileErrorText(WaveFileError error);

// Reads the format and the sample data of a RIFF WAVE file: the "fmt " chunk, then the first
// "data" chunk after it. The format is read as 18 bytes even from a 16-byte chunk, so cbSize
// then holds the two bytes after the chunk; PCM never looks at it. A format without channels
// or block size is refused. Sizes that claim more than the file holds (the placeholders
// streaming recorders leave) give what the file holds. On failure format and data are left
// as they were.
WaveFileError ReadWaveFile(Mmio& mmio, const QString& path, WaveFormatEx* format,
                           std::vector<uint8_t>* data, uint32_t maxBytes = 64u * 1024u * 1024u);
