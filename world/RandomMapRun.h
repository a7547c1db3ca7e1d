#pragma once

#include "world/CastleTemplate.h"
#include "world/GateRecord.h"
#include "world/GeneratorCell.h"
#include "world/GeneratorSources.h"
#include "world/RandomMapTables.h"

#include <array>
#include <cstdint>
#include <vector>

class City;
class Kingdom;
class Zu_StageSet;

// The lobby's choices for one generated game.
struct RandomMapOptions {
    int32_t sizeIndex = 0;
    int32_t localKingdom = 1;
    int32_t officersPerCity = 7;
    int32_t resourceLevel = 0; // 0..3
    int32_t teams[16] = {};    // alliance group of kingdom k at k-1
    uint32_t seed = 0;

    int32_t Team(int32_t index) const { return index >= 0 && index < 16 ? teams[index] : 0; }
};

// One call of the shared generator, for comparing peers.
struct SyncDraw {
    int32_t n;
    uint32_t multiplier;
    uint32_t result;
    bool operator==(const SyncDraw&) const = default;
};

// Everything one generation works on. Every peer builds the same run from the same options: its
// draws come only from the shared state and the multiplier M, in a fixed order.
struct RandomMapRun {
    RandomMapRun(Zu_StageSet& stage, const RandomMapOptions& options, const RandomMapSettings& settings);

    // SyncRandom(n, M) on the run's shared state.
    uint32_t Draw(int32_t n);
    void Remix47_13() { M = M * 47u / 13u; }
    void Remix43_29() { M = M * 43u / 29u; }

    Zu_StageSet& stage;
    RandomMapOptions options;
    RandomMapSettings settings;
    uint32_t state = 0;
    uint32_t M = 0;
    std::vector<SyncDraw>* trace = nullptr;

    uint8_t rulerUsed[kRulerPoolSize] = {};
    uint8_t officerUsed[kOfficerPoolSize] = {};
    uint8_t groupPicked[223] = {};
    std::vector<City*> groupCities;       // the scenario's group cities (not owned)
    std::vector<City*> villageCandidates; // not owned
    std::array<Kingdom*, 129> kingdomById{};
    std::array<City*, 256> cityById{};

    GeneratorSources sources;
    CastleTemplate castles;
    GeneratorGrid grid;
    uint8_t occupancy[50][50] = {};
    // The gates laid out for each kingdom, in the order of the stage's kingdom list.
    std::vector<std::vector<GateRecord>> gates;
    // The ground of cells no source reaches; local to the run and seeded from the seed so every
    // peer lays the same.
    uint32_t fillerState = 0;
};

// The stage's kingdoms in list order (the list's own cursor is not left in use).
std::vector<Kingdom*> StageKingdoms(Zu_StageSet& stage);
std::vector<City*> KingdomCities(Kingdom& kingdom);
