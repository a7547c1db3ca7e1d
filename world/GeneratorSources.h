#pragma once

#include "world/GeneratorCell.h"
#include "world/TileAttributeTables.h"

// What the random map is drawn from: the tile attributes, the terrain source and the castle
// source, loaded before the layout and released after the map files are written.
struct GeneratorSources {
    TileAttributeTables attributes;
    GeneratorGrid terrain; // "ground01": 15 columns of 20 x 60 pieces, three styles of two strips
    GeneratorGrid castle;  // "castle01": 80 x 180 castle frames, small pieces from row 600
    bool attributesLoaded = false;
    bool terrainLoaded = false;
    bool castleLoaded = false;

    // All three present: the layout and the map files need every one of them.
    bool Complete() const { return attributesLoaded && terrainLoaded && castleLoaded; }
};

// Reads "kingdom.atr", "ground01" and "castle01" from the working folder in that order; a file
// that is missing or damaged stops the reading there.
void LoadGeneratorSources(GeneratorSources& sources);
// Drops everything the sources hold.
void FreeGeneratorSources(GeneratorSources& sources);
// Reads "castle01" alone (the editor's castle drawings); false when missing or damaged.
bool LoadCastleTileSet(GeneratorGrid& castle);
