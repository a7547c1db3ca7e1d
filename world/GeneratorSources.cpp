#include "world/GeneratorSources.h"

#include "engine/ByteReader.h"
#include "engine/ResourceStoreFiles.h"

#include <vector>

namespace {

bool ReadGrid(const char* name, GeneratorGrid& grid) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(name, bytes)) return false;
    ByteReader in(bytes.data(), bytes.size());
    return ReadSourceMap(in, grid);
}

} // namespace

void LoadGeneratorSources(GeneratorSources& sources) {
    FreeGeneratorSources(sources);
    std::vector<uint8_t> bytes;
    if (!ReadGameFile("kingdom.atr", bytes)) return;
    ByteReader in(bytes.data(), bytes.size());
    sources.attributesLoaded = ReadTileAttributes(in, sources.attributes);
    if (!sources.attributesLoaded) return;
    sources.terrainLoaded = ReadGrid("ground01", sources.terrain);
    if (!sources.terrainLoaded) return;
    sources.castleLoaded = ReadGrid("castle01", sources.castle);
}

void FreeGeneratorSources(GeneratorSources& sources) {
    sources = GeneratorSources{};
}

bool LoadCastleTileSet(GeneratorGrid& castle) {
    return ReadGrid("castle01", castle);
}
