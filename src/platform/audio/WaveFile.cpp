#include "platform/audio/WaveFile.h"

#include <cstdint>
#include <new>

QString WaveFileErrorText(WaveFileError error) {
    switch (error) {
    case WaveFileError::None:
        break;
    case WaveFileError::Missing:
        return QStringLiteral("the file is missing");
    case WaveFileError::Unreadable:
        return QStringLiteral("the file cannot be read (check its permissions)");
    case WaveFileError::NotWave:
        return QStringLiteral("it is not a WAV sound file");
    case WaveFileError::Damaged:
        return QStringLiteral("the WAV file is damaged or incomplete");
    case WaveFileError::TooLarge:
        return QStringLiteral("the file is too large");
    case WaveFileError::OutOfMemory:
        return QStringLiteral("there is not enough memory to load it");
    case WaveFileError::Unsupported:
        return QStringLiteral("its sound format cannot be played (save it as PCM WAV, 8 or 16 "
                              "bit, mono or stereo)");
    case WaveFileError::Empty:
        return QStringLiteral("it holds no sound");
    }
    return {};
}

WaveFileError ReadWaveFile(Mmio& mmio, const QString& path, WaveFormatEx* format,
                           std::vector<uint8_t>* data, uint32_t maxBytes) {
    if (!format || !data)
        return WaveFileError::Unreadable;
    MmioInfo info;
    const MmioHandle h = mmio.mmioOpen(path, &info, mmio::MMIO_READ);
    if (h == 0) {
        return info.wErrorRet == mmio::MMIOERR_FILENOTFOUND ? WaveFileError::Missing
                                                            : WaveFileError::Unreadable;
    }
    struct Closer {
        Mmio& m;
        MmioHandle h;
        ~Closer() { m.mmioClose(h, 0); }
    } closer{mmio, h};

    MmckInfo riff;
    riff.fccType = mmioStringToFOURCC("WAVE");
    if (mmio.mmioDescend(h, &riff, nullptr, mmio::MMIO_FINDRIFF) != 0)
        return WaveFileError::NotWave;
    MmckInfo ck;
    ck.ckid = mmioStringToFOURCC("fmt");
    if (mmio.mmioDescend(h, &ck, &riff, mmio::MMIO_FINDCHUNK) != 0 || ck.cksize < 16)
        return WaveFileError::Damaged;
    WaveFormatEx f;
    const int32_t got = mmio.mmioRead(h, reinterpret_cast<char*>(&f), sizeof f);
    if (got < 16)
        return WaveFileError::Unreadable;
    // Without channels or a block size the data cannot be counted in frames or played.
    if (f.nChannels == 0 || f.nBlockAlign == 0)
        return WaveFileError::Damaged;
    mmio.mmioAscend(h, &ck, 0);

    ck = MmckInfo();
    ck.ckid = mmioStringToFOURCC("data");
    if (mmio.mmioDescend(h, &ck, &riff, mmio::MMIO_FINDCHUNK) != 0)
        return WaveFileError::Damaged;
    if (ck.cksize > maxBytes || ck.cksize > uint32_t(INT32_MAX))
        return WaveFileError::TooLarge;
    std::vector<uint8_t> bytes;
    try {
        bytes.assign(ck.cksize, 0);
    } catch (const std::bad_alloc&) {
        return WaveFileError::OutOfMemory;
    }
    if (mmio.mmioRead(h, reinterpret_cast<char*>(bytes.data()), static_cast<int32_t>(ck.cksize)) !=
        static_cast<int32_t>(ck.cksize))
        return WaveFileError::Unreadable;
    *format = f;
    *data = std::move(bytes);
    return WaveFileError::None;
}
