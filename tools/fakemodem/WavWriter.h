#pragma once

#include <QByteArray>
#include <QString>

// Writes 8-bit mono audio as a WAV file: unsigned PCM (format tag 1) or mu-law (format tag 7).
// The file is replaced atomically, so a reader never sees it half written.
bool WriteWav(const QString& path, const QByteArray& samples, bool muLaw, int sampleRate,
              QString* error);
