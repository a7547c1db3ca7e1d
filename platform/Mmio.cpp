#include "platform/Mmio.h"

#include "platform/MediaFileName.h"

#include <cstdio>
#include <cstring>

namespace platform {

struct MmioFile {
    FILE* file = nullptr;
    const uint8_t* memory = nullptr;
    uint64_t size = 0;
    uint64_t pos = 0;

    // Copies up to n bytes at pos; returns the count.
    uint64_t ReadAt(uint64_t at, void* out, uint64_t n) {
        if (at >= size) return 0;
        if (n > size - at) n = size - at;
        if (memory) {
            std::memcpy(out, memory + at, n);
            return n;
        }
        if (std::fseek(file, static_cast<long>(at), SEEK_SET) != 0) return 0;
        return std::fread(out, 1, n, file);
    }
};

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Reads the chunk header at the current position; a RIFF or LIST chunk also gives its form type.
bool ReadHeader(HMMIO f, MMCKINFO* ck) {
    uint8_t head[8];
    if (f->ReadAt(f->pos, head, 8) != 8) return false;
    ck->ckid = Le32(head);
    ck->cksize = Le32(head + 4);
    ck->dwFlags = 0;
    ck->fccType = 0;
    uint64_t data = f->pos + 8;
    if (data > UINT32_MAX) return false;
    ck->dwDataOffset = static_cast<uint32_t>(data);
    f->pos = data;
    if (ck->ckid == FOURCC_RIFF || ck->ckid == FOURCC_LIST) {
        uint8_t type[4];
        if (f->ReadAt(f->pos, type, 4) != 4) return false;
        ck->fccType = Le32(type);
        f->pos += 4;
    }
    return true;
}

uint64_t ChunkEnd(const MMCKINFO& ck) {
    uint64_t end = static_cast<uint64_t>(ck.dwDataOffset) + ck.cksize;
    return end + (end & 1);
}

} // namespace

HMMIO mmioOpen(const char* fileName, MMIOINFO* info, uint32_t) {
    auto* f = new MmioFile;
    if (info && info->fccIOProc == FOURCC_MEM) {
        if (!info->pchBuffer || info->cchBuffer < 0) {
            info->wErrorRet = MMIOERR_INVALIDFILE;
            delete f;
            return nullptr;
        }
        f->memory = reinterpret_cast<const uint8_t*>(info->pchBuffer);
        f->size = static_cast<uint64_t>(info->cchBuffer);
        return f;
    }
    std::string path = ResolveMediaFileName(fileName);
    f->file = std::fopen(path.c_str(), "rb");
    if (!f->file || std::fseek(f->file, 0, SEEK_END) != 0) {
        if (f->file) std::fclose(f->file);
        if (info) info->wErrorRet = MMIOERR_FILENOTFOUND;
        delete f;
        return nullptr;
    }
    long end = std::ftell(f->file);
    f->size = end > 0 ? static_cast<uint64_t>(end) : 0;
    return f;
}

MMRESULT mmioClose(HMMIO f, uint32_t) {
    if (!f) return MMIOERR_INVALIDFILE;
    if (f->file) std::fclose(f->file);
    delete f;
    return MMSYSERR_NOERROR;
}

int32_t mmioRead(HMMIO f, void* buffer, int32_t count) {
    if (!f || count < 0 || (!buffer && count)) return -1;
    uint64_t n = f->ReadAt(f->pos, buffer, static_cast<uint64_t>(count));
    f->pos += n;
    return static_cast<int32_t>(n);
}

int32_t mmioSeek(HMMIO f, int32_t offset, int origin) {
    if (!f) return -1;
    int64_t base = origin == SEEK_CUR_   ? static_cast<int64_t>(f->pos)
                   : origin == SEEK_END_ ? static_cast<int64_t>(f->size)
                                         : 0;
    int64_t to = base + offset;
    if (to < 0 || to > INT32_MAX) return -1;
    f->pos = static_cast<uint64_t>(to);
    return static_cast<int32_t>(to);
}

MMRESULT mmioDescend(HMMIO f, MMCKINFO* ck, const MMCKINFO* parent, uint32_t flags) {
    if (!f || !ck) return MMIOERR_INVALIDFILE;
    uint64_t limit = parent ? ChunkEnd(*parent) : f->size;
    if (limit > f->size) limit = f->size;
    FOURCC wantId = ck->ckid;
    FOURCC wantType = ck->fccType;
    if (flags & MMIO_FINDRIFF) wantId = FOURCC_RIFF;
    if (flags & MMIO_FINDLIST) wantId = FOURCC_LIST;
    bool search = (flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST)) != 0;
    for (;;) {
        if (f->pos + 8 > limit) return MMIOERR_CHUNKNOTFOUND;
        MMCKINFO found;
        if (!ReadHeader(f, &found)) return MMIOERR_CHUNKNOTFOUND;
        bool match =
            !search || (found.ckid == wantId && ((flags & MMIO_FINDCHUNK) || found.fccType == wantType));
        if (match) {
            *ck = found;
            return MMSYSERR_NOERROR;
        }
        f->pos = ChunkEnd(found);
    }
}

MMRESULT mmioAscend(HMMIO f, MMCKINFO* ck, uint32_t) {
    if (!f || !ck) return MMIOERR_INVALIDFILE;
    f->pos = ChunkEnd(*ck);
    return MMSYSERR_NOERROR;
}

} // namespace platform
