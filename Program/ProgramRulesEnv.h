#pragma once

#include "Program/GameRules.h"

// The rule helpers' environment over the running program: the game controller, the current stage
// set, the runtime generator, the shared Random and the battle map's cells and item objects. What
// the network session and the stage set's entry groups will answer is not there yet: those answers
// are the Pending* stubs.
class ProgramRulesEnv : public GameRulesEnv {
public:
    bool Networked() const override;
    int32_t GameKind() const override;
    int32_t StageNumber() const override;
    int32_t StageMonths() const override;
    bool CampaignContest() const override;
    int32_t ChosenOfficerLevel() const override;
    int ItemCount() const override;
    int32_t ItemClass(int index) const override;
    int32_t ItemLevel(int index) const override;
    int Rand() override;
    uint32_t SharedRandom(uint32_t n) override;
    bool FindFreeNeighbour(int x, int y, int& freeX, int& freeY) override;
    void AddItemObject(int item, int x, int y) override;
    void ForEachStageEntry(const std::function<void(uintptr_t entry, int32_t owner)>& visit) override;
    int32_t BasePoints() const override;
    int32_t PlayerSlotTeam(int slot) const override;
    int32_t LocalTeam() const override;
    RecordCounts LocalRecord() const override;
    void UploadRecord(const RecordCounts& counts) override;
};

// The program's one environment, which start-up hands to SetGameRulesEnv.
ProgramRulesEnv& TheProgramRulesEnv();
