#include "Program/Bmp16File.h"

#include "engine/ByteReader.h"
#include "platform/Files.h"

#include <vector>

bool WriteBmp16(int32_t width, int32_t height, const char* fileName, const uint16_t* pixels) {
    if (width <= 0 || height <= 0 || !fileName || !pixels) return false;
    const uint64_t rowBytes = uint64_t(width) * 2 + ((width & 1) ? 2 : 0);
    if (uint64_t(width) * uint64_t(height) * 2 + 54 > 0xFFFFFFFFull) return false;
    ByteWriter header;
    header.u8('B');
    header.u8('M');
    header.u32(uint32_t(width) * uint32_t(height) * 2 + 54);
    header.u32(0);
    header.u32(54);
    header.u32(40);
    header.i32(width);
    header.i32(height);
    header.u16(1);
    header.u16(16);
    header.u32(0);
    header.u32(0);
    header.u32(2834);
    header.u32(2834);
    header.u32(0);
    header.u32(0);
    platform::AtomicFile file(fileName);
    if (file.handle() == platform::HFILE_ERROR) return false;
    if (platform::_lwrite(file.handle(), header.buffer().data(), uint32_t(header.size())) != header.size())
        return false;
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint16_t* src = pixels + size_t(y) * size_t(width);
        for (int32_t x = 0; x < width; ++x) {
            row[size_t(x) * 2] = uint8_t(src[x]);
            row[size_t(x) * 2 + 1] = uint8_t(src[x] >> 8);
        }
        if (width & 1) {
            row[size_t(width) * 2] = uint8_t(src[0]);
            row[size_t(width) * 2 + 1] = uint8_t(src[0] >> 8);
        }
        if (platform::_lwrite(file.handle(), row.data(), uint32_t(row.size())) != row.size()) return false;
    }
    return file.Commit();
}
