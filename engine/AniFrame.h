#pragma once

#include "platform/GlobalMemory.h"

#include <cstddef>
#include <cstdint>
#include <span>

class ByteReader;
namespace platform {
class Surface;
}

// One frame of an animation: both blocks are width x height, row by row, in global memory.
struct AniFrame {
    int32_t xOffset = 0; // column of the frame image at which drawing starts
    int32_t yOffset = 0; // row of the frame image at which drawing starts
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* mask = nullptr;    // 255 opaque, 0 colour-keyed, 1..254 blended
    uint16_t* pixels = nullptr; // display layout
    platform::HGLOBAL maskBlock = nullptr;
    platform::HGLOBAL pixelBlock = nullptr;
};

// Frames wider or taller than this are taken for damage: no picture of the game comes near it.
constexpr int32_t kMaxAniFrameSide = 4096;

// Frees both blocks and the record; a null frame is ignored.
void FreeAniFrame(AniFrame* frame);

// Reads one frame at the reader's position: the 16-byte header {x, y, width, height}, width x
// height 5-6-5 pixels (converted when the display is 5-5-5) and width x height mask bytes. Null
// when the header is out of range or the bytes run short.
AniFrame* ReadAniFrameRecord(ByteReader& in);

// Frame n of a ".ani" file held in memory: frames are found at 12 + n * (w * h * 3 + 16) with the
// width and height of the file header, the blocks sized by the frame's own header.
AniFrame* DecodeAniFrame(std::span<const uint8_t> file, int n);

// Frame n of a ".ani" file in the working folder; null when it is missing or has no frame n.
AniFrame* LoadAniFrameFile(const char* name, int n);

// Draws a frame at (x, y) of a 16-bit pixel area (pitch in bytes), cut to the area and read only
// inside the frame's blocks. With blend false the mask is ignored and every non-zero pixel is
// copied; otherwise mask 255 copies, 0 copies non-zero pixels and the rest blend by the mask.
void DrawAniFrameBits(const AniFrame* frame, int x, int y, uint16_t* bits, int pitchBytes, int areaWidth,
                      int areaHeight, bool blend);

// The same on a surface, locked with DDLOCK_WAIT; a null surface or a failed lock draws nothing.
void DrawAniFrameOnSurface(const AniFrame* frame, int x, int y, platform::Surface* surface, bool blend);
