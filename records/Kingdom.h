#pragma once

#include "engine/LinkList.h"
#include "records/DataSet.h"

#include <cstdint>

class ByteReader;
class ByteWriter;
class City;
class Troop;

// Byte offsets of the kingdom block; the schema covers the first 96 bytes, the last dword is kept
// with the block but never shown.
struct KingdomLayout {
    static constexpr uint32_t kSize = 100;
    static constexpr uint32_t kName = 0; // "君主名", 20 bytes
    static constexpr uint32_t kNation = 20;
    static constexpr uint32_t kPersonNumber = 24;
    static constexpr uint32_t kNationKind = 28;
    static constexpr uint32_t kAllianceGroup = 32;
    static constexpr uint32_t kDiplomacy = 40;
    static constexpr uint32_t kDefenceMode = 44;
    static constexpr uint32_t kPatrol = 76; // then the other four garrison settings
    static constexpr uint32_t kStartingStrength = 88;
    static constexpr uint32_t kKeptBack = 92;
};

// One nation of a stage: its ruler and settings, its cities, field units and castle gates, its
// relations toward every other nation and its running totals.
class Kingdom : public DataSet {
public:
    // Nation indexes run 1..kMaxNations; tables indexed by them keep entry 0 unused.
    static constexpr int kMaxNations = 128;
    static constexpr int kMaxCities = 256;

    Kingdom();
    ~Kingdom() override;

    // Editor slots over the city list.
    RootObject* NewChild(int kind) override;
    void RemoveChild(int kind, RootObject* child) override;
    int RefreshChild(int kind, RootObject* child) override;
    RootObject* CreateChild(int kind) override;
    // Copies over each city the record of the list with the same name; cities without one go.
    void SyncChildren(LinkList& records);

    void AddCity(City* city);
    void RemoveCity(City* city);
    void AddFieldUnit(Troop* troop);
    // 1 accept, 0 refuse, from the player's goodwill and this kingdom's diplomatic type.
    int AcceptsProposal(int kind) const;
    // Stage start: drops special units, starts the cities, binds the castle gates to them.
    void BindToStage();
    // The daily step: the totals, the field generals and, for a computer kingdom, the quota
    // that sends surplus city units out.
    void TickFieldUnits();
    void DailyUpdate();

    // u32 100, u32 city count, the block, the cities.
    int Save(ByteWriter& out) const;
    // The cities take the next side and the next city ids of the battle map. 0, with nothing
    // entered anywhere, when the section is short, names an impossible nation or would overflow
    // the city or side tables.
    int Load(ByteReader& in);

    // What the battle world asks of a kingdom; filled in with the kingdom's battle behaviour.
    // The city passes to this kingdom; the taking troop's home city settles a village's parent.
    virtual void TakeCity(Troop* taker, City* city);
    // Every troop of the kingdom's field units that is ordered against the city id goes home.
    virtual void RecallTroopsTargeting(int cityId);

    int32_t NationKind() const { return Int(KingdomLayout::kNationKind); }
    int32_t AllianceGroup() const { return Int(KingdomLayout::kAllianceGroup); }
    void SetAllianceGroup(int32_t group) { SetInt(KingdomLayout::kAllianceGroup, group); }
    int32_t PersonNumber() const { return Int(KingdomLayout::kPersonNumber); }
    int32_t DiplomacyType() const { return Int(KingdomLayout::kDiplomacy); }
    // The troop quota for n cities: the factor grows 0.3 a city.
    int32_t QuotaFor(int32_t cities, bool daily) const;

    LinkList cities; // City*, owned
    int32_t cityTroopTotal = 0;
    int32_t strengthEstimate = 0;
    int32_t cityStrengthTotal = 0;
    int32_t troopQuota = 0;
    int32_t cityCount = 0;
    int32_t nationIndex = 0;
    int32_t setterWords[2] = {};
    int32_t goodwill[kMaxNations + 1] = {};
    int32_t relations[kMaxNations + 1] = {}; // 1 self or ally, 2 neutral, 3 war
    int32_t goldTotal = 0;
    LinkList fieldUnits;  // Troop*, owned
    LinkList mapGenerals; // OfficerRecord*, not owned
    LinkList gates;       // CastleGate*, owned
    City* mainCity = nullptr;
    uint16_t ownColour = 0; // colour 7 of its nation's row
    int32_t fieldGeneralCount = 0;
    int32_t targetCityId = -1;
    // Units received by and sent to garrison posts.
    int32_t receivedUnits = 0, sentUnits = 0;
    // Outcome words of the stage record: the share of the others' strength, whether the kingdom
    // is beaten or without a city, and its result in a team game.
    int32_t strengthRatio = 0;
    int32_t beaten = 0;
    int32_t noCity = 0;
    int32_t teamResult = -1;
    // Battle tallies T1..T10: officers defeated (ordinary, famous, special), troops destroyed,
    // officers lost (ordinary, famous), troops lost, gate pieces, structures and cities destroyed.
    int32_t tally[10] = {};
    int32_t score = 0;
    // ---- Troop combat (troops/TroopHits.cpp) ----
    // Damage its troops dealt; counted where blows are decided (single play or the host).
    int32_t damageDealt = 0;
    uint16_t colour = 0;
    int32_t winFlag = 0;

    // A computer kingdom's hostile city to attack, and its three nearest cities that attack it
    // (KingdomAttackTarget.cpp).
    void PickTargetCity();

    // The city the kingdom's forces are told to mind, and its key.
    City* focusCity = nullptr;
    int32_t focusKey = -1;

    // ---- Trigger conditions (events/) ----
    // Two outcome flags a stage script can test; nothing in the game sets them.
    int32_t outcomeFlagC = 0, outcomeFlagD = 0;

    // ---- Capture (CityCapture.cpp) ----
    void TransferGatesInArea(int32_t oldIndex, int32_t newIndex, int32_t cityId);

    // ---- Stage files (stagefiles/MainStage*.cpp) ----
    // The marked city's id as a main stage file stores it; the loader's binding turns it into
    // mainCity.
    int32_t markedCityId = 0;
};

extern const char* const KingdomColumnNames[20];
