#include "Program/ProgramRulesEnv.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "engine/Random.h"
#include "platform/CRand.h"
#include "records/ItemRecord.h"
#include "records/RecordTables.h"
#include "world/BattleMap.h"
#include "world/MapObject.h"

#include <iterator>
#include <limits>

namespace {

// Stubs until the subsystems behind them exist. Each answers "nothing there", so the helpers
// that ask drop no loot, place nothing and score with no session.

// The session control carries no contest mode or chosen officer level yet.
bool PendingContestMode() {
    return false;
}
int32_t PendingChosenOfficerLevel() {
    return 0;
}
// The stage set has no entry groups yet.
void PendingStageEntries(const std::function<void(uintptr_t, int32_t)>&) {}
// The session keeps no player records, teams or base points yet.
int32_t PendingSessionWord() {
    return 0;
}
void PendingUploadRecord(const GameRulesEnv::RecordCounts&) {}

} // namespace

bool ProgramRulesEnv::Networked() const {
    return TheGameController && TheGameController->networked != 0;
}

int32_t ProgramRulesEnv::GameKind() const {
    return TheGameController ? TheGameController->gameKind : 0;
}

int32_t ProgramRulesEnv::StageNumber() const {
    return TheGameController ? TheGameController->campaignStage : 0;
}

int32_t ProgramRulesEnv::StageMonths() const {
    const Zu_StageSet* stage = CurrentStageSet();
    return stage ? stage->monthsElapsed : 0;
}

bool ProgramRulesEnv::CampaignContest() const {
    return PendingContestMode();
}

int32_t ProgramRulesEnv::ChosenOfficerLevel() const {
    return PendingChosenOfficerLevel();
}

int ProgramRulesEnv::ItemCount() const {
    return LastItemNumber();
}

int32_t ProgramRulesEnv::ItemClass(int index) const {
    return ItemColumn(index, ItemLayout::kCategory);
}

int32_t ProgramRulesEnv::ItemLevel(int index) const {
    return ItemColumn(index, ItemLayout::kLevel);
}

int ProgramRulesEnv::Rand() {
    return platform::rand();
}

uint32_t ProgramRulesEnv::SharedRandom(uint32_t n) {
    const auto bounded = n > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())
                             ? std::numeric_limits<int32_t>::max()
                             : static_cast<int32_t>(n);
    return Random(bounded);
}

bool ProgramRulesEnv::FindFreeNeighbour(int x, int y, int& freeX, int& freeY) {
    if (!TheBattleMap || !TheBattleMap->HasCells() || !TheBattleMap->FindFreeNeighbour(x, y)) return false;
    freeX = TheBattleMap->lastNeighbourX;
    freeY = TheBattleMap->lastNeighbourY;
    return true;
}

// Loot is drawn from the shared generator, so every station drops the same item on the same cell.
void ProgramRulesEnv::AddItemObject(int item, int x, int y) {
    if (!TheBattleMap || !TheBattleMap->mapItems || !TheBattleMap->HasCells()) return;
    TheBattleMap->mapItems->Add(reinterpret_cast<uintptr_t>(new MapObject(item, 0, 0, x, y)));
}

void ProgramRulesEnv::ForEachStageEntry(const std::function<void(uintptr_t, int32_t)>& visit) {
    PendingStageEntries(visit);
}

int32_t ProgramRulesEnv::BasePoints() const {
    return PendingSessionWord();
}

int32_t ProgramRulesEnv::PlayerSlotTeam(int) const {
    return PendingSessionWord();
}

int32_t ProgramRulesEnv::LocalTeam() const {
    return PendingSessionWord();
}

GameRulesEnv::RecordCounts ProgramRulesEnv::LocalRecord() const {
    return {};
}

void ProgramRulesEnv::UploadRecord(const RecordCounts& counts) {
    PendingUploadRecord(counts);
}

ProgramRulesEnv& TheProgramRulesEnv() {
    static ProgramRulesEnv env;
    return env;
}
