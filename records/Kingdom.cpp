#include "records/Kingdom.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "engine/ByteReader.h"
#include "net/TroopValueCommand.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace {
using L = KingdomLayout;

constexpr auto kKingdomSchemaWords = MakeSchemaWords<20>(24, std::array<TextColumn, 1>{{{0, 5}}});
static_assert(SchemaFieldDwords(kKingdomSchemaWords) == 24);
const FieldSchema kKingdomSchema{kKingdomSchemaWords};

const char kNewCity[] = "\xab\xb0\xb9\xeb"; // 城寨
constexpr int32_t kSpecialUnitKind = 13;
constexpr uint32_t kStartingDays = 188; // the officer block's "初始天條件"

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

ScenarioData* Scenario() {
    return TheBattleMap ? TheBattleMap->scenario : nullptr;
}
} // namespace

const char* const KingdomColumnNames[20] = {
    "\xa7\x67\xa5\x44\xa6\x57",         // 君主名
    "\xb0\xea\xae\x61\xaf\xc1\xa4\xde", // 國家索引
    "\xa4\x48\xaa\xab\xbd\x73\xb8\xb9", // 人物編號
    "\xb0\xea\xae\x61\xc4\xdd\xa9\xca", // 國家屬性
    "\xa6\x50\xb7\xf9\xb8\x73\xb2\xd5", // 同盟群組
    "\xa4\xba\xac\x46\xab\xac\xba\x41", // 內政型態
    "\xa5\x7e\xa5\xe6\xab\xac\xba\x41", // 外交型態
    "\xa8\xbe\xa6\x75\xbc\xd2\xa6\xa1", // 防守模式
    "\xbc\xc4"
    "AI\xb5\xa5\xaf\xc5",                       // 敵AI等級
    "XXXXX",                                    // XXXXX
    "\xaa\x5a\xb1\x4e\xc4\xb5\xa7\xd9",         // 武將警戒
    "\xaa\x5a\xb1\x4e\xb0\x6c\xae\xb7",         // 武將追捕
    "\xaa\x5a\xb1\x4e\xba\x4d\xb0\x68",         // 武將撤退
    "\xa6\xe6\xb0\xca\xa4\xe8\xb0\x77",         // 行動方針
    "\xbe\xd4\xb3\x4e\xab\xac\xba\x41",         // 戰術型態
    "\xa8\xb5\xc5\xde\xab\xb0\xa6\xc0",         // 巡邏城池
    "\xb4\xb2\xa5\xac\xbe\x6e\xb2\xcf",         // 散布駐紮
    "\xbe\x6e\xa6\x75\xb3\x71\xb9\x44",         // 駐守通道
    "\xb6\x7d\xa9\x6c\xa7\x4c\xa4\x4f",         // 開始兵力
    "\xab\xb0\xab\x4f\xaf\x64\xa4\x68\xa7\x4c", // 城保留士兵
};

Kingdom::Kingdom() {
    InitRecord(kKingdomSchema, KingdomColumnNames, L::kSize);
    childList = &cities;
    caption = reinterpret_cast<const char*>(block);
    recordKind = 2;
    nationIndex = Int(L::kNation);
}

Kingdom::~Kingdom() {
    for (uintptr_t v = cities.First(); v != 0; v = cities.First()) {
        cities.RemoveCurrent();
        delete At<City>(v);
    }
    for (uintptr_t v = fieldUnits.First(); v != 0; v = fieldUnits.First()) {
        fieldUnits.RemoveCurrent();
        delete At<Troop>(v);
    }
    for (uintptr_t v = gates.First(); v != 0; v = gates.First()) {
        gates.RemoveCurrent();
        delete At<CastleGate>(v);
    }
    mapGenerals.RemoveAll();
}

int32_t Kingdom::QuotaFor(int32_t n, bool daily) const {
    const int32_t start = Int(L::kStartingStrength);
    int32_t quota = start;
    if (n > 0) {
        const int32_t factorCities = daily ? std::min(n, 3) : n;
        // "開始兵力" comes from the stage file: the scaled value saturates instead of overflowing.
        const double scaled = start * (1.0 + 0.3 * (factorCities - 1));
        quota = static_cast<int32_t>(std::clamp(scaled, double(INT32_MIN), double(INT32_MAX - 1)));
    }
    if (daily) quota = std::min(quota, 24);
    return quota == INT32_MAX ? quota : quota + 1;
}

void Kingdom::AddCity(City* city) {
    ++cityCount;
    cities.Add(reinterpret_cast<uintptr_t>(city));
    troopQuota = QuotaFor(cityCount, false);
}

void Kingdom::RemoveCity(City* city) {
    // A city that is not ours leaves the count as it is.
    if (!cities.RemoveValue(reinterpret_cast<uintptr_t>(city))) return;
    --cityCount;
    troopQuota = QuotaFor(cityCount, false);
}

void Kingdom::AddFieldUnit(Troop* troop) {
    fieldUnits.Add(reinterpret_cast<uintptr_t>(troop));
}

int Kingdom::AcceptsProposal(int kind) const {
    const Zu_StageSet* stage = CurrentStageSet();
    const Kingdom* player = stage ? stage->playerKingdom : nullptr;
    const bool inRange = nationIndex >= 0 && nationIndex <= kMaxNations;
    const int32_t g = player && inRange ? player->goodwill[nationIndex] : 0;
    const int32_t t = std::clamp(DiplomacyType(), 0, 4);
    const uint8_t* options = TheGameController ? TheGameController->optionBytes : nullptr;
    switch (kind) {
    case 1: {
        static constexpr int32_t kThresholds[5] = {60, 70, 80, 90, 101};
        if (DiplomacyType() == 4) return 0;
        const int32_t threshold = options && options[1] == 'c' ? 90 : kThresholds[t];
        return g >= threshold ? 1 : 0;
    }
    case 2: {
        static constexpr int32_t kThresholds[5] = {50, 60, 70, 80, 101};
        const int32_t threshold = options && options[0] == 'c' ? 80 : kThresholds[t];
        return g >= threshold ? 1 : 0;
    }
    case 4:
        return 0;
    default:
        return 1;
    }
}

void Kingdom::BindToStage() {
    std::vector<Troop*> special;
    for (uintptr_t v = fieldUnits.First(); v != 0; v = fieldUnits.Next()) {
        Troop* t = At<Troop>(v);
        if (t->officer && t->officer->Get(OfficerLayout::kAttribute) == kSpecialUnitKind)
            special.push_back(t);
    }
    for (Troop* t : special) {
        fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
        if (TheBattleMap) TheBattleMap->RemoveObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
        delete t;
    }

    goldTotal = 0;
    City* first = At<City>(cities.First());
    for (uintptr_t v = cities.First(); v != 0; v = cities.Next()) {
        City* city = At<City>(v);
        std::fill(std::begin(city->garrison), std::end(city->garrison), nullptr);
        city->gates.RemoveAll();
        city->StartStage();
        goldTotal += city->Int(CityLayout::kGold);
        city->capital = first;
    }

    const bool haveGrid = TheBattleMap && TheBattleMap->HasCells();
    std::vector<CastleGate*> list;
    for (uintptr_t v = gates.First(); v != 0; v = gates.Next())
        list.push_back(At<CastleGate>(v));
    for (CastleGate* gate : list) {
        const bool onMap =
            !haveGrid || (gate->cellX >= 0 && gate->cellY >= 0 && gate->cellX < TheBattleMap->width &&
                          gate->cellY < TheBattleMap->rows);
        City* home = nullptr;
        if (onMap) {
            for (uintptr_t v = cities.First(); v != 0 && !home; v = cities.Next()) {
                City* c = At<City>(v);
                if (c->Int(CityLayout::kX) == gate->cellX && c->Int(CityLayout::kY) == gate->cellY) home = c;
            }
        }
        if (!home) {
            if (onMap && haveGrid) gate->SetOpen(3);
            gates.RemoveValue(reinterpret_cast<uintptr_t>(gate));
            delete gate;
            continue;
        }
        if (home->Scale() == 0) home->SetInt(CityLayout::kScale, 1);
        const int32_t row = std::clamp(home->Scale(), 1, 4) - 1;
        const int32_t strength = GameParams().siteRows[row][1];
        gate->strengthTotal = 0;
        for (Troop* piece : gate->pieces) {
            if (!piece) continue;
            if (piece->officer) {
                piece->officer->Set(OfficerLayout::kHp, strength);
                piece->officer->Set(OfficerLayout::kMaxHp, strength);
            }
            piece->homeCity = home->id;
            gate->strengthTotal += strength;
        }
        home->gates.Add(reinterpret_cast<uintptr_t>(gate));
    }
}

void Kingdom::TickFieldUnits() {
    DailyUpdate();
    if (TheGameController && TheGameController->networked && !TheGameController->isHost) return;
    for (uintptr_t v = fieldUnits.First(); v != 0; v = fieldUnits.Next()) {
        Troop* t = At<Troop>(v);
        if (t->officer) {
            const int32_t days = t->officer->Get(kStartingDays);
            if (days > 0) t->officer->Set(kStartingDays, days - 1);
        }
        // A route's stay at a point counts in days; the negative markers wait for the order step.
        if (t->routeWait >= 0 && t->routeWait < INT16_MAX) ++t->routeWait;
        t->TickStatus();
    }
}

void Kingdom::DailyUpdate() {
    cityStrengthTotal = cityTroopTotal = cityCount = fieldGeneralCount = 0;
    PickTargetCity();
    auto boundsSet = [](const City* c) { return c->areaBounds[0] != -1; };
    for (uintptr_t v = cities.First(); v != 0; v = cities.Next()) {
        City* city = At<City>(v);
        // Units leave and come back all day: the quota and sorties work from today's numbers.
        city->SumTroops();
        ++cityCount;
        city->attackedToday = 0;
        if (boundsSet(city)) cityTroopTotal += city->unitCount;
    }
    const bool authority = !TheGameController || !TheGameController->networked || TheGameController->isHost;
    if (!authority) return;
    const int32_t gameKind = TheGameController ? TheGameController->gameKind : 0;
    const int32_t regainDays = GameParams().skillRegainDays[gameKind == 0 ? 0 : 1];
    for (uintptr_t v = fieldUnits.First(); v != 0; v = fieldUnits.Next()) {
        Troop* t = At<Troop>(v);
        OfficerRecord* o = t->officer;
        if (!o || o->Get(OfficerLayout::kAttribute) != 1) continue;
        ++fieldGeneralCount;
        // A general in the field slowly regains its skill power.
        if (o->Get(OfficerLayout::kMp) >= o->Get(OfficerLayout::kMaxMp)) continue;
        if (++o->workCounters[1] > regainDays) {
            NetCmdAddTroopValue(t, 1, 2);
            o->workCounters[1] = 0;
        }
    }
    const bool active = TheBattleMap && nationIndex >= 0 && nationIndex < BattleMap::kSides &&
                        TheBattleMap->sideActive[nationIndex] != 0;
    if (gameKind == 0 || !active || NationKind() >= 2) return;
    for (uintptr_t v = cities.First(); v != 0; v = cities.Next()) {
        City* city = At<City>(v);
        city->settings[4] = 1;
        city->settings[0] = 0;
        if (boundsSet(city)) cityTroopTotal -= city->settings[4];
        cityStrengthTotal += city->totalStrength;
    }
    troopQuota = QuotaFor(cityCount, true);
    if (troopQuota >= cityTroopTotal) return;
    for (uintptr_t v = cities.First(); v != 0; v = cities.Next()) {
        City* city = At<City>(v);
        if (fieldGeneralCount < 30) {
            city->sortieCount = boundsSet(city) ? std::max(0, city->unitCount - city->settings[4]) : 0;
            city->statusTimer = 1;
        } else {
            city->sortieCount = 0;
        }
    }
}

int Kingdom::Save(ByteWriter& out) const {
    out.u32(L::kSize);
    out.u32(static_cast<uint32_t>(cities.GetCount()));
    out.bytes(block, L::kSize);
    auto& list = const_cast<LinkList&>(cities);
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        At<City>(v)->Save(out);
    return 1;
}

int Kingdom::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    const uint32_t count = in.u32();
    if (!in.ok() || length > kMaxRecordBytes || !in.has(length)) return 0;
    const int32_t owner = (TheBattleMap ? TheBattleMap->sideCount : 0) + 1;
    const int32_t firstIndex = TheBattleMap ? TheBattleMap->cityCount : 0;
    if (owner > kMaxNations || count > static_cast<uint32_t>(kMaxCities - firstIndex)) return 0;
    uint8_t loaded[L::kSize] = {};
    const uint32_t keep = std::min<uint32_t>(length, L::kSize);
    in.bytes(loaded, keep);
    in.skip(length - keep);
    ByteReader nation(loaded + L::kNation, 4);
    const int32_t edited = nation.i32();
    if (edited < 0 || edited > kMaxNations) return 0;

    // Every city is read before any table hears of one, so a bad section leaves no trace.
    std::vector<std::unique_ptr<City>> read;
    for (uint32_t i = 0; i < count; ++i) {
        auto city = std::make_unique<City>(100, 0);
        if (!city->Load(in)) return 0;
        read.push_back(std::move(city));
    }
    std::memcpy(block, loaded, L::kSize);
    for (auto& owned : read) {
        City* city = owned.release();
        city->ownerSide = owner;
        if (TheBattleMap) {
            city->id = TheBattleMap->cityCount + 1;
            TheBattleMap->cities[TheBattleMap->cityCount++] = city;
        }
        cities.Add(reinterpret_cast<uintptr_t>(city));
        ++cityCount;
        if (ScenarioData* s = Scenario()) s->stageCities.Add(reinterpret_cast<uintptr_t>(city));
    }
    return 1;
}

RootObject* Kingdom::NewChild(int) {
    auto* city = new City(100, 0);
    city->ClearBlock();
    city->SetText(CityLayout::kName, 20, kNewCity);
    cities.Add(reinterpret_cast<uintptr_t>(city));
    if (ScenarioData* s = Scenario()) s->stageCities.Add(reinterpret_cast<uintptr_t>(city));
    return city;
}

void Kingdom::RemoveChild(int, RootObject* child) {
    if (!child || !cities.RemoveValue(reinterpret_cast<uintptr_t>(child))) return;
    // The city's destructor takes it off the battle map's and the scenario's tables.
    delete static_cast<City*>(child);
}

void Kingdom::SyncChildren(LinkList& list) {
    LinkList* records = &list;
    std::vector<City*> unmatched;
    for (uintptr_t v = cities.First(); v != 0; v = cities.Next()) {
        City* city = At<City>(v);
        const std::string_view name = city->Caption();
        bool found = false;
        for (uintptr_t r = records->First(); r != 0 && !found; r = records->Next()) {
            auto* record = At<DataSet>(r);
            if (record->Caption() != name || record->BlockBytes() < CityLayout::kSize) continue;
            std::memcpy(city->block, record->block, CityLayout::kSize);
            found = true;
        }
        if (!found) unmatched.push_back(city);
    }
    for (City* city : unmatched)
        RemoveChild(0, city);
}

int Kingdom::RefreshChild(int, RootObject* child) {
    auto* city = static_cast<City*>(child);
    ScenarioData* s = Scenario();
    if (!city || !s) return 0;
    const int32_t index = city->Int(CityLayout::kIndex);
    for (uintptr_t v = s->cityTemplates.First(); v != 0; v = s->cityTemplates.Next()) {
        City* t = At<City>(v);
        if (t == city || t->Int(CityLayout::kIndex) != index) continue;
        const int32_t governor = city->Int(CityLayout::kGovernor);
        std::memcpy(city->block, t->block, CityLayout::kSize);
        city->SetInt(CityLayout::kGovernor, governor);
        return 1;
    }
    return 0;
}

RootObject* Kingdom::CreateChild(int) {
    return new City(100, 0);
}
