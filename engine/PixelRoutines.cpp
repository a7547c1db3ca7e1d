#include "engine/PixelRoutines.h"

#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kOutlineMaxWidth = 1024;
constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;

inline uint16_t* rowOf(const PixelBuffer16& b, int y) {
    return b.pixels + static_cast<ptrdiff_t>(y) * b.pitch;
}

// Cuts a width x height copy from (sx, sy) to (dx, dy) to both blocks; false when nothing is left.
bool clipCopy(int& dx, int& dy, int dstW, int dstH, int& sx, int& sy, int srcW, int srcH, int& w, int& h) {
    if (w <= 0 || h <= 0) return false;
    int cut = std::max({0, -dx, -sx});
    dx += cut;
    sx += cut;
    w -= cut;
    cut = std::max({0, -dy, -sy});
    dy += cut;
    sy += cut;
    h -= cut;
    w = std::min({w, dstW - dx, srcW - sx});
    h = std::min({h, dstH - dy, srcH - sy});
    return w > 0 && h > 0;
}

// The pixels of a locked surface as a block.
PixelBuffer16 lockedPixels(const platform::DDSURFACEDESC2& desc) {
    return {static_cast<uint16_t*>(desc.lpSurface), desc.lPitch / 2, static_cast<int>(desc.dwWidth),
            static_cast<int>(desc.dwHeight)};
}

int surfaceLayout(const platform::DDSURFACEDESC2& desc) {
    return desc.ddpfPixelFormat.dwGBitMask == 0x03E0 ? platform::kLayout555 : platform::kLayout565;
}

inline int blendComponent(int d, int s, int alpha) {
    return (d * (256 - alpha) + s * alpha) / 256;
}

uint16_t blend(uint16_t d, uint16_t s, int alpha, int layout) {
    if (layout == platform::kLayout555) {
        int r = blendComponent((d >> 10) & 31, (s >> 10) & 31, alpha);
        int g = blendComponent((d >> 5) & 31, (s >> 5) & 31, alpha);
        int b = blendComponent(d & 31, s & 31, alpha);
        return static_cast<uint16_t>(r << 10 | g << 5 | b);
    }
    int r = blendComponent(d >> 11, s >> 11, alpha);
    int g = blendComponent((d >> 5) & 63, (s >> 5) & 63, alpha);
    int b = blendComponent(d & 31, s & 31, alpha);
    return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

} // namespace

void FillPixels16(uint16_t* out, uint16_t value, int count) {
    if (!out || count <= 0) return;
    std::fill_n(out, count, value);
}

void CopyPixels16(uint16_t* out, const uint16_t* in, int count) {
    if (!out || !in || count <= 0) return;
    std::memmove(out, in, static_cast<size_t>(count) * 2);
}

void BlitColorKeyed16(const PixelBuffer16& out, int x, int y, const ConstPixelBuffer16& in, int inX, int inY,
                      int width, int height) {
    if (!out.pixels || !in.pixels) return;
    if (!clipCopy(x, y, out.width, out.height, inX, inY, in.width, in.height, width, height)) return;
    for (int r = 0; r < height; ++r) {
        const uint16_t* s = in.pixels + static_cast<ptrdiff_t>(inY + r) * in.pitch + inX;
        uint16_t* d = rowOf(out, y + r) + x;
        for (int c = 0; c < width; ++c)
            if (s[c] != 0) d[c] = s[c];
    }
}

void BlitIndexed16(const PixelBuffer16& out, int x, int y, const PixelBuffer8& in, int inX, int inY,
                   int width, int height, const uint8_t* colourTable, size_t colourTableEntries) {
    if (!out.pixels || !in.pixels || !colourTable) return;
    if (!clipCopy(x, y, out.width, out.height, inX, inY, in.width, in.height, width, height)) return;
    for (int r = 0; r < height; ++r) {
        const uint8_t* s = in.pixels + static_cast<ptrdiff_t>(inY + r) * in.pitch + inX;
        uint16_t* d = rowOf(out, y + r) + x;
        for (int c = 0; c < width; ++c) {
            size_t i = s[c];
            d[c] = i < colourTableEntries
                       ? static_cast<uint16_t>(colourTable[i * 6] | (colourTable[i * 6 + 1] << 8))
                       : 0;
        }
    }
}

void ClearPixels16(const PixelBuffer16& target, int width, int height) {
    if (!target.pixels) return;
    width = std::min(width, target.width);
    height = std::min(height, target.height);
    if (width <= 0 || height <= 0) return;
    for (int r = 0; r < height; ++r)
        std::memset(rowOf(target, r), 0, static_cast<size_t>(width) * 2);
}

void OutlineColourPixels16(const PixelBuffer16& target, uint16_t keyColour, uint16_t outlineColour, int rows,
                           int width) {
    if (!target.pixels) return;
    width = std::min({width, kOutlineMaxWidth, target.width});
    rows = std::min(rows, target.height);
    if (width <= 0 || rows <= 0) return;
    bool columnFlag[kOutlineMaxWidth] = {};
    for (int r = 0; r < rows; ++r) {
        uint16_t* row = rowOf(target, r);
        bool rowFlag = false;
        for (int c = 0; c < width; ++c) {
            if (row[c] == keyColour) {
                if (!columnFlag[c]) {
                    if (r > 0) rowOf(target, r - 1)[c] = outlineColour;
                    columnFlag[c] = true;
                }
                if (!rowFlag) {
                    if (c > 0) row[c - 1] = outlineColour;
                    rowFlag = true;
                }
            } else {
                if (columnFlag[c]) {
                    row[c] = outlineColour;
                    columnFlag[c] = false;
                }
                if (rowFlag) {
                    row[c] = outlineColour;
                    rowFlag = false;
                }
            }
        }
    }
}

void DrawCellDiamond16(const PixelBuffer16& target, int layout, int opacity, uint16_t colour, int size, int x,
                       int y, int viewX, int viewY) {
    if (!target.pixels || size <= 0) return;
    const int s = size;
    const int gx = (viewX + x) / s;
    const int gy = (viewY + y) / s;
    int left = gx * s * 40 - viewX * 40;
    if (gy % 2 == 0) left -= s * 40 / 2;
    const int top = gy * s * 10 - 10 - viewY * 10;
    const int limitW = std::min(kViewWidth, target.width);
    const int limitH = std::min(kViewHeight, target.height);
    const int middle = s * 10;
    int start = s * 40 / 2 - 1;
    int span = 2;
    for (int r = 0; r < s * 20; ++r) {
        int py = top + r;
        if (py >= 0 && py < limitH) {
            uint16_t* row = rowOf(target, py);
            int from = std::max(left + start, 0);
            int to = std::min(left + start + span, limitW);
            for (int px = from; px < to; ++px)
                row[px] = blend(row[px], colour, opacity, layout);
        }
        if (r < middle) {
            start -= 2;
            span += 4;
        } else {
            start += 2;
            span -= 4;
        }
    }
}

void ClearSurface16(platform::Surface* surface, int width, int height) {
    if (!surface) return;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(surface->Lock(nullptr, &desc, 0))) return;
    ClearPixels16(lockedPixels(desc), width, height);
    surface->Unlock(nullptr);
}

void OutlineColourPixels(platform::Surface* surface, uint16_t keyColour, uint16_t outlineColour, int rows,
                         int width) {
    if (!surface) return;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return;
    OutlineColourPixels16(lockedPixels(desc), keyColour, outlineColour, rows, width);
    surface->Unlock(nullptr);
}

void DrawCellDiamond(int opacity, uint16_t colour, int size, int x, int y, int viewX, int viewY,
                     platform::Surface* surface) {
    if (!surface) return;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return;
    DrawCellDiamond16(lockedPixels(desc), surfaceLayout(desc), opacity, colour, size, x, y, viewX, viewY);
    surface->Unlock(nullptr);
}
