#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/GameFileWriters.h"

// Writers of the store's file formats and of a whole small data folder, for tests and fuzz seeds.
namespace storefix {

using Bytes = std::vector<uint8_t>;

// The ".ani" writer lives with the game's file writers.
using gamefiles::AniFile;
using gamefiles::AniFrameSpec;

struct Image8 {
    uint16_t w = 0, h = 0;
    std::vector<uint8_t> indices;
};
// "windows.dat" / "graphics.dat": `count` offsets; slot i shows images[slotImage[i]] (an index
// past the images gives an offset past the end of the file).
Bytes IndexedImageSet(int count, const std::vector<Image8>& images, const std::vector<int>& slotImage);

struct AnmFrameSpec {
    uint16_t w = 0, h = 0; // 0 x 0: no frame
    int16_t x = 0, y = 0;
    std::vector<uint8_t> indices;
};
Bytes AnmFile(const std::vector<AnmFrameSpec>& frames, int32_t count = -1);
struct ActSpec {
    std::vector<std::pair<uint8_t, uint16_t>> steps;
};
Bytes ActFile(const std::vector<ActSpec>& actions, int32_t count = -1);

struct PortraitSpec {
    uint32_t w = 0, h = 0;
    std::vector<uint16_t> pixels;
};
Bytes PicFile(uint32_t stride, const std::vector<PortraitSpec>& portraits);

struct CellSpec {
    bool present = false;
    std::vector<uint16_t> pixels; // 400
};
struct SpriteSpec {
    bool present = false;
    uint32_t w = 0, h = 0;
    std::vector<uint16_t> pixels;
};
Bytes KingdomCel(const std::vector<CellSpec>& ground, const std::vector<CellSpec>& layer,
                 const std::vector<SpriteSpec>& sprites, int64_t spriteCount = -1);

// Palette entry i of the fixture palettes: (i, 255 - i, i / 2).
Bytes PaletteFile();
uint16_t PaletteColour(int i, bool is555);

// BMP with 8 bits a pixel (bottom-up rows unless topDown), pixel index (x + 2y) % 256.
Bytes BmpFile8(int w, int h, bool topDown = false);
// 256-colour PCX of w x h, pixel index (x * 3 + y) % 256 except runs, palette entry i (i, 2i, 3i).
Bytes PcxFile8(int w, int h);
// A FLC of w x h with two frames: frame 1 a COLOR_256 chunk and a BYTE_RUN filling index 7, frame 2
// a DELTA_FLC changing pixel (1, 1) to 9.
Bytes FlicFile(int w, int h);

void WriteBytes(const std::filesystem::path& file, const Bytes& bytes);

// The synthetic data folder: palettes, "windows.dat", "graphics.dat", "kingdom.cel", the weapon and
// unit 1 ".anm"/".act", "head_s.pic", "Head.ani", "Cursor18.ani", "AddHp.ani", "HelpMsgS.txt", a short
// "myth.m", "data.txt", "title.bmp", "pic.pcx" and "anim.flc". What it holds is spelled out in
// StoreFixtures.cpp beside each file.
void WriteStoreFolder(const std::filesystem::path& dir);

} // namespace storefix
