#include "engine/LinkList.h"
#include "records/City.h"
#include "records/CityWorks.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "records/StageGenerals.h"
#include "records/SubCastle.h"
#include "records/TemplateTables.h"
#include "stagefiles/MainStageLayout.h"
#include "stagefiles/SavedRecord.h"
#include "stagefiles/StageOfficer.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageUnits.h"
#include "stagefiles/StageWriter.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <vector>

namespace {

using S = CityStateOffsets;
using M = MainStageLayout;

constexpr int16_t kInCity = 1;
// The least bytes an entry of each section takes, to refuse counts the file cannot hold.
constexpr size_t kMinOfficer = 8;
constexpr size_t kMinSubCastle = 8;
constexpr size_t kMinSite = 4;

// A count from the state block: refused (the file marked damaged) when negative or more than the
// bytes left can hold.
bool Fits(StageReader& in, int32_t count, size_t minEntryBytes) {
    if (count < 0 || size_t(count) > in.remaining() / std::max<size_t>(minEntryBytes, 1)) {
        in.Fail();
        return false;
    }
    return true;
}

int32_t PersonOf(const Troop* t) {
    return t && t->officer ? t->officer->Get(OfficerLayout::kPersonNumber) : 0;
}

// The ten words at 568, the seven at 656 (after the status-flag word) and the four at 20, in the
// order the state block keeps them.
int32_t* TenWords(City& c, int i) {
    int32_t* w[10] = {&c.underAttack,    &c.underAttackTimer, &c.attackedToday, &c.generalTroopCount,
                      &c.otherUnitCount, &c.statusTimer,      &c.dead,          &c.sortieCount,
                      &c.raidGenerals,   &c.raidOthers};
    return w[i];
}
int32_t* StatusWords(City& c, int i) {
    int32_t* w[7] = {&c.statusFlags,    &c.repairStep,     &c.clearedWord, &c.garrisonRebuild,
                     &c.monthlyCounter, &c.furtherCounter, &c.cycleCounter};
    return w[i];
}
int32_t* FourWords(City& c, int i) {
    int32_t* w[4] = {&c.markedMode, &c.spawnedOut, &c.raidTrigger, &c.emptyFlag};
    return w[i];
}
int16_t* SpawnHalves(City& c, int i) {
    int16_t* h[3] = {&c.spawnDays, &c.respawnCounter, &c.spawnedFlag};
    return h[i];
}

void PackState(City& c, uint8_t* b, int32_t values, int32_t items, int32_t subs, int32_t sites,
               int32_t units) {
    PutWord(b, S::kUnitStrength, c.escortStrength);
    PutWord(b, S::kOwner, c.ownerSide);
    PutWord(b, S::kId, c.id);
    for (int i = 0; i < 4; ++i)
        PutWord(b, S::kFourWords + 4 * uint32_t(i), *FourWords(c, i));
    PutWord(b, S::kValueLinks, values);
    PutWord(b, S::kItems, items);
    PutWord(b, S::kThirdList, c.moreLists[1].GetCount());
    for (int i = 0; i < 10; ++i)
        PutWord(b, S::kTenWords + 4 * uint32_t(i), *TenWords(c, i));
    PutWord(b, S::kPairSecond, c.lastAttackerY);
    PutWord(b, S::kPairFirst, c.lastAttackerX);
    PutWord(b, S::kRecruit, c.recruitCount);
    PutWord(b, S::kRecruit + 4, c.recruitKind);
    for (int i = 0; i < 5; ++i)
        b[S::kMuster + uint32_t(i)] = c.muster[i];
    const bool leaderInside = c.currentUnit && c.units.ContainsPtr(uintptr_t(c.currentUnit));
    PutWord(b, S::kLeader, leaderInside ? PersonOf(c.currentUnit) : 0);
    PutWord(b, S::kUnitList, c.units.GetCount());
    PutWord(b, S::kStationed, units);
    for (int i = 0; i < 7; ++i)
        PutWord(b, S::kStatusWords + 4 * uint32_t(i), *StatusWords(c, i));
    PutWord(b, S::kSubCastles, subs);
    PutWord(b, S::kSites, sites);
    for (int i = 0; i < 3; ++i)
        PutHalf(b, S::kSpawnHalves + 2 * uint32_t(i), *SpawnHalves(c, i));
    for (int i = 0; i < 26; ++i)
        PutHalf(b, S::kBuildings + 2 * uint32_t(i), c.buildings[i]);
    for (int i = 0; i < 4; ++i)
        PutWord(b, S::kWords + 4 * uint32_t(i), c.words[i]);
    for (int i = 0; i < 17; ++i)
        PutHalf(b, S::kCounters + 2 * uint32_t(i), c.counters[i]);
    PutWord(b, S::kUnits, units);
    PutHalf(b, S::kDeployOrder, c.deployOrder);
    for (uint32_t i = 0; i < 6; ++i) {
        const Troop* t = c.towers[i];
        if (!t) continue;
        PutWord(b, S::kTowerPerson + 4 * i, PersonOf(t));
        PutWord(b, S::kTowerX + 4 * i, t->cellX);
        PutWord(b, S::kTowerY + 4 * i, t->cellY);
        PutWord(b, S::kTowerHp + 4 * i, t->officer ? t->officer->Get(OfficerLayout::kHp) : 0);
    }
    PutWord(b, S::kRally, c.rallyX);
    PutWord(b, S::kRally + 4, c.rallyY);
    if (c.Kind() == 6 && c.recruitCity) {
        PutWord(b, S::kTargetCell, c.recruitCity->CellX());
        PutWord(b, S::kTargetCell + 4, c.recruitCity->CellY());
    }
    PutWord(b, S::kPendingStatus, c.pendingStatus);
    b[S::kToggle] = c.toggleFlag;
}

void UnpackState(City& c, const uint8_t* b) {
    // The strength of the units inside, as the last recount left it: a restored city keeps it
    // until its next recount (a fresh stage starts from none).
    c.escortStrength = GetWord(b, S::kUnitStrength);
    c.id = GetWord(b, S::kId);
    for (int i = 0; i < 4; ++i)
        *FourWords(c, i) = GetWord(b, S::kFourWords + 4 * uint32_t(i));
    for (int i = 0; i < 10; ++i)
        *TenWords(c, i) = GetWord(b, S::kTenWords + 4 * uint32_t(i));
    c.lastAttackerY = GetWord(b, S::kPairSecond);
    c.lastAttackerX = GetWord(b, S::kPairFirst);
    c.recruitCount = GetWord(b, S::kRecruit);
    c.recruitKind = GetWord(b, S::kRecruit + 4);
    for (int i = 0; i < 5; ++i)
        c.muster[i] = b[S::kMuster + uint32_t(i)];
    c.leaderPersonNumber = GetWord(b, S::kLeader);
    c.unitCount = GetWord(b, S::kUnitList);
    c.reserveTroopCount = GetWord(b, S::kStationed);
    for (int i = 0; i < 7; ++i)
        *StatusWords(c, i) = GetWord(b, S::kStatusWords + 4 * uint32_t(i));
    for (int i = 0; i < 3; ++i)
        *SpawnHalves(c, i) = GetHalf(b, S::kSpawnHalves + 2 * uint32_t(i));
    for (int i = 0; i < 26; ++i)
        c.buildings[i] = GetHalf(b, S::kBuildings + 2 * uint32_t(i));
    for (int i = 0; i < 4; ++i)
        c.words[i] = GetWord(b, S::kWords + 4 * uint32_t(i));
    for (int i = 0; i < 17; ++i)
        c.counters[i] = GetHalf(b, S::kCounters + 2 * uint32_t(i));
    c.deployOrder = GetHalf(b, S::kDeployOrder);
    for (uint32_t i = 0; i < 6; ++i) {
        c.towerRecords[i][0] = GetWord(b, S::kTowerPerson + 4 * i);
        c.towerRecords[i][1] = GetWord(b, S::kTowerX + 4 * i);
        c.towerRecords[i][2] = GetWord(b, S::kTowerY + 4 * i);
        c.towerRecords[i][3] = GetWord(b, S::kTowerHp + 4 * i);
    }
    c.rallyX = static_cast<int16_t>(GetWord(b, S::kRally));
    c.rallyY = static_cast<int16_t>(GetWord(b, S::kRally + 4));
    c.targetCellX = GetWord(b, S::kTargetCell);
    c.targetCellY = GetWord(b, S::kTargetCell + 4);
    c.pendingStatus = GetWord(b, S::kPendingStatus);
    c.toggleFlag = b[S::kToggle];
}

// A fresh stage starts its cities without buildings, plans or running counters.
void StartFresh(City& c) {
    c.escortStrength = 0;
    std::fill(std::begin(c.buildings), std::end(c.buildings), int16_t(0));
    c.markedMode = 0;
    c.generalTroopCount = 0;
    c.statusFlags = 0;
    c.monthlyCounter = c.furtherCounter = c.cycleCounter = 0;
    const int32_t kind = c.Kind();
    if (kind >= 1 && kind <= 3) {
        c.SetInt(CityLayout::kPopulation, 0);
        c.SetInt(CityLayout::kGold, 0);
        c.SetInt(CityLayout::kFood, 0);
    }
}

// The lowest id whose slot of the city table is free; 0 when the table is full.
int32_t FreeCityId() {
    for (int32_t n = 1; n <= BattleMap::kCities; ++n)
        if (!TheBattleMap->cities[n - 1]) return n;
    return 0;
}

// Enters the city in the battle map's city table: a fresh stage numbers cities in file order; a
// restore keeps the stored id unless it is out of range or taken, when the next free one serves.
// The city keeps the owner it was made with: the kingdom being read.
bool EnterCity(City& c, bool fresh) {
    BattleMap& map = *TheBattleMap;
    int32_t id = 0;
    if (fresh) {
        id = map.cityCount + 1;
        if (id > BattleMap::kCities || map.cities[id - 1]) id = FreeCityId();
        if (c.Scale() == 0) c.SetInt(CityLayout::kScale, 1);
    } else {
        id = c.id;
        if (id < 1 || id > BattleMap::kCities || map.cities[id - 1]) id = FreeCityId();
    }
    if (id == 0) return false;
    c.id = id;
    map.EnterCityById(&c);
    if (map.scenario) map.scenario->stageCities.Add(uintptr_t(&c));
    return true;
}

bool ReadOfficers(StageReader& in, City& c) {
    int32_t count = 0;
    if (!in.Count(count, kMinOfficer)) return false;
    for (int32_t i = 0; i < count; ++i) {
        auto* officer = new OfficerRecord(100, -1);
        if (!LoadStageOfficer(in, *officer)) {
            delete officer;
            return false;
        }
        officer->ownerSide = c.ownerSide;
        officer->TerrainStatus() = 0;
        c.generals.Add(uintptr_t(officer));
        ListStageGeneral(officer);
    }
    return true;
}

bool ReadSubCastlesAndSites(StageReader& in, City& c, int32_t subs, int32_t sites) {
    if (!Fits(in, subs, kMinSubCastle)) return false;
    for (int32_t i = 0; i < subs; ++i) {
        auto* sub = new SubCastle(0);
        c.subCastles.Add(uintptr_t(sub));
        if (!sub->Load(in.raw())) {
            in.Fail();
            return false;
        }
    }
    if (!Fits(in, sites, kMinSite)) return false;
    for (int32_t i = 0; i < sites; ++i) {
        auto* site = new SavedRecord();
        c.sites.Add(uintptr_t(site));
        if (!site->Load(in)) return false;
    }
    return true;
}

// Reads an entry size; the count must fit the bytes left at that size.
bool SectionSize(StageReader& in, int32_t count, uint32_t& size) {
    size = in.u32();
    return in.ok() && Fits(in, count, size);
}

bool ReadValueLinks(StageReader& in, City& c, int32_t count) {
    if (count <= 0) return Fits(in, count, 1);
    uint32_t size = 0;
    if (!SectionSize(in, count, size)) return false;
    for (int32_t i = 0; i < count; ++i) {
        uint8_t entry[M::kValueLink];
        if (!in.Block(entry, sizeof entry, size)) return false;
        auto* link = new TrainingEntry(GetWord(entry, 4));
        link->days = static_cast<uint32_t>(GetWord(entry, 0));
        c.trainingQueue.Add(uintptr_t(link));
    }
    return true;
}

bool ReadItems(StageReader& in, City& c, int32_t count) {
    if (count <= 0) return Fits(in, count, 1);
    uint32_t size = 0;
    if (!SectionSize(in, count, size)) return false;
    for (int32_t i = 0; i < count; ++i) {
        uint8_t entry[M::kItemBlock];
        if (!in.Block(entry, sizeof entry, size)) return false;
        // The stock names items of the item table; an item the table does not know is dropped.
        const int32_t number = GetWord(entry, 20);
        if (number >= 1 && ItemBlock(number)) c.ItemStock().Add(uintptr_t(number));
    }
    return true;
}

bool ReadStationedUnits(StageReader& in, City& c, int32_t count) {
    if (count <= 0) return Fits(in, count, 1);
    UnitRecordSizes sizes;
    sizes.unit = in.u32();
    sizes.order = in.u32();
    if (!in.ok() || !Fits(in, count, size_t(sizes.unit) + sizes.order + 8)) return false;
    for (int32_t i = 0; i < count; ++i) {
        Troop* t = ReadUnit(in, sizes, c.ownerSide, {kInCity, true});
        if (!t) return false;
        t->garrison = kInCity;
        t->homeCity = static_cast<int16_t>(c.id);
        c.reserve.Add(uintptr_t(t));
    }
    return true;
}

void WriteItemBlock(StageWriter& out, int32_t number) {
    uint8_t block[M::kItemBlock] = {};
    if (const uint8_t* known = ItemBlock(number))
        std::copy(known, known + M::kItemBlock, block);
    else
        PutWord(block, 20, number);
    out.Bytes(block, sizeof block);
}

} // namespace

int TemplateTables::WriteCity(StageWriter& out, City& city) {
    const auto subs = ListValues<SubCastle>(city.subCastles);
    const auto sites = ListValues<SavedRecord>(city.sites);
    const auto links = ListValues<TrainingEntry>(city.trainingQueue);
    std::vector<int32_t> items;
    for (uintptr_t v = city.ItemStock().First(); v != 0; v = city.ItemStock().Next())
        items.push_back(static_cast<int32_t>(v));
    const auto units = ListValues<Troop>(city.reserve);

    out.SizedBlock(city.block, M::kCityBlock);
    uint8_t state[M::kCityState] = {};
    PackState(city, state, int32_t(links.size()), int32_t(items.size()), int32_t(subs.size()),
              int32_t(sites.size()), int32_t(units.size()));
    out.SizedBlock(state, M::kCityState);

    const auto officers = ListValues<OfficerRecord>(city.generals);
    out.i32(int32_t(officers.size()));
    for (const OfficerRecord* o : officers)
        SaveStageOfficer(out, *o);
    for (SubCastle* sub : subs)
        sub->Save(out.raw());
    for (const SavedRecord* site : sites)
        site->Save(out);
    if (!links.empty()) {
        out.u32(M::kValueLink);
        for (const TrainingEntry* link : links) {
            out.i32(static_cast<int32_t>(link->days));
            out.i32(link->templateNumber);
        }
    }
    if (!items.empty()) {
        out.u32(M::kItemBlock);
        for (int32_t number : items)
            WriteItemBlock(out, number);
    }
    if (!units.empty()) {
        out.u32(UnitRecordLayout::kSize);
        out.u32(UnitRecordLayout::kOrderSize);
        for (const Troop* t : units)
            WriteUnit(out, *t);
    }
    return 1;
}

int TemplateTables::ReadCity(StageReader& in, City& city, bool enterInMap) {
    uint8_t state[M::kCityState];
    if (!in.SizedBlock(city.block, M::kCityBlock) || !in.SizedBlock(state, M::kCityState)) return 0;
    UnpackState(city, state);
    if (in.fresh()) StartFresh(city);
    if (enterInMap && TheBattleMap && !EnterCity(city, in.fresh())) {
        in.Fail();
        return 0;
    }
    if (!ReadOfficers(in, city) ||
        !ReadSubCastlesAndSites(in, city, GetWord(state, S::kSubCastles), GetWord(state, S::kSites)) ||
        !ReadValueLinks(in, city, GetWord(state, S::kValueLinks)) ||
        !ReadItems(in, city, GetWord(state, S::kItems)) ||
        !ReadStationedUnits(in, city, GetWord(state, S::kUnits)))
        return 0;
    return 1;
}
