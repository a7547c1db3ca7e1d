// Seeds of the city unit record target: every capture and destruction path and each unit record
// over the fuzz world, each checked to apply as it should.
#include "SeedCorpus.h"

#include "fuzz/StateFuzzWorld.h"

#include "net/GameRecordChannel.h"
#include "net/TroopCommands.h"
#include "world/UnownedCities.h"

#include <functional>

namespace {

// Byte 0 of a seed: bit 0 host, bit 1 the city's units shown, high nibble the city's kind.
constexpr uint8_t Station(bool host, bool shown, int kind) {
    return uint8_t((host ? 1 : 0) | (shown ? 2 : 0) | kind << 4);
}

} // namespace

// The fuzz world's troops by unit id: 1, 2 side 1 and 3, 4 side 2 on the field (none leads a unit:
// entering, they only take the city as their home); 5 and 6 inside city 0; 7 in its keeper's place;
// 9 in its garrison post (kind 5, the prison).
void WriteCityUnitSeeds(SeedCorpus& corpus) {
    struct Seed {
        const char* name;
        uint8_t station;
        std::vector<uint8_t> record;
        std::function<bool()> applied; // what the record left in the world
    };
    auto city = [] { return TheBattleMap->cities[0]; };
    auto side = [](int s) { return static_cast<Kingdom*>(TheBattleMap->kingdomTable[s]); };
    const Seed seeds[] = {
        {"entry", Station(true, false, 0), PackGameRecord(kRecordTroopEntry, {0, 0, 3}),
         [&] { return FindTroopById(3)->homeCity == 1; }},
        {"entry-shown", Station(false, true, 1), PackGameRecord(kRecordTroopEntry, {0, 1, 1}),
         [&] { return FindTroopById(1)->homeCity == 1 && city()->unitsShown == 1; }},
        {"entry-keep", Station(false, false, 4), PackGameRecord(kRecordTroopEntry, {0, 4, 3}),
         [&] { return city()->units.GetCount() == 2; }},
        {"deploy", Station(false, false, 0), PackGameRecord(kRecordDeployUnit, {0, 6, 0}),
         [&] { return city()->units.GetCount() == 1; }},
        {"deploy-shown", Station(false, true, 0), PackGameRecord(kRecordDeployUnit, {0, 6, 1}),
         [&] { return city()->units.GetCount() == 1; }},
        {"follow", Station(false, false, 6), PackGameRecord(kRecordDeployFollow, {0, 5, 0}),
         [&] { return city()->units.GetCount() == 1; }},
        {"order", Station(false, false, 1), PackGameRecord(kRecordDeployWithOrder, {4, 0, 1, 6, 0, 0, 0, 0}),
         [&] { return city()->units.GetCount() == 1; }},
        {"admit", Station(false, false, 0), PackGameRecord(kRecordAdmitUnit, {0, 9}),
         [&] { return city()->units.GetCount() == 3; }},
        {"destroy", Station(false, false, 2), PackGameRecord(kRecordCityDestroy, {0, 2, 5, 6}),
         [&] { return city()->dead == 1 && TheBattleMap->unownedCities.Holds(city()); }},
        {"destroy-shown", Station(true, true, 7), PackGameRecord(kRecordCityDestroy, {0, 2, 5, 6}),
         [&] { return city()->dead == 1 && side(1)->cities.GetCount() == 0; }},
        {"capture-prison", Station(false, false, 0), PackGameRecord(kRecordCityEntry, {0, 3}),
         [&] { return city()->ownerSide == 2 && city()->units.GetCount() == 0; }},
        {"capture-prison-shown", Station(true, true, 0), PackGameRecord(kRecordCityEntry, {0, 3}),
         [&] { return city()->ownerSide == 2 && side(2)->cities.GetCount() == 1; }},
        {"capture-fort", Station(false, false, 1), PackGameRecord(kRecordCityEntry, {0, 4}),
         [&] { return city()->ownerSide == 2 && city()->units.GetCount() == 0; }},
        {"capture-village", Station(false, true, 6), PackGameRecord(kRecordCityEntry, {0, 3}),
         [&] { return city()->ownerSide == 2 && city()->units.GetCount() == 0; }},
    };
    for (const Seed& s : seeds) {
        const std::string name = std::string(s.name) + ".bin";
        std::vector<uint8_t> bytes{s.station};
        bytes.insert(bytes.end(), s.record.begin(), s.record.end());
        {
            StateFuzzWorld world(s.station & 1);
            City* c = TheBattleMap->cities[0];
            c->SetInt(CityLayout::kKind, s.station >> 4);
            c->emptyFlag = 1;
            if (s.station & 2) c->ArrangeUnits(false);
            corpus.Check(ReceiveGameRecord(s.record) == CommandOutcome::Relay, "cityunits", name,
                         "the record is not relayed");
            corpus.Check(s.applied(), "cityunits", name, "the record does not leave what it should");
        }
        corpus.Write("cityunits", name, bytes);
    }
}
