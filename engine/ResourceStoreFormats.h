#pragma once

#include "platform/GlobalMemory.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct StoreImage;

// The store's file formats, parsed from bytes in memory. Every count, offset and size is checked
// against the bytes there are and against the capacity of the table it fills; a record that does
// not fit is left out as a missing file would leave it.

// One frame of an ".anm" file: 8-bit colour indices.
struct SpriteFrame {
    int16_t xOffset = 0;
    int16_t yOffset = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t storage = 0; // 0: the pixel block is global memory; otherwise it was made with new
    uint8_t* pixels = nullptr;
    platform::HGLOBAL block = nullptr;
};

struct SpriteStep {
    uint8_t value = 0;
    uint16_t frame = 0;
};

// One action of an ".act" file: the frames a unit shows, step by step.
struct SpriteAction {
    int8_t stepCount = 0;
    SpriteStep* steps = nullptr;
};

// A portrait of a ".pic" file.
struct PortraitImage {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t* pixels = nullptr;
    platform::HGLOBAL block = nullptr;
};

// The 20-byte head of a "kingdom.cel" sprite; its pixels go to a surface.
struct KingdomSprite {
    uint32_t word0 = 0;
    uint32_t word1 = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pixelField = 0; // cleared once the pixels are on their surface
};

constexpr int kMaxSpriteSide = 4096;

void FreeSpriteFrame(SpriteFrame* frame);
void FreePortraitImage(PortraitImage* portrait);

// Image `index` of "windows.dat" or "graphics.dat" (tableCount offsets at the start), its indices
// turned into pixels through palette (index 0 gives 0). Null when the offset, the size or the
// pixels lie outside the file, or the image is empty.
StoreImage* DecodeIndexedImage(std::span<const uint8_t> file, int index, int tableCount,
                               const uint16_t* palette);

// Help lines as the text-mode line reader gives them: CR LF read as LF, at most 126 characters a
// read, leading bytes 1..32 skipped (up to a byte of 0x80 or above) before the '#' test; each kept
// line is stored whole, line end included. Returns the lines in order, at most `capacity`.
std::vector<std::vector<char>> DecodeHelpLines(std::span<const uint8_t> text, int capacity);

// The frames of an ".anm" file: at most `capacity` entries, null where the file has no frame.
// Reading ends at an entry cut short or a failed allocation; the rest stay null.
std::vector<SpriteFrame*> DecodeSpriteFrames(std::span<const uint8_t> file, int capacity);

// The actions of an ".act" file: at most `capacity`; reading ends at an action cut short or with
// more than 127 steps.
std::vector<SpriteAction> DecodeSpriteActions(std::span<const uint8_t> file, int capacity);
void FreeSpriteActionSteps(SpriteAction& action);

// Portrait n of a ".pic" file, pixels converted when the display is 5-5-5; null when outside.
PortraitImage* DecodePortrait(std::span<const uint8_t> file, int n);

// The tables of "kingdom.cel" before the sprites go to surfaces.
struct KingdomCells {
    std::vector<uint16_t*> ground; // 400 pixels each, or null
    std::vector<uint16_t*> layer;
    struct Sprite {
        KingdomSprite head;
        std::vector<uint16_t> pixels;
        bool present = false;
    };
    std::vector<Sprite> sprites;
    ~KingdomCells();
};
// Reads the three tables: at most maxSprites sprite entries; a count larger than the bytes can
// hold is cut to them, and an entry cut short ends its table. All-zero cells are left null. Cell
// pixels are converted when the display is 5-5-5 (sprite pixels are converted on their surface).
void DecodeKingdomCells(std::span<const uint8_t> file, int maxSprites, KingdomCells& out);
