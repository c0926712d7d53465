#include "WavWriter.h"

#include <QSaveFile>

namespace {

void putU16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xff));
    out.append(char(v >> 8));
}

void putU32(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xff));
}

} // namespace

bool WriteWav(const QString& path, const QByteArray& samples, bool muLaw, int sampleRate,
              QString* error) {
    const auto dataSize = quint32(samples.size());
    QByteArray fmt;
    putU16(fmt, muLaw ? 7 : 1);
    putU16(fmt, 1); // mono
    putU32(fmt, quint32(sampleRate));
    putU32(fmt, quint32(sampleRate)); // one byte per sample
    putU16(fmt, 1);                   // block align
    putU16(fmt, 8);                   // bits per sample
    if (muLaw)
        putU16(fmt, 0); // non-PCM formats carry an (empty) extension size

    QByteArray body = "WAVE";
    body += "fmt ";
    putU32(body, quint32(fmt.size()));
    body += fmt;
    if (muLaw) {
        body += "fact";
        putU32(body, 4);
        putU32(body, dataSize);
    }
    body += "data";
    putU32(body, dataSize);
    body += samples;
    if (dataSize % 2)
        body.append('\0'); // chunks are word aligned

    QByteArray file = "RIFF";
    putU32(file, quint32(body.size()));
    file += body;

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
