#pragma once

#include <cstdint>

// Buffered RIFF file reading in the WinMM mmio manner, from a file or from memory.
namespace platform {

using FOURCC = uint32_t;
using MMRESULT = uint32_t;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');

constexpr uint32_t MMIO_READ = 0x00000000;
constexpr uint32_t MMIO_ALLOCBUF = 0x00010000;
constexpr uint32_t MMIO_FINDCHUNK = 0x0010;
constexpr uint32_t MMIO_FINDRIFF = 0x0020;
constexpr uint32_t MMIO_FINDLIST = 0x0040;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMIOERR_FILENOTFOUND = 257;
constexpr MMRESULT MMIOERR_CANNOTREAD = 261;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;
constexpr MMRESULT MMIOERR_INVALIDFILE = 272;

constexpr int SEEK_SET_ = 0;
constexpr int SEEK_CUR_ = 1;
constexpr int SEEK_END_ = 2;

struct MMCKINFO {
    FOURCC ckid = 0;
    uint32_t cksize = 0;
    FOURCC fccType = 0;
    uint32_t dwDataOffset = 0;
    uint32_t dwFlags = 0;
};

// Only the fields used here: a memory file is fccIOProc FOURCC_MEM with pchBuffer and cchBuffer.
struct MMIOINFO {
    uint32_t dwFlags = 0;
    FOURCC fccIOProc = 0;
    MMRESULT wErrorRet = 0;
    int32_t cchBuffer = 0;
    const char* pchBuffer = nullptr;
};

struct MmioFile;
using HMMIO = MmioFile*;

HMMIO mmioOpen(const char* fileName, MMIOINFO* info, uint32_t flags);
MMRESULT mmioClose(HMMIO file, uint32_t flags);
// Reads from the current position; the read does not stop at a chunk's end. Returns the bytes
// read (short at the end of the file), or -1 on an error.
int32_t mmioRead(HMMIO file, void* buffer, int32_t count);
int32_t mmioSeek(HMMIO file, int32_t offset, int origin);
MMRESULT mmioDescend(HMMIO file, MMCKINFO* chunk, const MMCKINFO* parent, uint32_t flags);
MMRESULT mmioAscend(HMMIO file, MMCKINFO* chunk, uint32_t flags);

} // namespace platform
