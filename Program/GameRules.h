#pragma once

#include <cstdint>
#include <functional>

struct GameParameters;

// What the rule helpers read from the game controller, the battle map, the current stage set,
// the item table and the network session. Start-up provides the program's one; tests their own.
class GameRulesEnv {
public:
    virtual ~GameRulesEnv() = default;

    virtual bool Networked() const = 0;
    virtual int32_t GameKind() const = 0; // 0 story campaign, 1 to 3 the other modes
    virtual int32_t StageNumber() const = 0;
    virtual int32_t StageMonths() const = 0; // months counted by the current stage set
    virtual bool CampaignContest() const = 0;
    virtual int32_t ChosenOfficerLevel() const = 0;

    // Item records 1..ItemCount() of the global item table.
    virtual int ItemCount() const = 0;
    virtual int32_t ItemClass(int index) const = 0;
    virtual int32_t ItemLevel(int index) const = 0;

    // The runtime's rand() (single play) and the shared generator Random(n) (network play).
    virtual int Rand() = 0;
    virtual uint32_t SharedRandom(uint32_t n) = 0;

    // Battle map: a free neighbour unit cell of (x, y), and an item object made on a cell.
    virtual bool FindFreeNeighbour(int x, int y, int& freeX, int& freeY) = 0;
    virtual void AddItemObject(int item, int x, int y) = 0;

    // Every entry of every group of the current stage set with its record's owner word.
    virtual void ForEachStageEntry(const std::function<void(uintptr_t entry, int32_t owner)>& visit) = 0;

    // Network session: base points, the 20 player slots' team ids, the local player's team and
    // record.
    virtual int32_t BasePoints() const = 0;
    virtual int32_t PlayerSlotTeam(int slot) const = 0;
    virtual int32_t LocalTeam() const = 0;
    struct RecordCounts {
        int32_t gamesPlayed = 0;
        int32_t wins = 0;
        int32_t points = 0;
    };
    virtual RecordCounts LocalRecord() const = 0;
    // Uploads the local player's record with these counts.
    virtual void UploadRecord(const RecordCounts& counts) = 0;
};

constexpr int kPlayerSlots = 20;

// The program's environment; null until start-up sets it (the helpers then do nothing).
GameRulesEnv* GetGameRulesEnv();
void SetGameRulesEnv(GameRulesEnv* env);

// Clears the back surface (display width x height); gives up after a bounded number of failed
// locks.
void ClearBackSurface();

// Puts an item object on a free neighbour of (x, y): 1, or 0 when all eight are blocked.
int PlaceItemObject(GameRulesEnv& env, int x, int y, int item);
int PlaceItemObject(int x, int y, int item);

// Loot of a destroyed camp (kind 0 or 1), captain (2) or house (3).
void DropLoot(GameRulesEnv& env, const GameParameters& params, int x, int y, int sourceKind);
void DropLoot(int x, int y, int sourceKind);

// The row of the stage treasure table a loot roll uses, and the kind after the network remap.
struct LootStage {
    int stage = 0;
    int kind = 0;
};
LootStage LootStageFor(const GameRulesEnv& env, const GameParameters& params, int sourceKind);

// A random unowned entry of the current stage set; 0 when there is none.
uintptr_t PickRandomFreeEntry(GameRulesEnv& env);
uintptr_t PickRandomFreeEntry();

// Time period 0..8 of the long game modes.
int AgeIndex(const GameRulesEnv& env, const GameParameters& params);
int AgeIndex();

int32_t MatchScore(const GameRulesEnv& env, bool won, int32_t defeatedCount, int32_t teamId);
int32_t MatchScore(bool won, int32_t defeatedCount, int32_t teamId);
void ReportMatchResult(GameRulesEnv& env, bool won, int32_t defeatedCount);
void ReportMatchResult(bool won, int32_t defeatedCount);
