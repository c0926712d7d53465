#include "platform/audio/WaveFile.h"

#include <algorithm>
#include <cstring>

bool ReadWaveFile(Mmio& mmio, const QString& path, WaveFormatEx* format, QByteArray* data,
                  uint32_t maxBytes) {
    if (!format || !data)
        return false;
    MmioInfo info;
    const MmioHandle h = mmio.mmioOpen(path, &info, mmio::MMIO_READ);
    if (h == 0)
        return false;
    struct Closer {
        Mmio& m;
        MmioHandle h;
        ~Closer() { m.mmioClose(h, 0); }
    } closer{mmio, h};

    MmckInfo riff;
    riff.fccType = mmioStringToFOURCC("WAVE");
    if (mmio.mmioDescend(h, &riff, nullptr, mmio::MMIO_FINDRIFF) != 0)
        return false;
    MmckInfo ck;
    ck.ckid = mmioStringToFOURCC("fmt");
    if (mmio.mmioDescend(h, &ck, &riff, mmio::MMIO_FINDCHUNK) != 0 || ck.cksize < 16)
        return false;
    WaveFormatEx f;
    const int32_t want = static_cast<int32_t>(std::min<uint32_t>(ck.cksize, sizeof f));
    if (mmio.mmioRead(h, reinterpret_cast<char*>(&f), want) != want)
        return false;
    if (ck.cksize < sizeof f)
        f.cbSize = 0;
    if (f.nChannels == 0 || f.nBlockAlign == 0)
        return false;
    mmio.mmioAscend(h, &ck, 0);

    ck = MmckInfo();
    ck.ckid = mmioStringToFOURCC("data");
    if (mmio.mmioDescend(h, &ck, &riff, mmio::MMIO_FINDCHUNK) != 0 || ck.cksize > maxBytes)
        return false;
    QByteArray bytes(static_cast<qsizetype>(ck.cksize), Qt::Uninitialized);
    if (mmio.mmioRead(h, bytes.data(), static_cast<int32_t>(ck.cksize)) !=
        static_cast<int32_t>(ck.cksize))
        return false;
    *format = f;
    *data = std::move(bytes);
    return true;
}
