#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// The game's tunable rules, read once at start-up from "Cg001.wz". Every table starts with the
// value built into the program; a value line of the file overwrites its destinations. Lines are
// numbered from 0 counting value lines only. Where the game's own data file names a table, the
// member keeps that name.
//
// Built-in values: where the rule code documents what it sees before the file is read, that is
// the default; otherwise the value delivered in the game's data file; entries nobody documents
// start at 0.
struct GameParameters {
    static constexpr int kLineCount = 194;
    static constexpr int kSpeedCount = 11;

    int32_t itemSoldierType[20]{};           // 0: item soldier type per small attack type 415..431
    int32_t guardSoldiersByStageLevel[10]{}; // 1
    int32_t General_Level_up_Ref[30]{};      // 2-4: story-mode experience per level, cumulative after load
    int32_t Politic_Ref[4]{};                // 5
    int32_t ignoredLine6{};                  // 6
    int16_t Treasure_[6][3]{};               // 7-12: chance, soldier type, kind
    uint8_t ConstAlarmRegion[4]{};           // 13
    uint8_t ConstPursueRegion[4]{};          // 14
    int32_t repair_castle_freq{};            // 15
    int32_t repair_castle_cost{};            // 16
    int32_t repair_castle_hp{};              // 17
    int32_t repair_min_hp_rate{};            // 18
    int16_t MakeSoldierRate[4]{};            // 19
    int16_t farmingSteps[5]{};               // 20
    int16_t commerceSteps[5]{};              // 21
    int16_t Day_Level[kSpeedCount]{};        // 22
    int32_t Hour_Freq{};                     // 23
    int32_t Repair_Door_Freq{};              // 24
    int32_t X_Data{};                        // 25
    int32_t Y_Data{};                        // 26
    int32_t z_Data{};                        // 27
    int32_t EXP_Freq[4][2]{};                // 28-31: EXP_Freq0..EXP_Freq3, step and points
    int32_t In_Gail_Days_Ref{};              // 32
    int32_t governorSideJob[4]{};            // 33
    uint8_t Game_Level_Check_Day[3]{};       // 34
    int32_t Game_Level_Weight[3]{};          // 35
    int32_t Policy_Cost[3]{};                // 36
    int32_t Dec_Policy_Month{};              // 37
    int32_t Dec_EventData[6]{};              // 38
    float PriceList{};                       // 39
    int16_t animationSpeed[12]{};            // 40: world-update periods by speed (11 read; entry 11 built in)
    int16_t Word_Speed[kSpeedCount]{};       // 41
    int32_t governorProductionDivisor[2]{};  // 42: gold, grain
    int32_t formationRowSpacing{};           // 43
    int32_t buildingCost[26]{};              // 44
    int32_t buildingEffect[6]{};             // 45
    int32_t siteRows[14][8]{};               // 46-59: castle scales 1-4, then site kinds
    int32_t merchantGoods[10][10]{};         // 60-69
    int32_t shipStats[12]{};                 // 70
    int32_t guardPreference[4][17]{};        // 71-74
    int32_t governorIncomeDivisor{};         // 75
    int32_t governorMoraleDivisor{};         // 76
    int32_t wallPopulation[3]{};             // 77
    int32_t buildChoice[5][5]{};             // 78-82
    int32_t grainLimits[4]{};                // 83
    int32_t conscriptionCounts[5]{};         // 84
    int32_t soldierTransport[3]{};           // 85
    int32_t otherModesGrowth[4]{};           // 86: w_Data, X_Data, Y_Data, z_Data
    int32_t unifiedLevelExp[30]{};           // 87-89: cumulative after load
    int32_t namedOfficerLevel[12]{};         // 90
    int32_t captainLevel[12]{};              // 91
    int32_t stageGuardType[4][12]{};         // 92-95
    int32_t banditLeaderSoldierType[3]{};    // 96
    int32_t stageTreasure[12][14]{};         // 97-108
    int32_t governorDevelopmentDivisor{};    // 109
    int32_t governorCommerceDivisor[2]{};    // 110
    int32_t governorMoraleBaseDivisor{};     // 111
    int32_t farmEffect[2]{};                 // 112
    int32_t marketEffect[2]{};               // 113
    int32_t templeEffect[2]{};               // 114
    int32_t dailyPopulationDivisor{};        // 115
    int32_t dailyGoldDivisor{};              // 116
    int32_t dailyGrainDivisor{};             // 117
    int32_t catapultBonus{};                 // 118
    int32_t banditLeaderKinds[3]{};          // 119
    int32_t banditLeaderCounts[6]{};         // 120: five read, the sixth stays built in
    int32_t smallBanditKinds[2]{};           // 121
    int32_t smallBanditCounts[6]{};          // 122
    int32_t caveBeastKinds[3]{};             // 123
    int32_t caveBeastCounts[6]{};            // 124
    int32_t graveyardMonsterKinds[3]{};      // 125
    int32_t graveyardMonsterCounts[6]{};     // 126
    int32_t difficultyHpLoss[2]{};           // 127: hard, easy
    int32_t wallPatrolCount[4]{};            // 128
    int32_t randomMap[15][5]{};              // 129-143
    int32_t contestOfficerLevels[4]{};       // 144
    int32_t contestOfficerCounts[4]{};       // 145
    int32_t cityScaleStart[3][4]{};          // 146-148: population, gold, grain
    int16_t formationEffect[8][8]{};         // 149-156
    int16_t formationRequirement[8][5]{};    // 157-164
    int32_t unifiedGuardSoldiers[8]{};       // 165
    int32_t innRenewMonths{};                // 166
    int32_t standbyCapByLevel[4]{};          // 167
    int32_t hegemonyStandby[4][3]{};         // 168-171
    int32_t experienceDamage[3]{};           // 172
    int32_t skillRegainDays[2]{};            // 173: story, other modes
    int32_t innCaptains[2]{};                // 174: initial per city, new per month
    int32_t prisonDaysPerLoyalty{};          // 175
    int32_t dodgeDivisor{};                  // 176
    int32_t contestLootMultiplier[2]{};      // 177: houses, captains
    int32_t recoveryDays[2]{};               // 178
    int32_t cityHealPerDay[2]{};             // 179
    int32_t buildLimits[4][3]{};             // 180-183
    int32_t aiRecruitMonths{};               // 184
    int32_t neutralResourcePercent[3]{};     // 185
    int32_t virtualTowerBonus[12]{};         // 186
    int32_t virtualTowerYears[9]{};          // 187
    int32_t virtualTowerGrowth[10]{};        // 188
    int32_t innOfficerGrowth[10]{};          // 189
    int32_t aiSpellChance[4]{};              // 190
    int32_t aiSpellInterval[4]{};            // 191
    int32_t placeScore[5]{};                 // 192
    int32_t scoreDivisors[3]{};              // 193

    // Built after reading: five lists of 100 entries from which officer growth picks uniformly.
    uint16_t growthPickList[5][100]{};

    GameParameters();

    // One value line: where its values go and how wide each is.
    enum class Width : uint8_t { I32, I16, U8, F32 };
    struct LineSlot {
        Width width;
        void* dest;
        int count;
    };
    // The destinations of value line n (0..193).
    LineSlot Line(int n);

    // Day period and world-update period of a speed index; an index out of 0..10 (a bad save) is
    // clamped first.
    int DayPeriod(int speedIndex) const;
    int WorldUpdatePeriod(int speedIndex) const;
    int32_t CalendarPeriod() const { return 30 * Hour_Freq; }

    // Scans one value line into its destinations; stops at the first text that does not match.
    // Returns the number of values stored.
    int ScanLine(int n, const char* text);
    // The steps after reading: clamps, pick lists, cumulative experience tables.
    void BuildDerived();
};

// Reported problems of a read (a line too long for the game's own reader, a short palette).
using ParameterLog = std::function<void(const std::string&)>;
// Where the start-up loaders report such problems.
void LogLoadProblem(const std::string& message);

// Parses the bytes of a parameter file (text mode: CR LF ends a line) into params and builds the
// derived tables. Returns the number of value lines seen.
int ParseGameParameters(std::span<const uint8_t> bytes, GameParameters& params, const ParameterLog& log);

// The program's one parameter table.
GameParameters& GameParams();

// Reads the file, a game name in the working folder (a missing file keeps the defaults), builds the derived
// tables and hands back the settings' calendar period through calendarPeriod when given. Returns false when
// the file could not be opened.
bool LoadGameParameters(const std::string& path = "Cg001.wz", int32_t* calendarPeriod = nullptr);
// Reads "Cg001.wz" again into the same table.
bool ReadParameterFile(int32_t* calendarPeriod = nullptr);
