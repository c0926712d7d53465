#include "platform/audio/Mmio.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

constexpr FourCC MakeFourCC(char a, char b, char c, char d) {
    return static_cast<FourCC>(static_cast<uint8_t>(a)) |
           (static_cast<FourCC>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<FourCC>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<FourCC>(static_cast<uint8_t>(d)) << 24);
}

constexpr FourCC kRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr FourCC kList = MakeFourCC('L', 'I', 'S', 'T');

uint32_t LittleEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

FourCC mmioStringToFOURCC(const char* text, uint32_t /*flags*/) {
    char c[4] = {' ', ' ', ' ', ' '};
    if (text) {
        for (int i = 0; i < 4 && text[i] != '\0'; ++i)
            c[i] = text[i];
    }
    return MakeFourCC(c[0], c[1], c[2], c[3]);
}

struct FileMmio::OpenFile {
    QFile file;
    qint64 size = 0;
};

FileMmio::FileMmio() = default;
FileMmio::~FileMmio() = default;

FileMmio::OpenFile* FileMmio::find(MmioHandle h) {
    auto it = m_files.find(h);
    return it == m_files.end() ? nullptr : it->second.get();
}

MmioHandle FileMmio::mmioOpen(const QString& path, MmioInfo* info, uint32_t /*flags*/) {
    auto f = std::make_unique<OpenFile>();
    f->file.setFileName(path);
    if (path.isEmpty() || !f->file.open(QIODevice::ReadOnly)) {
        if (info) {
            info->wErrorRet = !path.isEmpty() && QFileInfo::exists(path)
                                  ? mmio::MMIOERR_ACCESSDENIED
                                  : mmio::MMIOERR_FILENOTFOUND;
        }
        return 0;
    }
    f->size = f->file.size();
    const MmioHandle h = m_next++;
    m_files.emplace(h, std::move(f));
    return h;
}

uint32_t FileMmio::mmioDescend(MmioHandle h, MmckInfo* ck, const MmckInfo* parent, uint32_t flags) {
    OpenFile* f = find(h);
    if (!f || !ck)
        return mmio::MMSYSERR_INVALHANDLE;

    // Chunks are searched only inside the parent, and never beyond the end of the file.
    qint64 limit = f->size;
    if (parent) {
        const qint64 parentEnd =
            static_cast<qint64>(parent->dwDataOffset) + static_cast<qint64>(parent->cksize);
        limit = std::min(limit, parentEnd);
    }
    const FourCC wantId = ck->ckid;
    const FourCC wantType = ck->fccType;

    qint64 pos = f->file.pos();
    for (;;) {
        if (pos + 8 > limit || !f->file.seek(pos))
            return mmio::MMIOERR_CHUNKNOTFOUND;
        unsigned char header[8];
        if (f->file.read(reinterpret_cast<char*>(header), 8) != 8)
            return mmio::MMIOERR_CHUNKNOTFOUND;
        const FourCC id = LittleEndian32(header);
        uint32_t size = LittleEndian32(header + 4);
        const qint64 dataOffset = pos + 8;
        const bool isForm = id == kRiff || id == kList;
        if (dataOffset > 0xFFFFFFFFLL)
            return mmio::MMIOERR_CHUNKNOTFOUND;
        // Recorders that stream their output leave a placeholder (such as all ones) in the
        // RIFF and data sizes when they cannot go back to fill them in; such a chunk simply
        // runs to the end of what is there.
        if (dataOffset + static_cast<qint64>(size) > limit)
            size = static_cast<uint32_t>(limit - dataOffset);

        FourCC type = 0;
        if (isForm) {
            unsigned char t[4];
            if (size < 4 || f->file.read(reinterpret_cast<char*>(t), 4) != 4)
                return mmio::MMIOERR_CHUNKNOTFOUND;
            type = LittleEndian32(t);
        }

        bool match = false;
        switch (flags & (mmio::MMIO_FINDCHUNK | mmio::MMIO_FINDRIFF | mmio::MMIO_FINDLIST)) {
        case mmio::MMIO_FINDCHUNK:
            match = id == wantId;
            break;
        case mmio::MMIO_FINDRIFF:
            match = id == kRiff && type == wantType;
            break;
        case mmio::MMIO_FINDLIST:
            match = id == kList && type == wantType;
            break;
        default:
            match = true; // take the chunk at the current position
            break;
        }
        if (match) {
            ck->ckid = id;
            ck->cksize = size;
            ck->fccType = type;
            ck->dwDataOffset = static_cast<uint32_t>(dataOffset);
            ck->dwFlags = 0;
            return mmio::MMSYSERR_NOERROR;
        }
        if (flags == 0)
            return mmio::MMIOERR_CHUNKNOTFOUND;
        pos = dataOffset + size + (size & 1u);
    }
}

int32_t FileMmio::mmioRead(MmioHandle h, char* buffer, int32_t size) {
    OpenFile* f = find(h);
    if (!f || size < 0 || (!buffer && size > 0))
        return -1;
    const qint64 got = f->file.read(buffer, size);
    return got < 0 ? -1 : static_cast<int32_t>(got);
}

uint32_t FileMmio::mmioAscend(MmioHandle h, MmckInfo* ck, uint32_t /*flags*/) {
    OpenFile* f = find(h);
    if (!f || !ck)
        return mmio::MMSYSERR_INVALHANDLE;
    const qint64 end = static_cast<qint64>(ck->dwDataOffset) + ck->cksize + (ck->cksize & 1u);
    return f->file.seek(end) ? mmio::MMSYSERR_NOERROR : mmio::MMIOERR_CANNOTSEEK;
}

uint32_t FileMmio::mmioClose(MmioHandle h, uint32_t /*flags*/) {
    return m_files.erase(h) != 0 ? mmio::MMSYSERR_NOERROR : mmio::MMSYSERR_INVALHANDLE;
}
