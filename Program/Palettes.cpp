#include "Program/Palettes.h"

#include "engine/PixelFormat.h"
#include "platform/Files.h"
#include "world/RandomMapTables.h"

#include <algorithm>

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kPaletteBytes = 768;

// Reads a palette file into rgb. A short file leaves the rest zero (the game kept the previous
// file's bytes there) and is reported.
bool ReadPalette(const char* name, uint8_t (&rgb)[kPaletteBytes], const ParameterLog& log) {
    const platform::HFILE f = platform::_lopen(name, platform::OF_READ);
    if (f == platform::HFILE_ERROR) return false;
    std::memset(rgb, 0, sizeof(rgb));
    uint32_t got = platform::_lread(f, rgb, kPaletteBytes);
    platform::_lclose(f);
    if (got == static_cast<uint32_t>(platform::HFILE_ERROR)) got = 0;
    if (got < kPaletteBytes && log)
        log(std::string(name) + ": palette has " + std::to_string(got) + " of " +
            std::to_string(kPaletteBytes) + " bytes");
    return true;
}

void Build(ColourTable& table, const uint8_t (&rgb)[kPaletteBytes], bool is555) {
    for (int i = 0; i < 256; ++i)
        table[i] = is555 ? Rgb555(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2])
                         : Rgb565(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
}

void To555(ColourTable& table) {
    for (auto& p : table)
        p = static_cast<uint16_t>(((p >> 1) & 0x7FE0) | (p & 31));
}

// The picture tables are built in 5-6-5 and converted when the display is 5-5-5.
void BuildPicture(ColourTable& table, const uint8_t (&rgb)[kPaletteBytes], bool is555, bool clearFirst) {
    Build(table, rgb, false);
    if (clearFirst) table[0] = 0;
    if (is555) To555(table);
}

} // namespace

uint16_t Rgb565(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint16_t>(((r * 256) & 0xF800) + ((g * 8) & 0x07E0) + (b / 8));
}

uint16_t Rgb555(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint16_t>(((r * 128) & 0x7C00) + ((g * 4) & 0x03E0) + (b / 8));
}

int Palettes::Load(bool is555, const ParameterLog& log) {
    uint8_t rgb[kPaletteBytes] = {};
    int read = 0;
    if (!ReadPalette("Kardol.pal", rgb, log)) {
        // Without the main palette nothing has its colours: say so as for a damaged one.
        if (log) log("Kardol.pal: no palette file");
        return read;
    }
    ++read;
    Build(mainTable, rgb, is555);
    mainTable[0] = 0;
    if (!ReadPalette("OldPalette.pal", rgb, log)) return read;
    ++read;
    BuildPicture(pictureTable, rgb, is555, true);
    if (!ReadPalette("Morvek01.pal", rgb, log)) return read;
    ++read;
    BuildPicture(specialTable1, rgb, is555, false);
    if (!ReadPalette("Morvek02.pal", rgb, log)) return read;
    ++read;
    BuildPicture(specialTable2, rgb, is555, false);
    for (int n = 0; n < kNumbered; ++n) {
        numbered[n].reset();
        char name[16];
        std::snprintf(name, sizeof(name), "%03d.pal", n);
        if (!ReadPalette(name, rgb, log)) continue;
        ++read;
        numbered[n] = std::make_unique<ColourTable>();
        BuildPicture(*numbered[n], rgb, is555, true);
    }
    return read;
}

Palettes& GamePalettes() {
    static Palettes palettes;
    return palettes;
}

void LoadPalettes(bool is555) {
    Palettes& p = GamePalettes();
    p.Load(is555);
    // The drawing code reads the main table through Palette16.
    std::copy(p.mainTable.begin(), p.mainTable.end(), Palette16);
    // "Morvek01.pal" holds the nations' colour ramps, 16 entries each; the table has
    // room for 16 nations, the rows past them keep no colours.
    for (size_t n = 0; n < 16; ++n)
        std::copy_n(p.specialTable1.begin() + ptrdiff_t(16 * n), 16, NationColourTable[n].begin());
}

void LoadPalettes() {
    LoadPalettes(PixelFormat == 555);
}
