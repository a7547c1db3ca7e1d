#include "engine/AniFrameStream.h"

#include "engine/AniFrame.h"
#include "engine/ByteReader.h"

#include <vector>

std::string SkillAnimationPath(const char* fileName) {
    return std::string(".\\skill\\") + (fileName ? fileName : "");
}

AniFrameStream::AniFrameStream(const char* fileName) {
    file = platform::_lopen(fileName, platform::OF_READ);
    if (file == platform::HFILE_ERROR) return;
    uint8_t head[12];
    if (platform::_lread(file, head, sizeof head) != sizeof head) {
        platform::_lclose(file);
        file = platform::HFILE_ERROR;
        return;
    }
    ByteReader in(head, sizeof head);
    count = in.u32(); // the header's width and height are not used
}

AniFrameStream::~AniFrameStream() {
    if (file != platform::HFILE_ERROR) platform::_lclose(file);
}

bool AniFrameStream::ReadHeader(int32_t (&header)[4]) {
    if (file == platform::HFILE_ERROR || read >= count) return false;
    uint8_t bytes[16];
    if (platform::_lread(file, bytes, sizeof bytes) != sizeof bytes) return false;
    ByteReader in(bytes, sizeof bytes);
    for (int32_t& v : header)
        v = in.i32();
    const int32_t w = header[2], h = header[3];
    return w > 0 && h > 0 && w <= kMaxAniFrameSide && h <= kMaxAniFrameSide;
}

bool AniFrameStream::Skip(uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        int32_t header[4];
        if (!ReadHeader(header)) return false;
        const int64_t body = int64_t(header[2]) * header[3] * 3;
        if (platform::_llseek(file, int32_t(body), platform::FILE_CURRENT) < 0) return false;
        ++read;
    }
    return true;
}

AniFrame* AniFrameStream::Next() {
    int32_t header[4];
    if (!ReadHeader(header)) return nullptr;
    const size_t body = size_t(header[2]) * size_t(header[3]) * 3;
    std::vector<uint8_t> bytes(16 + body);
    for (int k = 0; k < 4; ++k)
        for (int b = 0; b < 4; ++b)
            bytes[size_t(k) * 4 + b] = uint8_t(uint32_t(header[k]) >> (8 * b));
    if (platform::_lread(file, bytes.data() + 16, uint32_t(body)) != body) return nullptr;
    ++read;
    ByteReader in(bytes.data(), bytes.size());
    return ReadAniFrameRecord(in);
}
