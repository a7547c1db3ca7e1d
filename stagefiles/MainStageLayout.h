#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The fixed sizes and offsets of the main stage file's blocks.
struct MainStageLayout {
    static constexpr uint32_t kStageBlock = 80;
    static constexpr uint32_t kGameBlock = 64;
    static constexpr uint32_t kKingdomBlock = 100;
    static constexpr uint32_t kKingdomState = 1116;
    static constexpr uint32_t kCityBlock = 392;
    static constexpr uint32_t kCityState = 932;
    static constexpr uint32_t kValueLink = 8;
    static constexpr uint32_t kItemBlock = 192;
    static constexpr int kTrailerWords = 22;
};

// Words of the kingdom state block.
struct KingdomStateWords {
    static constexpr int kCities = 0;
    static constexpr int kIndex = 1;
    static constexpr int kColour = 2; // then five more kingdom words
    static constexpr int kTable = 8;
    static constexpr int kRelations = 136;
    static constexpr int kTableEntries = 128;
    static constexpr int kGold = 264;
    static constexpr int kNoCity = 265;
    static constexpr int kBeaten = 266;
    static constexpr int kMarkedCity = 267;
    static constexpr int kCounters = 268; // eleven
};

// Byte offsets of the city state block; every byte not named here is written 0.
struct CityStateOffsets {
    static constexpr uint32_t kUnitStrength = 0;
    static constexpr uint32_t kOwner = 12;
    static constexpr uint32_t kId = 16;
    static constexpr uint32_t kFourWords = 20;
    static constexpr uint32_t kValueLinks = 44;
    static constexpr uint32_t kItems = 48;
    static constexpr uint32_t kThirdList = 52;
    static constexpr uint32_t kTenWords = 568;
    static constexpr uint32_t kPairSecond = 608;
    static constexpr uint32_t kPairFirst = 612;
    static constexpr uint32_t kRecruit = 620;
    static constexpr uint32_t kMuster = 628;
    static constexpr uint32_t kLeader = 636;
    static constexpr uint32_t kUnitList = 640;
    static constexpr uint32_t kStationed = 644;
    static constexpr uint32_t kStatusWords = 656; // the status-flag word, then six words
    static constexpr uint32_t kSubCastles = 684;
    static constexpr uint32_t kSites = 688;
    static constexpr uint32_t kSpawnHalves = 692;
    static constexpr uint32_t kBuildings = 698;
    static constexpr uint32_t kWords = 752;
    static constexpr uint32_t kCounters = 768;
    static constexpr uint32_t kUnits = 804;
    static constexpr uint32_t kDeployOrder = 808;
    static constexpr uint32_t kTowerPerson = 812;
    static constexpr uint32_t kTowerX = 836;
    static constexpr uint32_t kTowerY = 860;
    static constexpr uint32_t kTowerHp = 884;
    static constexpr uint32_t kRally = 908;
    static constexpr uint32_t kTargetCell = 916;
    static constexpr uint32_t kPendingStatus = 924;
    static constexpr uint32_t kToggle = 928;
};

// Little-endian fields of a block held in memory.
inline void PutWord(uint8_t* b, size_t at, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = static_cast<uint8_t>(u >> (8 * i));
}
inline void PutHalf(uint8_t* b, size_t at, int16_t v) {
    const auto u = static_cast<uint16_t>(v);
    b[at] = static_cast<uint8_t>(u);
    b[at + 1] = static_cast<uint8_t>(u >> 8);
}
inline int32_t GetWord(const uint8_t* b, size_t at) {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= uint32_t(b[at + size_t(i)]) << (8 * i);
    return static_cast<int32_t>(u);
}
inline int16_t GetHalf(const uint8_t* b, size_t at) {
    return static_cast<int16_t>(uint16_t(b[at]) | uint16_t(b[at + 1]) << 8);
}
