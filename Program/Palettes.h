#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "Program/GameParameters.h"

// 768-byte RGB palette files turned into 16-bit colour tables in the display's pixel layout.
using ColourTable = std::array<uint16_t, 256>;

uint16_t Rgb565(uint8_t r, uint8_t g, uint8_t b);
uint16_t Rgb555(uint8_t r, uint8_t g, uint8_t b);

class Palettes {
public:
    static constexpr int kNumbered = 140;

    ColourTable mainTable{};     // "Kardol.pal", display layout, entry 0 = 0
    ColourTable pictureTable{};  // "OldPalette.pal": image banks and screen backgrounds
    ColourTable specialTable1{}; // "Morvek01.pal", entry 0 as read
    ColourTable specialTable2{}; // "Morvek02.pal", entry 0 as read
    // "000.pal" .. "139.pal": one table per troop colour variant; null when the file is missing.
    std::array<std::unique_ptr<ColourTable>, kNumbered> numbered;

    // Reads the chain of palette files from the working folder; the first missing named file
    // ends it. is555 selects the 5-5-5 layout. Returns the number of files read.
    int Load(bool is555, const ParameterLog& log = LogLoadProblem);

    const uint16_t* Numbered(int n) const {
        return n >= 0 && n < kNumbered && numbered[n] ? numbered[n]->data() : nullptr;
    }
};

// The program's colour tables.
Palettes& GamePalettes();
// Loads them in the display's layout (PixelFormat, known once the primary surface was probed)
// and makes the main table the drawing code's Palette16 and the rows of 16 of "Morvek01.pal"
// the nations' colour ramps (NationColourTable rows 0 to 15).
void LoadPalettes();
void LoadPalettes(bool is555);
