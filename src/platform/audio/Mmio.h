#pragma once

#include <QString>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>

// RIFF chunk reading shaped like the mmio functions: open a file, descend into a chunk found
// by identifier (searching forward from the current position, inside the parent chunk), read
// from the chunk, ascend to the end of the chunk, close. Results are 0 on success.

using FourCC = uint32_t;
using MmioHandle = uintptr_t;

// MMCKINFO: one chunk as found by mmioDescend.
struct MmckInfo {
    FourCC ckid = 0;           // chunk identifier
    uint32_t cksize = 0;       // size of the chunk's data (not counting the 8-byte header)
    FourCC fccType = 0;        // form type of a RIFF or LIST chunk
    uint32_t dwDataOffset = 0; // file offset of the chunk's data
    uint32_t dwFlags = 0;
};

// MMIOINFO: callers pass it zero-filled; only the error field is filled in by mmioOpen.
struct MmioInfo {
    uint32_t dwFlags = 0;
    uint32_t wErrorRet = 0;
};

namespace mmio {
constexpr uint32_t MMIO_READ = 0x0;
constexpr uint32_t MMIO_FINDCHUNK = 0x10;
constexpr uint32_t MMIO_FINDRIFF = 0x20;
constexpr uint32_t MMIO_FINDLIST = 0x40;

constexpr uint32_t MMSYSERR_NOERROR = 0;
constexpr uint32_t MMSYSERR_INVALHANDLE = 5;
constexpr uint32_t MMIOERR_FILENOTFOUND = 257;
constexpr uint32_t MMIOERR_CANNOTREAD = 261;
constexpr uint32_t MMIOERR_CANNOTSEEK = 263;
constexpr uint32_t MMIOERR_CHUNKNOTFOUND = 265;
constexpr uint32_t MMIOERR_ACCESSDENIED = 268;
} // namespace mmio

// mmioStringToFOURCC: up to four characters, padded with blanks ("fmt" -> "fmt ").
FourCC mmioStringToFOURCC(const char* text, uint32_t flags = 0);

class Mmio {
public:
    virtual ~Mmio() = default;
    // Returns 0 when the file cannot be opened; info->wErrorRet (if info is given) then says
    // whether there is no such file or it exists but cannot be opened.
    virtual MmioHandle mmioOpen(const QString& path, MmioInfo* info, uint32_t flags) = 0;
    // With MMIO_FINDRIFF / MMIO_FINDLIST ck->fccType names the wanted form type, with
    // MMIO_FINDCHUNK ck->ckid names the wanted chunk; flags 0 takes the chunk at the current
    // position. A chunk whose declared size reaches past its parent (or the end of the file)
    // runs to the end of what is there, as after a streaming recorder that never went back to
    // fill in its sizes: callers may trust cksize as the number of bytes that can be read.
    virtual uint32_t mmioDescend(MmioHandle h, MmckInfo* ck, const MmckInfo* parent,
                                 uint32_t flags) = 0;
    // Reads up to size bytes at the current position; returns the count read (0 at the end of
    // the file) or -1 on error.
    virtual int32_t mmioRead(MmioHandle h, char* buffer, int32_t size) = 0;
    // Moves to the end of the chunk (past its pad byte when its size is odd).
    virtual uint32_t mmioAscend(MmioHandle h, MmckInfo* ck, uint32_t flags) = 0;
    virtual uint32_t mmioClose(MmioHandle h, uint32_t flags) = 0;
};

// Mmio over files on disk.
class FileMmio : public Mmio {
public:
    FileMmio();
    ~FileMmio() override;
    MmioHandle mmioOpen(const QString& path, MmioInfo* info, uint32_t flags) override;
    uint32_t mmioDescend(MmioHandle h, MmckInfo* ck, const MmckInfo* parent,
                         uint32_t flags) override;
    int32_t mmioRead(MmioHandle h, char* buffer, int32_t size) override;
    uint32_t mmioAscend(MmioHandle h, MmckInfo* ck, uint32_t flags) override;
    uint32_t mmioClose(MmioHandle h, uint32_t flags) override;

    int openFileCount() const { return static_cast<int>(m_files.size()); }

private:
    struct OpenFile;
    OpenFile* find(MmioHandle h);

    std::map<MmioHandle, std::unique_ptr<OpenFile>> m_files;
    MmioHandle m_next = 1;
};
