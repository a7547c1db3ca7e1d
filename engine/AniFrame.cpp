#include "engine/AniFrame.h"

#include "engine/ByteReader.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStoreFiles.h"
#include "platform/Surface.h"

#include <algorithm>
#include <vector>

void FreeAniFrame(AniFrame* frame) {
    if (!frame) return;
    if (frame->maskBlock) {
        platform::GlobalUnlock(frame->maskBlock);
        platform::GlobalFree(frame->maskBlock);
    }
    if (frame->pixelBlock) {
        platform::GlobalUnlock(frame->pixelBlock);
        platform::GlobalFree(frame->pixelBlock);
    }
    delete frame;
}

AniFrame* ReadAniFrameRecord(ByteReader& in) {
    const int32_t x = in.i32();
    const int32_t y = in.i32();
    const int32_t w = in.i32();
    const int32_t h = in.i32();
    if (!in.ok() || w <= 0 || h <= 0 || w > kMaxAniFrameSide || h > kMaxAniFrameSide) return nullptr;
    const size_t count = size_t(w) * size_t(h);
    if (!in.has(count * 3)) return nullptr;

    auto* frame = new AniFrame;
    frame->xOffset = x;
    frame->yOffset = y;
    frame->width = w;
    frame->height = h;
    frame->pixelBlock = platform::GlobalAlloc(platform::GHND, count * 2);
    frame->maskBlock = platform::GlobalAlloc(platform::GHND, count);
    frame->pixels = static_cast<uint16_t*>(platform::GlobalLock(frame->pixelBlock));
    frame->mask = static_cast<uint8_t*>(platform::GlobalLock(frame->maskBlock));
    if (!frame->pixels || !frame->mask) {
        FreeAniFrame(frame);
        return nullptr;
    }
    for (size_t i = 0; i < count; ++i)
        frame->pixels[i] = in.u16();
    in.bytes(frame->mask, count);
    if (PixelFormat == 555) ConvertRgb565To555(frame->pixels, w, h);
    return frame;
}

AniFrame* DecodeAniFrame(std::span<const uint8_t> file, int n) {
    ByteReader in(file);
    const uint32_t count = in.u32();
    const uint32_t w = in.u32();
    const uint32_t h = in.u32();
    if (!in.ok() || n < 0 || uint32_t(n) >= count) return nullptr;
    const uint64_t stride = uint64_t(w) * h * 3 + 16;
    const uint64_t at = 12 + uint64_t(n) * stride;
    if (at > file.size()) return nullptr;
    in.seek(size_t(at));
    return ReadAniFrameRecord(in);
}

AniFrame* LoadAniFrameFile(const char* name, int n) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(name, bytes)) return nullptr;
    return DecodeAniFrame(bytes, n);
}

void DrawAniFrameBits(const AniFrame* frame, int x, int y, uint16_t* bits, int pitchBytes, int areaWidth,
                      int areaHeight, bool blend) {
    if (!frame || !bits || !frame->pixels || !frame->mask) return;
    const int w = frame->width;
    const int h = frame->height;
    // Rows and columns whose source lies outside the blocks or whose target lies outside the area
    // are left out; inside, the pixels are those of the frame's full-size walk from its offsets.
    // Offsets and positions come from files and callers: bound them in 64 bits.
    const int64_t xo = frame->xOffset, yo = frame->yOffset;
    const int64_t r0 = std::max<int64_t>({0, -yo, -int64_t(y)});
    const int64_t r1 = std::min<int64_t>({h, h - yo, int64_t(areaHeight) - y});
    const int64_t c0 = std::max<int64_t>({0, -xo, -int64_t(x)});
    const int64_t c1 = std::min<int64_t>({w, w - xo, int64_t(areaWidth) - x});
    if (r0 >= r1 || c0 >= c1) return;

    auto* base = reinterpret_cast<uint8_t*>(bits);
    for (int64_t r = r0; r < r1; ++r) {
        auto* out = reinterpret_cast<uint16_t*>(base + ptrdiff_t(y + r) * pitchBytes);
        const ptrdiff_t row = ptrdiff_t(r + yo) * w + xo;
        for (int64_t c = c0; c < c1; ++c) {
            const uint16_t s = frame->pixels[row + c];
            const uint8_t m = frame->mask[row + c];
            uint16_t& d = out[x + c];
            if (!blend || m == 0) {
                if (s != 0) d = s;
            } else if (m == 255) {
                d = s;
            } else {
                d = BlendPixel16(d, s, m);
            }
        }
    }
}

void DrawAniFrameOnSurface(const AniFrame* frame, int x, int y, platform::Surface* surface, bool blend) {
    if (!frame || !surface) return;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return;
    DrawAniFrameBits(frame, x, y, static_cast<uint16_t*>(desc.lpSurface), desc.lPitch, int(desc.dwWidth),
                     int(desc.dwHeight), blend);
    surface->Unlock(nullptr);
}
