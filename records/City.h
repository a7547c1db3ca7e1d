#pragma once

#include "engine/LinkList.h"
#include "records/CityWorks.h"
#include "records/DataSet.h"

#include <cstdint>

class ByteReader;
class ByteWriter;
struct MapCell;
class OfficerRecord;
class SavedRecord;
class SubCastle;
class Troop;
class Zu_SkillEffect;

// Byte offsets of the city block's columns.
struct CityLayout {
    static constexpr uint32_t kSize = 392;
    static constexpr uint32_t kName = 0; // "都市名", 20 bytes
    static constexpr uint32_t kIndex = 20;
    static constexpr uint32_t kKind = 24;  // "城屬性", 0..10
    static constexpr uint32_t kScale = 28; // "城規模", 1..4
    static constexpr uint32_t kPopulation = 32;
    static constexpr uint32_t kGold = 36;
    static constexpr uint32_t kFood = 40;
    static constexpr uint32_t kX = 72;
    static constexpr uint32_t kY = 76;
    static constexpr uint32_t kGovernor = 80; // "太守", a person number
};

// One city, castle, village or camp: its record, its generals, units and sub-castles, and the
// working values of its economy and defence.
class City : public DataSet {
public:
    static constexpr int kSubCastleKind = 100; // editor kinds from here on name sub-castles

    City(int32_t ownerSide = 100, int32_t cityIndex = 0);
    ~City() override;

    // Editor slots: below kSubCastleKind a general, from it on a sub-castle.
    RootObject* NewChild(int kind) override;
    void RemoveChild(int kind, RootObject* child) override;
    int RefreshChild(int kind, RootObject* child) override;
    RootObject* CreateChild(int kind) override;

    // u32 392, u32 general count, the block, the generals.
    int Save(ByteWriter& out) const;
    // 0 when the section is shorter than it claims; the generals read so far stay.
    int Load(ByteReader& in);

    Troop* FindUnitByPersonId(int32_t personId);
    SubCastle* FindSubCastleOfKind(int32_t kind);
    // What the city's panels do with one of its units: 1 make it the led troop, 2 and 3 send it
    // out of the kind-4 or kind-5 sub-castle, 4 take it in, 5 dismiss it, 6 and 7 spend gold on
    // it. 0 when a unit cannot be sent out (no such sub-castle, no free cell), else 1.
    int ApplyUnitAction(int16_t operation, Troop* troop);
    // The five garrison settings of the owner kingdom; nothing when the side has no kingdom.
    void CopyOwnerSettings();

    // Repaints the city's land: every cell connected to the seed cell that carries the old mark
    // takes the new one (and, in the second form, the fog tag).
    void ReassignCellOwner(uint16_t oldMark, uint16_t newMark);
    void ReassignCellOwnerAndTag(uint16_t oldMark, uint16_t newMark, uint8_t tag);

    // The city's daily cycle; run by the calendar.
    virtual void StartStage();
    virtual void RunAi();
    virtual void Update();
    // ---- Guards (CityGuards.cpp) ----
    // The garrison slots drop targets that left the city.
    void CheckGuards();
    virtual void StrategyTurn();
    virtual void Tick();
    virtual void CountTick();
    virtual void TickGarrison();

    // What the battle world asks of a city; filled in with the city's battle behaviour.
    // Takes in a troop that has arrived at the city.
    virtual void RequestTroopEntry(Troop* troop);
    // A hit of that power from that side (and shooter, or null) on the city.
    virtual void ResolveAttack(int attack, int side, Troop* attacker);
    virtual void DrawMapMarker(int reveal);

    // A field plot's building kind: applied here in single play or on the host, and sent to the
    // peers when networked; a client only sends.
    void RequestPlotKind(int32_t x, int32_t y, int32_t kind);
    void ApplyPlotKind(int32_t x, int32_t y, int32_t kind);

    int32_t Kind() const { return Int(CityLayout::kKind); }
    // The city's cell (unit cell), also the one troops enter by.
    int32_t CellX() const { return Int(CityLayout::kX); }
    int32_t CellY() const { return Int(CityLayout::kY); }
    int32_t Scale() const { return Int(CityLayout::kScale); }

    LinkList generals; // OfficerRecord*, owned
    LinkList reserve;  // Troop*, owned
    LinkList units;    // Troop*, owned unless shown on the map
    int32_t value1000 = 1000;
    float incomeRates[3] = {};  // population, gold, food
    float accumulators[3] = {}; // population, food, gold
    int32_t garrisonStrength = 0;
    int32_t generalStrength = 0;
    int32_t totalStrength = 0;
    int32_t unitCount = 0;
    int32_t escortStrength = 0;
    int32_t exitX = 0, exitY = 0;
    int32_t ownerSide = 0;
    int32_t id = 0; // index + 1
    int32_t markedMode = 0;
    int32_t spawnedOut = 0;
    int32_t raidTrigger = 0;
    int32_t emptyFlag = 0;
    int32_t underAttack = 0, underAttackTimer = 0, attackedToday = 0;
    int32_t generalTroopCount = 0, reserveTroopCount = 0, otherUnitCount = 0;
    int16_t deployOrder = 0;
    int32_t statusTimer = 0;
    Troop* garrison[4] = {};
    City* capital = nullptr;
    uint8_t settings[5] = {}; // patrol, spread, guard passages, starting strength, kept back
    // The led troop.
    Troop* currentUnit = nullptr;
    LinkList gates; // CastleGate*, not owned
    int32_t dead = 0;
    int32_t statusFlags = 0, repairStep = 0, clearedWord = 0, garrisonRebuild = 0;
    int32_t sortieCount = 0, raidGenerals = 0, raidOthers = 0;
    int32_t monthlyCounter = 0, furtherCounter = 0, cycleCounter = 0;
    LinkList subCastles; // SubCastle*, owned
    Zu_SkillEffect* effects[4] = {};
    LinkList sites;         // owned
    LinkList trainingQueue; // owned
    LinkList moreLists[2];
    int16_t spawnDays = 0, respawnCounter = 0, spawnedFlag = 0;
    City* recruitCity = nullptr;
    int32_t clearedWords[3] = {};
    int16_t unitsShown = 0;
    int16_t buildings[26] = {};
    int16_t counters[17] = {};
    LinkList furtherLists[2];
    uint8_t markedCity = 0;
    uint8_t toggleFlag = 0; // lets the strategy turn run for a human side
    // Stores the flag and shows it on the command panel of the selected city.
    void ApplyToggleFlag(uint8_t value);
    int32_t words[4] = {};
    int32_t pendingStatus = 0;
    int32_t areaBounds[4] = {-1, -1, -1, -1};
    int16_t actionWords[2] = {}; // [0]: its units under orders 22 and 23 (on the wall)
    Troop* towers[6] = {};
    uint8_t towerCells[6][16] = {};
    int32_t lastAttackerX = 0, lastAttackerY = 0;
    int32_t recruitCount = 0, recruitKind = 0;
    int32_t attackAlternation = 0;
    int32_t admissionDays = 0;
    int32_t wordMinusOne = -1;
    int32_t wordZero = 0;
    // What troops read of a city besides its cell.
    int16_t guardWord = 0; // non-zero: troops do not attack it
    int16_t missileValue = 0;
    City* parent = nullptr;
    int16_t rallyX = 0, rallyY = 0;
    int32_t campaignTarget = -1; // a city id to attack; 0 one of the nearest behind; -1 none
    uint8_t muster[5] = {};

    // ---- Construction, development, training and upgrades; spawning, recruiting, repairs and
    // towers (CityConstruction.cpp, CityDevelopment.cpp, CityUpgrade.cpp, CitySpawning.cpp,
    // CityRepairs.cpp, CityTowers.cpp) ----
    // Daily on the host or in single play: every assigned site gains work.
    void TickConstruction();
    // Shows the site's work: the next picture stage, or the finished building.
    void ApplyConstructionProgress(SavedRecord* site);
    // The site on that cell, or null.
    SavedRecord* FindSiteAt(int32_t x, int32_t y);
    // The first site of that building kind; for -1 a random site.
    SavedRecord* PickConstructionSite(int32_t kind);
    // One development choice of the computer (host or single play).
    DevelopmentChoice ChooseDevelopment();
    int32_t ChooseTrainingKind();
    void QueueTraining(int32_t kind, int32_t maxCount);
    void TickTraining();
    // Raises the size by one and retiles the city's land; 0 when the size cannot grow.
    int32_t ApplyUpgrade();
    void ComputeUpgradeArea();
    void RetileUpgradeCell(MapCell& cell, int32_t size);
    int32_t BuildingCount(int32_t kind) const;
    // The reserve list's size, stored as the cached count.
    int32_t RefreshReserveCount();
    int32_t ReserveCapacity() const;

    void TickSpawnTimer();
    void RequestSpawnTroop();
    void ApplySpawnTroop(uint32_t serial);
    void RecruitSpecialSoldiers();
    void RequestAddSoldier();
    void ApplyAddSoldier(uint32_t serial);
    void PickFirstSoldierType();
    void TickUnitRecovery();
    void AssignSoldiersToUnits();
    // Deals the reserve out one soldier at a time, in turn over the units that have room.
    void AutoAssignTroops();

    int32_t ComputeNeedFlags();
    void CommitStatusFlags();
    void ApplyStatusFlags(int32_t word);
    // Operations 1..6 of the status-flag record; false for an unknown operation.
    bool ApplyStatusOperation(int32_t operation, int32_t word);
    void TickRepairs();
    void SumGarrison();
    // A new tower troop in slot 0..5; false for a slot out of range.
    bool CreateTowerTroop(int32_t slot);
    void InitArea();

    Zu_SkillEffect* statusEffect = nullptr; // the repair sign over the city, owned
    int32_t towerCount = 0;                 // towers InitArea found on the map

    // Calendar, income, attack target and stage start (CityDaily.cpp, CityIncome.cpp,
    // KingdomAttackTarget.cpp, CityStageStart.cpp).
    City* stagingCity = nullptr; // the own city nearer the kingdom's target, not owned
    int32_t stagingFlag = 0;
    // Development, commerce and morale from the finished buildings, and the daily rates.
    void SumBuildings();
    // Adds the day's rates to the accumulators and hands their whole parts to the city values.
    void CollectIncome();
    void ChooseStagingCity();
    void SpawnGenerals();
    void CreateGenerals();
    // Each garrison troop leaves its kingdom's field units and is deleted.
    void ReleaseGarrison();
    // The garrison's attack and defence grow with the stage or the age of the world.
    void GrowGarrisonByAge();
    // Key 0 "武力", 1 "体力", 2 "智力": generals by that value first.
    void SortUnits(int key);
    bool InsideBattleField() const;

    // ---- Wall duties (troops/TroopWall.cpp) ----
    // A free wall cell 10..48 cells out in one drawn direction; out stays when there is none.
    void PickWallCell(int16_t& outX, int16_t& outY);
    // Sends one more troop onto the walls while the city's size allows it.
    void TryCityAction();
    void RallyWallTroops(Troop* attacker, bool all);
    void DefendersAnswer(Troop* attacker);

    // ---- Soldiers moved between the reserve and the units (CityTroopMove.cpp) ----
    // Kind 0 a reserve soldier joins a unit of the city; 1 a follower goes from one troop to
    // another; 2 a follower of a unit goes back to the reserve. False when a troop is missing or
    // the move cannot be made.
    bool ApplyTroopMove(uint32_t kind, uint32_t unit, Troop* source, Troop* destination);

    // ---- Units in and out, destruction, defence and deployment (CityOperations.cpp,
    // CityDestroy.cpp, CityDefence.cpp, CityDeployment.cpp) ----
    void ApplyTroopEntry(Troop* troop);
    void SendTroopEntry(Troop* troop);
    void ArrangeUnits(bool removeFirst);
    // False when the formation is full.
    bool PlaceEnteringUnit(Troop* troop);
    void RemoveUnitFromMap();
    int FindExitCell();
    void PutUnitOnMap(Troop* troop);
    void EquipFromStock(Troop* troop);
    void DeployWaitingUnits();
    void ApplyDestroy(uint32_t seed, uint32_t multiplier, int32_t destroyerSide);
    // The unit of the unit list whose general has that serial, or null.
    Troop* FindUnitBySerial(uint32_t serial);

    void OnAttacked(Troop* attacker);
    void SumTroops();
    bool StrikeEscort(Troop* troop, int32_t attack, int32_t side, Troop* attacker);
    bool StrikeUnit(Troop* troop, int32_t attack, int32_t side, Troop* attacker);

    int RequestDeployUnit(Troop* unit, uint8_t raid);
    int ApplyDeployUnit(Troop* unit, uint8_t raid);
    int RequestDeployUnitFollow(Troop* unit, City* target);
    int ApplyDeployUnitFollow(Troop* unit, City* target);
    void RequestAdmitUnit(Troop* unit, SubCastle* from);
    void ApplyAdmitUnit(Troop* unit, SubCastle* from);
    int RequestDeployUnitWithOrder(Troop* unit);
    int ApplyDeployUnitWithOrder(Troop* unit, int32_t orderCode);
    void DeployRaiders();
    void DeploySortie();
    void DeployMarkedUnits();

    // Game kinds 1 and 3: the cities that depend on this main castle (not owned), and the banner
    // over a main castle (owned by the effect list).
    LinkList dependants;
    Zu_SkillEffect* banner = nullptr;

    // ---- Transport (CityTransport.cpp) ----
    // The goods packed for a convoy: item numbers (at most 10), waiting soldiers taken out of the
    // reserve (owned while packed, at most 32), and gold and food no longer counted in the city's.
    LinkList packedItems;
    LinkList packedTroops;
    int32_t packedGold = 0, packedFood = 0;
    void PackTransportItems();
    void PackTransportTroops();
    // Everything packed goes back to the city.
    void CancelTransport();
    // The convoy that leaves with the pack (1: it follows the side's marked city), or null when
    // nothing leaves. A launch command names the convoy's officer by the id its sender drew.
    Troop* LaunchTransport(int followTarget, uint32_t serial = 0);
    // A convoy of the side unloads here.
    void ReceiveTransport(Troop* convoy);
    // The city event command's operations 0..15 on the pack; the unknown ones do nothing.
    void ApplyCityEvent(uint32_t kind, uint32_t unit, int32_t index, uint32_t item, int32_t gold,
                        int32_t food);

    // ---- Stage files (stagefiles/MainStage*.cpp) ----
    // The item stock: item numbers (1..499) of the item table, in stock order. The list that
    // follows it is the city's third stored list.
    LinkList& ItemStock() { return moreLists[0]; }
    // Stored in the main stage file and turned into references by the loader's binding: the
    // person number of the leader's officer, and for a kind-6 city the cell of its target city.
    int32_t leaderPersonNumber = 0;
    int32_t targetCellX = 0, targetCellY = 0;
    // The tower slots as the main stage file stores them: person number, cell x, cell y and
    // strength of each slot's troop (0 for an empty slot).
    int32_t towerRecords[6][4] = {};
};

extern const char* const CityColumnNames[55];
