#include "records/Persons.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/GameRules.h"
#include "Program/ScreenSettings.h"
#include "engine/LinkList.h"
#include "engine/Random.h"
#include "net/GameRecordChannel.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "windows/main/Win01Window.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>
#include <vector>

int32_t PersonCount = 0;
int32_t PersonCap = kDefaultPersonCap;

namespace {
using L = OfficerLayout;

constexpr uint32_t kKingdomAlert = 56;   // "武將警戒"
constexpr uint32_t kKingdomPursue = 60;  // "武將追捕"
constexpr uint32_t kKingdomRetreat = 64; // "武將撤退"
constexpr int32_t kKeeperTemplate = 444;
constexpr int32_t kCityPersons = 4;
// Template columns of the officers who come of age.
constexpr uint32_t kBirthYear = 284;  // "出生年"
constexpr uint32_t kFirstCity = 288;  // "城1".."城6"
constexpr uint32_t kFirstRuler = 312; // "君1".."君6"
constexpr uint32_t kBirthMonth = 404; // "出生月"
constexpr uint32_t kStrengthRest = L::kStrengthRest;
constexpr int32_t kFirstLateTemplate = 250;
constexpr size_t kStatusBytes = 63; // a 64-byte buffer with its terminator

int32_t TemplateValue(const uint8_t* tmpl, uint32_t offset) {
    int32_t v;
    std::memcpy(&v, tmpl + offset, 4);
    return v;
}

bool StageLoaded() {
    return TheBattleMap && TheBattleMap->stageSet;
}

GameRecordChannel* Channel() {
    return TheGameController ? TheGameController->recordChannel : nullptr;
}

std::vector<City*> KindZeroCities(Kingdom& k) {
    std::vector<City*> out;
    for (City* c : ListValues<City>(k.cities))
        if (c->Kind() == 0) out.push_back(c);
    return out;
}

// The ordinary person troop: off the map at (0, 0), waiting.
Troop* MakePerson(OfficerRecord* officer, Kingdom* kingdom, int32_t homeCity) {
    auto* t = new Troop(officer->Get(L::kSoldierType), 10, 0, 0, static_cast<int8_t>(kingdom->nationIndex),
                        static_cast<int16_t>(homeCity), 100, officer);
    t->flagWord = 1;
    return t;
}

int32_t CityIdOf(City* city, SubCastle* subCastle) {
    return city ? city->id : subCastle->cityId;
}

// A kingdom's kind-0 city picked with the local generator, or null.
City* PickKindZeroCity(std::vector<City*>& cities) {
    if (cities.empty()) return nullptr;
    return cities[static_cast<size_t>(platform::rand()) % cities.size()];
}

void SpawnScheduled(int32_t t, int32_t stamp) {
    GameController* c = TheGameController;
    const uint8_t* tmpl = GeneralTemplate(t);
    const int32_t campaign = c->campaignStage;
    // A campaign byte outside 1..6 names no column of the template.
    if (campaign < 1 || campaign > 6) return;
    if (TemplateValue(tmpl, kFirstCity + 4 * uint32_t(campaign - 1)) != 0) return;
    const int32_t ruler = TemplateValue(tmpl, kFirstRuler + 4 * uint32_t(campaign - 1));
    auto spawnIn = [&](City* city) {
        SubCastle* sub = city ? city->FindSubCastleOfKind(4) : nullptr;
        if (!sub) return false;
        SpawnPersonFromCommand(sub, stamp, t);
        if (c->networked)
            if (GameRecordChannel* ch = Channel()) ch->SendSpawnPerson(city, uint32_t(stamp), 4, uint32_t(t));
        return true;
    };
    LinkList* kingdoms = StageKingdoms();
    if (ruler != 0 && kingdoms) {
        for (Kingdom* k : ListValues<Kingdom>(*kingdoms)) {
            if (k->PersonNumber() != ruler) continue;
            std::vector<City*> cities = KindZeroCities(*k);
            if (cities.empty()) break;
            if (spawnIn(PickKindZeroCity(cities))) return;
        }
    }
    if (!kingdoms) return;
    std::vector<City*> all;
    for (Kingdom* k : ListValues<Kingdom>(*kingdoms))
        for (City* city : KindZeroCities(*k))
            all.push_back(city);
    spawnIn(PickKindZeroCity(all));
}

} // namespace

int32_t CalendarStamp() {
    const ScreenSettings* s = TheScreenSettings;
    return s ? (s->year * 12 + s->month) * 30 + s->day : 0;
}

int32_t RandomPersonTemplate(int32_t randomValue) {
    const int32_t r = randomValue % 100;
    if (r < 11) return 405;
    if (r < 26) return 404;
    if (r < 51) return 403;
    if (r < 76) return 402;
    return 401;
}

Troop* CreatePerson(Kingdom* kingdom, City* city, SubCastle* subCastle, int32_t templateNo, int32_t stamp,
                    uint32_t serial) {
    if (!kingdom || (!city && !subCastle) || !GeneralTemplate(templateNo)) return nullptr;
    auto* officer = new OfficerRecord(kingdom->nationIndex, templateNo);
    if (serial != 0) officer->serial = serial;
    officer->Set(L::kExperience, 0);
    officer->bonusExperience = 0;
    officer->GrowStats(0);
    Troop* t = MakePerson(officer, kingdom, CityIdOf(city, subCastle));
    officer->dateStamp = stamp;
    t->RecomputeEquipment();
    t->order->alert = static_cast<int8_t>(kingdom->Int(kKingdomAlert));
    t->order->pursue = static_cast<uint8_t>(kingdom->Int(kKingdomPursue));
    officer->Set(L::kRetreat, kingdom->Int(kKingdomRetreat));
    t->flags = 6;
    if (city) {
        t->garrison = 1;
        city->units.Add(reinterpret_cast<uintptr_t>(t));
    } else {
        t->garrison = 2;
        subCastle->secondUnits.Add(reinterpret_cast<uintptr_t>(t));
    }
    return t;
}

void RequestCreatePerson(Kingdom* kingdom, City* city, SubCastle* subCastle, int32_t templateNo) {
    if (!DecidesHere()) return;
    Troop* t = CreatePerson(kingdom, city, subCastle, templateNo, CalendarStamp());
    if (!t || !GameNetworked()) return;
    // The officer's serial is the person's key on every station: two persons made on one day
    // must not look alike to the clients.
    City* place = city ? city : (TheBattleMap ? TheBattleMap->CityById(subCastle->cityId) : nullptr);
    if (GameRecordChannel* ch = Channel())
        ch->SendCreatePerson(uint32_t(kingdom->nationIndex), place,
                             subCastle ? uint8_t(subCastle->Kind()) : 0, uint32_t(templateNo),
                             t->officer->serial);
}

void SpawnRandomPersons(SubCastle* subCastle, Kingdom* kingdom, int32_t n) {
    if (!StageLoaded() || !subCastle || PersonCount >= PersonCap) return;
    for (int32_t i = 0; i < n; ++i) {
        RequestCreatePerson(kingdom, nullptr, subCastle, RandomPersonTemplate(platform::rand()));
        const bool full = PersonCount >= PersonCap;
        ++PersonCount;
        if (full) return;
    }
}

void SpawnSyncedPersons(SubCastle* subCastle, Kingdom* kingdom, int32_t n) {
    if (!StageLoaded() || !subCastle || PersonCount >= PersonCap) return;
    for (int32_t i = 0; i < n; ++i) {
        CreatePerson(kingdom, nullptr, subCastle, RandomPersonTemplate(GameRandom()), CalendarStamp());
        const bool full = PersonCount >= PersonCap;
        ++PersonCount;
        if (full) return;
    }
}

void SpawnCityPersons(City* city, Kingdom* kingdom) {
    if (!StageLoaded() || !city) return;
    for (int32_t i = 0; i < kCityPersons; ++i)
        CreatePerson(kingdom, city, nullptr, RandomPersonTemplate(GameRandom()), CalendarStamp());
}

Troop* CreateSubCastleKeeper(SubCastle* subCastle, Kingdom* kingdom) {
    if (!StageLoaded() || !subCastle || !kingdom || !GeneralTemplate(kKeeperTemplate)) return nullptr;
    auto* officer = new OfficerRecord(kingdom->nationIndex, kKeeperTemplate);
    Troop* t = MakePerson(officer, kingdom, subCastle->cityId);
    t->garrison = 2;
    // A keeper already there gives way to the new one.
    delete subCastle->keeper;
    subCastle->keeper = t;
    subCastle->occupied = 1;
    return t;
}

void SpawnScheduledOfficers() {
    GameController* c = TheGameController;
    const ScreenSettings* s = TheScreenSettings;
    if (!c || !s || !StageLoaded() || !DecidesHere()) return;
    if (c->gameKind == 0 || c->gameKind == 2) return;
    if (c->gameKind == 3 && c->teamMode != 0) return;
    int32_t first, end;
    if (s->day == 5) {
        first = 1;
        end = kFirstLateTemplate;
    } else if (s->day == 15) {
        first = kFirstLateTemplate;
        end = std::min<int32_t>(GeneralTemplateCount, kGeneralTemplateTableSize);
    } else {
        return;
    }
    const int32_t stamp = CalendarStamp();
    for (int32_t t = first; t < end; ++t) {
        const uint8_t* tmpl = GeneralTemplate(t);
        if (!tmpl || TemplateValue(tmpl, kStrengthRest) != 0) continue;
        if (TemplateValue(tmpl, kBirthYear) != s->year || TemplateValue(tmpl, kBirthMonth) != s->month)
            continue;
        SpawnScheduled(t, stamp);
    }
}

Troop* SpawnPersonFromCommand(SubCastle* subCastle, int32_t stamp, int32_t templateNo) {
    const uint8_t* tmpl = GeneralTemplate(templateNo);
    Kingdom* kingdom = subCastle ? TroopKingdom(subCastle->ownerSide) : nullptr;
    if (!subCastle || !tmpl || !kingdom) return nullptr;
    const GameParameters& p = GameParams();
    auto* officer = new OfficerRecord(kingdom->nationIndex, templateNo);
    officer->Set(L::kLevel, p.innOfficerGrowth[std::clamp(AgeIndex(), 0, 9)]);
    officer->dateStamp = stamp;
    officer->GrowStats(0);
    Troop* t = MakePerson(officer, kingdom, subCastle->cityId);
    t->flags = 6;
    officer->Set(L::kTroopCapacity, 0);
    officer->UpdateRank(0);
    const int32_t experience = p.unifiedLevelExp[std::clamp(officer->Get(L::kLevel), 1, 30) - 1];
    officer->bonusExperience = experience;
    officer->Set(L::kExperience, experience);
    t->RecomputeEquipment();
    officer->Set(L::kHp, officer->Get(L::kMaxHp));
    officer->Set(L::kMp, officer->Get(L::kMaxMp));
    officer->Set(L::kLoyalty, TemplateValue(tmpl, L::kLoyalty));
    t->garrison = 2;
    subCastle->secondUnits.Add(reinterpret_cast<uintptr_t>(t));
    ShowStatusText(PersonArrivalText(*t, *subCastle).c_str());
    return t;
}

std::string PersonArrivalText(const Troop& person, const SubCastle& subCastle) {
    std::string text;
    if (person.officer) text.append(person.officer->Name());
    text.append("\xA5\x58\xB2\x7B\xA6\x62"); // "出現在"
    City* city = TheBattleMap ? TheBattleMap->CityById(subCastle.cityId) : nullptr;
    if (city) {
        const Kingdom* owner = TroopKingdom(city->ownerSide);
        const uint8_t* ruler =
            owner && owner->NationKind() != 2 ? GeneralTemplate(owner->PersonNumber()) : nullptr;
        if (ruler) {
            text.append(reinterpret_cast<const char*>(ruler),
                        strnlen(reinterpret_cast<const char*>(ruler), 20));
            text.append("\xAA\xBA"); // "的"
        }
        text.append(city->Text(CityLayout::kName, 20));
    }
    // Cut to the buffer on a character boundary: a lead byte never stays without its trail byte.
    size_t keep = 0;
    while (keep < text.size()) {
        const size_t step = static_cast<uint8_t>(text[keep]) >= 0x81 ? 2 : 1;
        if (keep + step > kStatusBytes || keep + step > text.size()) break;
        keep += step;
    }
    text.resize(keep);
    return text;
}
