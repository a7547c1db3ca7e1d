#pragma once

#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"

#include <cstdint>

class ByteReader;
class ByteWriter;
class LinkList;
class Troop;

// The 80-byte stage block: fifteen columns, the last word outside the schema.
struct StageBlockLayout {
    static constexpr int kSize = 80;
    static constexpr int kName = 0; // "關卡名稱", 20 bytes
    static constexpr int kPlayerSide = 20;
    static constexpr int kClearPage = 24;
    static constexpr int kStartYear = 28;
    static constexpr int kEndTime = 32;
    static constexpr int kDisasters = 36;
    static constexpr int kBandits = 40;
    static constexpr int kCaravans = 44;
    static constexpr int kStageNumber = 48;
    static constexpr int kMapLink = 52;
    static constexpr int kStartX = 56;
    static constexpr int kStartY = 60;
    static constexpr int kOpeningTalk = 64;
    static constexpr int kClearTalk = 68;
    static constexpr int kEndMonth = 72;
};

// The record of one stage: its columns, its kingdoms and events, and the running state that the
// calendar and the outcome steps keep on it.
class Zu_StageSet : public DataSet {
public:
    static constexpr int kEventKind = 106;
    static constexpr uint32_t kMaxKingdoms = 128;

    Zu_StageSet();
    ~Zu_StageSet() override;

    RootObject* NewChild(int kind) override;
    void RemoveChild(int kind, RootObject* child) override;
    RootObject* CreateChild(int kind) override;

    void AddKingdom(Kingdom* kingdom);
    void RemoveKingdom(Kingdom* kingdom);
    Kingdom* FindKingdomOfKind2();
    void GiveAllCitiesToPlayer();
    void DropForeignCities();

    int Save(ByteWriter& out);
    // 0 for a record that cannot be what it claims (short data, more kingdoms than sides).
    int Load(ByteReader& in);

    void InitKingdoms();
    void PlaceCaravans();
    void GiveRandomGear(Troop* troop);
    void ApplyRandomGear(Troop* troop, int32_t years, uint32_t seed1, uint32_t seed2);
    // The receiving side of game record 0x302; a record naming nothing on this map is ignored.
    void ApplyRandomGearRecord(int32_t cityId, int32_t years, uint32_t seed1, uint32_t seed2);
    void ApplyPassRecords();

    // The calendar's periodic steps.
    void UpdateCityGenerals();
    void AdvanceMonth();
    void AdvanceYear();

    // Outcome steps.
    void CheckOutcome();
    void EndWithWinner(Kingdom* winner);
    void EndWithTeamWinner(int32_t group);
    void SendStageWinner(Kingdom* winner);
    void SendTeamWinner(int32_t group);

    int32_t Column(int offset) const;
    void SetColumn(int offset, int32_t value);
    std::string_view Name() const { return Text(StageBlockLayout::kName, 20); }

    int32_t stageWords[8] = {};
    int32_t eventWords[2] = {};
    int32_t playerSide = 0;
    int32_t noEnemyCities = 0, allEnemiesBeaten = 0, victoryReached = 0;
    int32_t result = 0;
    int32_t defeatShown = 0;
    // The controller's name for defeatShown (2 = the end kind that opens the record screen).
    int32_t& endKind = defeatShown;
    LinkList* kingdoms = nullptr;
    LinkList* playerCities = nullptr;
    LinkList* events = nullptr;
    Kingdom* playerKingdom = nullptr;
    City* playerFirstCity = nullptr;
    int32_t stageFileWord = 0;
    int32_t monthsElapsed = 0;
    // Set by event commands and the stage file; read by the trigger tests.
    int32_t winFlagA = 0, winFlagB = 0;
    int32_t progressValue = 0;
    // The stage timer counts the months in the running word the monthly step advances; it, its
    // target and the tally, which counts the days, live in running words the main file keeps.
    int32_t& timerCounter = stageWords[6];
    int32_t& timerTarget = stageWords[7];
    int32_t& tallyCounter = stageWords[4];
    int32_t& tallyTarget = stageWords[5];
    int32_t daysElapsed = 0;

private:
    void RenumberSides();
    void ApplyPassRecordToTroop(Troop* troop, const uint8_t* record, Kingdom* kingdom);
    // The peer count is read once a day under the session's lock.
    void BecomeSpectator(bool teamGame, int32_t peers);
    void CheckTeamGame(int32_t peers);
    void CheckAllianceGame(int32_t peers);
};

// The current stage, or null before one is loaded.
Zu_StageSet* CurrentStageSet();
// Evaluation-day counter of the strategic city evaluation.
extern uint8_t EvaluationDayCounter;
