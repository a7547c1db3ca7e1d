#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/TemplateTables.h"
#include "stagefiles/MainStageLayout.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "world/BattleMap.h"
#include "world/RandomMapTables.h"

#include <algorithm>
#include <vector>

namespace {

using W = KingdomStateWords;
using M = MainStageLayout;

// Kingdom indexes that the battle map's tables can hold.
constexpr int32_t kLastIndex = BattleMap::kSides - 1;
// The shared colour table holds sixteen nation ramps.
constexpr int32_t kLastNation = 15;
// A city record holds at least its two block lengths and its officer count.
constexpr size_t kMinCityBytes = 12;

// The six words after the index, the first of them the colour.
int32_t* SixWords(Kingdom& k, int i, int32_t& colour) {
    int32_t* w[6] = {&colour,         &k.setterWords[0], &k.setterWords[1],
                     &k.targetCityId, &k.receivedUnits,  &k.sentUnits};
    return w[i];
}
int32_t* Counter(Kingdom& k, int i) {
    return i < 10 ? &k.tally[i] : &k.score;
}

bool IndexFree(int32_t index) {
    return index >= 1 && index <= kLastIndex && TheBattleMap->kingdomTable[index] == nullptr;
}

// A fresh stage numbers kingdoms in file order; a restore keeps the stored index unless it is out
// of range or taken, when the lowest free one serves. 0 when every index is taken.
int32_t ChooseIndex(int32_t stored, int32_t readCount, bool fresh) {
    if (!TheBattleMap) return fresh ? readCount : stored;
    const int32_t wanted = fresh ? readCount : stored;
    if (IndexFree(wanted)) return wanted;
    for (int32_t i = 1; i <= kLastIndex; ++i)
        if (IndexFree(i)) return i;
    return 0;
}

void SetColours(Kingdom& k) {
    const int32_t nation = std::clamp(k.Int(KingdomLayout::kNation), 0, kLastNation);
    const ColourRow& ramp = NationColourTable[size_t(nation)];
    k.ownColour = k.colour = ramp[7];
    if (k.nationIndex >= 0 && size_t(k.nationIndex) < KingdomColourTable.size())
        KingdomColourTable[size_t(k.nationIndex)] = ramp;
}

} // namespace

int TemplateTables::WriteKingdom(StageWriter& out, Kingdom& kingdom) {
    out.SizedBlock(kingdom.block, M::kKingdomBlock);
    std::vector<City*> cities;
    for (uintptr_t v = kingdom.cities.First(); v != 0; v = kingdom.cities.Next())
        cities.push_back(reinterpret_cast<City*>(v));
    kingdom.cityCount = int32_t(cities.size());

    uint8_t state[M::kKingdomState] = {};
    auto put = [&](int word, int32_t v) { PutWord(state, size_t(word) * 4, v); };
    put(W::kCities, kingdom.cityCount);
    put(W::kIndex, kingdom.nationIndex);
    int32_t colour = kingdom.ownColour;
    for (int i = 0; i < 6; ++i)
        put(W::kColour + i, *SixWords(kingdom, i, colour));
    for (int i = 0; i < W::kTableEntries; ++i) {
        put(W::kTable + i, kingdom.goodwill[i]);
        put(W::kRelations + i, kingdom.relations[i]);
    }
    put(W::kGold, kingdom.goldTotal);
    put(W::kNoCity, kingdom.noCity);
    put(W::kBeaten, kingdom.beaten);
    put(W::kMarkedCity, kingdom.mainCity ? kingdom.mainCity->id : 0);
    for (int i = 0; i < 11; ++i)
        put(W::kCounters + i, *Counter(kingdom, i));
    out.SizedBlock(state, M::kKingdomState);

    out.i32(kingdom.cityCount);
    for (City* city : cities)
        WriteCity(out, *city);
    return 1;
}

int TemplateTables::ReadKingdom(StageReader& in, Kingdom& kingdom) {
    uint8_t state[M::kKingdomState];
    if (!in.SizedBlock(kingdom.block, M::kKingdomBlock) || !in.SizedBlock(state, M::kKingdomState)) return 0;
    auto get = [&](int word) { return GetWord(state, size_t(word) * 4); };
    const int32_t cities = get(W::kCities);
    int32_t colour = 0;
    for (int i = 0; i < 6; ++i)
        *SixWords(kingdom, i, colour) = get(W::kColour + i);
    kingdom.ownColour = static_cast<uint16_t>(colour);
    for (int i = 0; i < W::kTableEntries; ++i) {
        kingdom.goodwill[i] = get(W::kTable + i);
        kingdom.relations[i] = get(W::kRelations + i);
    }
    kingdom.goldTotal = get(W::kGold);
    kingdom.noCity = get(W::kNoCity);
    kingdom.beaten = get(W::kBeaten);
    kingdom.markedCityId = get(W::kMarkedCity);
    for (int i = 0; i < 11; ++i)
        *Counter(kingdom, i) = get(W::kCounters + i);

    ++kingdomsRead;
    if (in.fresh()) {
        for (int i = 0; i < 11; ++i)
            *Counter(kingdom, i) = 0;
        kingdom.receivedUnits = kingdom.sentUnits = 0;
    }
    const int32_t index = ChooseIndex(get(W::kIndex), kingdomsRead, in.fresh());
    if (index < 1 || index > kLastIndex) {
        in.Fail();
        return 0;
    }
    kingdom.nationIndex = index;
    if (TheBattleMap) TheBattleMap->kingdomTable[index] = &kingdom;
    kingdom.relations[index] = 1;
    SetColours(kingdom);

    in.u32(); // the city count again; the state block's count rules
    if (!in.ok()) return 0;
    if (cities < 0 || size_t(cities) > in.remaining() / kMinCityBytes) {
        in.Fail();
        return 0;
    }
    kingdom.cityCount = 0;
    for (int32_t i = 0; i < cities; ++i) {
        auto* city = new City(index);
        // Listed first: a damaged city goes with its kingdom. The troop quota is left to the
        // stage start, which sizes it from the whole list.
        kingdom.cities.Add(uintptr_t(city));
        ++kingdom.cityCount;
        if (!ReadCity(in, *city)) return 0;
        city->SumBuildings();
    }
    return 1;
}
