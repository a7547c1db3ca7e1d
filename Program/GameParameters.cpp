#include "Program/GameParameters.h"

#include "engine/Tools.h"
#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The game's own reader took at most this many bytes per read, line end included; a longer
// line used to be cut and its tail counted as the next value line.
constexpr size_t kReadUnit = 126;

template <typename T, size_t N>
void Fill(T (&table)[N], std::initializer_list<T> values) {
    size_t i = 0;
    for (T v : values)
        if (i < N) table[i++] = v;
}

// Officer growth weights: row r gives how often stat c comes up, in percent.
constexpr uint8_t kGrowthWeights[5][5] = {
    {30, 10, 40, 10, 10}, {40, 10, 30, 10, 10}, {20, 20, 10, 10, 40},
    {10, 40, 15, 20, 15}, {10, 30, 30, 10, 20},
};

bool IsAboveSpace(uint8_t c) {
    return c >= 0x21 && c <= 0x7F;
}

// "%i": optional sign, then decimal, "0x" hexadecimal or leading-0 octal. Leading white space is
// skipped as the scan format does. Returns false when no number starts here.
bool ScanInt(const char*& p, int64_t& out) {
    const char* s = p;
    while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\r' || *s == '\v' || *s == '\f')
        ++s;
    const char* q = s;
    if (*q == '+' || *q == '-') ++q;
    if (*q < '0' || *q > '9') return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s, &end, 0);
    if (end == s) return false;
    out = v;
    p = end;
    return true;
}

bool ScanFloat(const char*& p, float& out) {
    const char* s = p;
    while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\r' || *s == '\v' || *s == '\f')
        ++s;
    char* end = nullptr;
    float v = std::strtof(s, &end);
    if (end == s) return false;
    out = v;
    p = end;
    return true;
}

} // namespace

GameParameters::GameParameters() {
    for (int i = 0; i < 20; ++i)
        itemSoldierType[i] = 201 + i;
    for (int i = 0; i < 10; ++i)
        guardSoldiersByStageLevel[i] = 3 * i;
    Fill(General_Level_up_Ref,
         {0,      200,    300,    450,     675,     1013,    1519,    2278,    3417,     5126,
          7689,   11533,  17300,  25949,   38924,   58386,   87579,   131368,  197052,   295578,
          443368, 665051, 997577, 1496366, 2244548, 3366822, 5050234, 7575350, 11363026, 17044539});
    Fill(Politic_Ref, {2000, 2000, 2000, 30});
    Fill(ConstAlarmRegion, {uint8_t(8), uint8_t(7), uint8_t(6), uint8_t(6)});
    Fill(ConstPursueRegion, {uint8_t(0), uint8_t(15), uint8_t(1), uint8_t(1)});
    repair_castle_freq = 1;
    repair_castle_cost = 2;
    repair_castle_hp = 4;
    repair_min_hp_rate = 15;
    Fill(MakeSoldierRate, {int16_t(80), int16_t(70), int16_t(60), int16_t(50)});
    Fill(farmingSteps, {int16_t(40), int16_t(60), int16_t(70), int16_t(80), int16_t(90)});
    Fill(commerceSteps, {int16_t(40), int16_t(60), int16_t(70), int16_t(80), int16_t(90)});
    const int16_t day[] = {400, 360, 320, 280, 240, 200, 180, 140, 120, 100, 20};
    std::copy(std::begin(day), std::end(day), Day_Level);
    Hour_Freq = 6;
    Repair_Door_Freq = 1;
    X_Data = 8;
    Y_Data = 550;
    z_Data = 3;
    const int32_t exp[4][2] = {{2, 1}, {2, 1}, {2, 1}, {20, 1}};
    std::memcpy(EXP_Freq, exp, sizeof(exp));
    In_Gail_Days_Ref = 5; // the garrison post's loyalty period as the rule builds it in
    Fill(governorSideJob, {1000, 1000, 1500, 200});
    Fill(Game_Level_Check_Day, {uint8_t(16), uint8_t(12), uint8_t(8)});
    Fill(Game_Level_Weight, {70, 100, 150});
    Fill(Policy_Cost, {10, 10, 120});
    Dec_Policy_Month = 2;
    Fill(Dec_EventData, {5, 5, 5, 5, 3, 3});
    PriceList = 0.1f;
    const int16_t anim[] = {33, 25, 21, 16, 15, 13, 10, 7, 5, 2, 1, 0};
    std::copy(std::begin(anim), std::end(anim), animationSpeed);
    const int16_t words[] = {33, 40, 35, 30, 25, 20, 18, 15, 12, 10, 1};
    std::copy(std::begin(words), std::end(words), Word_Speed);
    Fill(governorProductionDivisor, {110, 400});
    formationRowSpacing = 31;
    std::fill(std::begin(buildingCost), std::end(buildingCost), 100);
    Fill(buildingEffect, {1000, 100, 10, 25, 20, 10});
    // Column 0 garrison strength, 1 gate piece strength, 5 population cap.
    const int32_t garrison[14] = {200, 300, 400, 500, 120, 60, 60, 0, 0, 120, 60, 0, 0, 20};
    const int32_t gate[4] = {100, 150, 200, 250};
    const int32_t popCap[4] = {1600, 2000, 2400, 3000};
    for (int r = 0; r < 14; ++r)
        siteRows[r][0] = garrison[r];
    for (int r = 0; r < 4; ++r) {
        siteRows[r][1] = gate[r];
        siteRows[r][5] = popCap[r];
    }
    Fill(merchantGoods[0], {2, 1, 16, 241, 10, 245, 6, 5, 5, 1000});
    Fill(merchantGoods[9], {100, 8, 24, 243, 10, 247, 6, 14, 14, 1000});
    Fill(shipStats, {70, 60, 0, 0, 0, 0, 0, 0, 250, 200, 70, 60});
    governorIncomeDivisor = 90;
    governorMoraleDivisor = 500;
    Fill(wallPopulation, {1500, 2000, 2500});
    const int32_t choice[4][5] = {
        {26, 26, 26, 12, 10}, {24, 24, 24, 12, 16}, {22, 22, 22, 14, 20}, {20, 20, 20, 18, 22}};
    std::memcpy(buildChoice, choice, sizeof(choice));
    Fill(grainLimits, {2000, 5000, 10000, 20000});
    Fill(conscriptionCounts, {2, 4, 6, 8, 6});
    Fill(soldierTransport, {24, 8, 64});
    Fill(otherModesGrowth, {20, 8, 550, 3});
    Fill(unifiedLevelExp,
         {0,   50,  60,  72,   86,   104,  124,  149,  179,  215,  258,  310,  372,  446,  535,
          642, 770, 924, 1109, 1331, 1597, 1917, 2300, 2760, 3312, 3975, 4770, 5724, 6869, 8242});
    for (int g = 0; g < 12; ++g) {
        namedOfficerLevel[g] = g + 1;
        captainLevel[g] = 2 * g + 1;
        const int band = g / 4;
        stageGuardType[0][g] = 418 + band;
        stageGuardType[1][g] = 415 + band;
        stageGuardType[2][g] = 421 + band;
        stageGuardType[3][g] = 421 + band;
    }
    Fill(banditLeaderSoldierType, {431, 430, 430});
    governorDevelopmentDivisor = 5;
    Fill(governorCommerceDivisor, {10, 10});
    governorMoraleBaseDivisor = 10;
    // Built in as the city income rule states them.
    Fill(farmEffect, {20, 20});
    Fill(marketEffect, {20, 20});
    Fill(templeEffect, {10, 20});
    dailyPopulationDivisor = 10000;
    dailyGoldDivisor = 10;
    dailyGrainDivisor = 2;
    catapultBonus = 4;
    Fill(banditLeaderKinds, {406, 407, 408});
    Fill(banditLeaderCounts, {1, 2, 3, 4, 5, 6});
    Fill(smallBanditKinds, {430, 431});
    Fill(smallBanditCounts, {1, 2, 3, 4, 5, 6});
    Fill(caveBeastKinds, {432, 433, 434});
    Fill(caveBeastCounts, {1, 2, 2, 3, 4, 5});
    Fill(graveyardMonsterKinds, {435, 436, 437});
    Fill(graveyardMonsterCounts, {1, 2, 2, 3, 4, 5});
    Fill(difficultyHpLoss, {80, 150});
    Fill(wallPatrolCount, {10, 12, 14, 16});
    Fill(randomMap[0], {9, 2, 2, 2, 2});
    Fill(randomMap[14], {22, 16, 16, 16, 16});
    Fill(contestOfficerLevels, {3, 9, 15, 21});
    Fill(contestOfficerCounts, {7, 10, 13, 16});
    Fill(cityScaleStart[0], {2000, 2200, 2400, 2600});
    Fill(cityScaleStart[1], {2000, 2200, 2400, 2600});
    Fill(cityScaleStart[2], {4000, 4400, 4800, 5200});
    innRenewMonths = 6;
    Fill(standbyCapByLevel, {32, 40, 48, 64});
    Fill(experienceDamage, {8, 16, 50});
    Fill(skillRegainDays, {2, 2});
    Fill(innCaptains, {2, 10});
    prisonDaysPerLoyalty = 60;
    dodgeDivisor = 5;
    Fill(contestLootMultiplier, {6, 2});
    Fill(recoveryDays, {20, 6});
    Fill(cityHealPerDay, {2, 4});
    const int32_t limits[4][3] = {{120, 120, 70}, {140, 140, 78}, {160, 160, 85}, {180, 180, 92}};
    std::memcpy(buildLimits, limits, sizeof(limits));
    aiRecruitMonths = 1;
    Fill(neutralResourcePercent, {70, 50, 50});
    for (int i = 0; i < 12; ++i)
        virtualTowerBonus[i] = i + 1;
    Fill(virtualTowerYears, {4, 8, 12, 16, 20, 25, 30, 40, 50});
    std::fill(std::begin(virtualTowerGrowth), std::end(virtualTowerGrowth), 1);
    Fill(aiSpellChance, {10, 30, 40, 5});
    Fill(aiSpellInterval, {30, 10, 20, 40});
    Fill(placeScore, {20, 80, 100, 120, 140});
    Fill(scoreDivisors, {10000, 100000, 1000});
}

GameParameters::LineSlot GameParameters::Line(int n) {
    using W = Width;
    auto i32 = [](int32_t* p, int count) { return LineSlot{W::I32, p, count}; };
    auto i16 = [](int16_t* p, int count) { return LineSlot{W::I16, p, count}; };
    auto u8 = [](uint8_t* p, int count) { return LineSlot{W::U8, p, count}; };
    if (n < 0 || n >= kLineCount) return LineSlot{W::I32, nullptr, 0};
    if (n >= 2 && n <= 4) return i32(General_Level_up_Ref + 10 * (n - 2), 10);
    if (n >= 7 && n <= 12) return i16(Treasure_[n - 7], 3);
    if (n >= 28 && n <= 31) return i32(EXP_Freq[n - 28], 2);
    if (n >= 46 && n <= 59) return i32(siteRows[n - 46], 8);
    if (n >= 60 && n <= 69) return i32(merchantGoods[n - 60], 10);
    if (n >= 71 && n <= 74) return i32(guardPreference[n - 71], 17);
    if (n >= 78 && n <= 82) return i32(buildChoice[n - 78], 5);
    if (n >= 87 && n <= 89) return i32(unifiedLevelExp + 10 * (n - 87), 10);
    if (n >= 92 && n <= 95) return i32(stageGuardType[n - 92], 12);
    if (n >= 97 && n <= 108) return i32(stageTreasure[n - 97], 14);
    if (n >= 129 && n <= 143) return i32(randomMap[n - 129], 5);
    if (n >= 146 && n <= 148) return i32(cityScaleStart[n - 146], 4);
    if (n >= 149 && n <= 156) return i16(formationEffect[n - 149], 8);
    if (n >= 157 && n <= 164) return i16(formationRequirement[n - 157], 5);
    if (n >= 168 && n <= 171) return i32(hegemonyStandby[n - 168], 3);
    if (n >= 180 && n <= 183) return i32(buildLimits[n - 180], 3);
    switch (n) {
    case 0:
        return i32(itemSoldierType, 20);
    case 1:
        return i32(guardSoldiersByStageLevel, 10);
    case 5:
        return i32(Politic_Ref, 4);
    case 6:
        return i32(&ignoredLine6, 1);
    case 13:
        return u8(ConstAlarmRegion, 4);
    case 14:
        return u8(ConstPursueRegion, 4);
    case 15:
        return i32(&repair_castle_freq, 1);
    case 16:
        return i32(&repair_castle_cost, 1);
    case 17:
        return i32(&repair_castle_hp, 1);
    case 18:
        return i32(&repair_min_hp_rate, 1);
    case 19:
        return i16(MakeSoldierRate, 4);
    case 20:
        return i16(farmingSteps, 5);
    case 21:
        return i16(commerceSteps, 5);
    case 22:
        return i16(Day_Level, kSpeedCount);
    case 23:
        return i32(&Hour_Freq, 1);
    case 24:
        return i32(&Repair_Door_Freq, 1);
    case 25:
        return i32(&X_Data, 1);
    case 26:
        return i32(&Y_Data, 1);
    case 27:
        return i32(&z_Data, 1);
    case 32:
        return i32(&In_Gail_Days_Ref, 1);
    case 33:
        return i32(governorSideJob, 4);
    case 34:
        return u8(Game_Level_Check_Day, 3);
    case 35:
        return i32(Game_Level_Weight, 3);
    case 36:
        return i32(Policy_Cost, 3);
    case 37:
        return i32(&Dec_Policy_Month, 1);
    case 38:
        return i32(Dec_EventData, 6);
    case 39:
        return LineSlot{W::F32, &PriceList, 1};
    case 40:
        return i16(animationSpeed, kSpeedCount);
    case 41:
        return i16(Word_Speed, kSpeedCount);
    case 42:
        return i32(governorProductionDivisor, 2);
    case 43:
        return i32(&formationRowSpacing, 1);
    case 44:
        return i32(buildingCost, 26);
    case 45:
        return i32(buildingEffect, 6);
    case 70:
        return i32(shipStats, 12);
    case 75:
        return i32(&governorIncomeDivisor, 1);
    case 76:
        return i32(&governorMoraleDivisor, 1);
    case 77:
        return i32(wallPopulation, 3);
    case 83:
        return i32(grainLimits, 4);
    case 84:
        return i32(conscriptionCounts, 5);
    case 85:
        return i32(soldierTransport, 3);
    case 86:
        return i32(otherModesGrowth, 4);
    case 90:
        return i32(namedOfficerLevel, 12);
    case 91:
        return i32(captainLevel, 12);
    case 96:
        return i32(banditLeaderSoldierType, 3);
    case 109:
        return i32(&governorDevelopmentDivisor, 1);
    case 110:
        return i32(governorCommerceDivisor, 2);
    case 111:
        return i32(&governorMoraleBaseDivisor, 1);
    case 112:
        return i32(farmEffect, 2);
    case 113:
        return i32(marketEffect, 2);
    case 114:
        return i32(templeEffect, 2);
    case 115:
        return i32(&dailyPopulationDivisor, 1);
    case 116:
        return i32(&dailyGoldDivisor, 1);
    case 117:
        return i32(&dailyGrainDivisor, 1);
    case 118:
        return i32(&catapultBonus, 1);
    case 119:
        return i32(banditLeaderKinds, 3);
    case 120:
        return i32(banditLeaderCounts, 5);
    case 121:
        return i32(smallBanditKinds, 2);
    case 122:
        return i32(smallBanditCounts, 5);
    case 123:
        return i32(caveBeastKinds, 3);
    case 124:
        return i32(caveBeastCounts, 5);
    case 125:
        return i32(graveyardMonsterKinds, 3);
    case 126:
        return i32(graveyardMonsterCounts, 5);
    case 127:
        return i32(difficultyHpLoss, 2);
    case 128:
        return i32(wallPatrolCount, 4);
    case 144:
        return i32(contestOfficerLevels, 4);
    case 145:
        return i32(contestOfficerCounts, 4);
    case 165:
        return i32(unifiedGuardSoldiers, 8);
    case 166:
        return i32(&innRenewMonths, 1);
    case 167:
        return i32(standbyCapByLevel, 4);
    case 172:
        return i32(experienceDamage, 3);
    case 173:
        return i32(skillRegainDays, 2);
    case 174:
        return i32(innCaptains, 2);
    case 175:
        return i32(&prisonDaysPerLoyalty, 1);
    case 176:
        return i32(&dodgeDivisor, 1);
    case 177:
        return i32(contestLootMultiplier, 2);
    case 178:
        return i32(recoveryDays, 2);
    case 179:
        return i32(cityHealPerDay, 2);
    case 184:
        return i32(&aiRecruitMonths, 1);
    case 185:
        return i32(neutralResourcePercent, 3);
    case 186:
        return i32(virtualTowerBonus, 12);
    case 187:
        return i32(virtualTowerYears, 9);
    case 188:
        return i32(virtualTowerGrowth, 10);
    case 189:
        return i32(innOfficerGrowth, 10);
    case 190:
        return i32(aiSpellChance, 4);
    case 191:
        return i32(aiSpellInterval, 4);
    case 192:
        return i32(placeScore, 5);
    case 193:
        return i32(scoreDivisors, 3);
    default:
        return LineSlot{W::I32, nullptr, 0};
    }
}

int GameParameters::ScanLine(int n, const char* text) {
    const LineSlot slot = Line(n);
    const char* p = text;
    int stored = 0;
    for (int i = 0; i < slot.count; ++i) {
        if (slot.width == Width::F32) {
            float f = 0;
            if (!ScanFloat(p, f)) break;
            static_cast<float*>(slot.dest)[i] = f;
        } else {
            int64_t v = 0;
            if (!ScanInt(p, v)) break;
            // A value wider than its destination keeps only its low bits.
            switch (slot.width) {
            case Width::I32:
                static_cast<int32_t*>(slot.dest)[i] = static_cast<int32_t>(v);
                break;
            case Width::I16:
                static_cast<int16_t*>(slot.dest)[i] = static_cast<int16_t>(v);
                break;
            case Width::U8:
                static_cast<uint8_t*>(slot.dest)[i] = static_cast<uint8_t>(v);
                break;
            case Width::F32:
                break;
            }
        }
        ++stored;
    }
    return stored;
}

int GameParameters::DayPeriod(int speedIndex) const {
    return Day_Level[std::clamp(speedIndex, 0, kSpeedCount - 1)];
}

int GameParameters::WorldUpdatePeriod(int speedIndex) const {
    return animationSpeed[std::clamp(speedIndex, 0, kSpeedCount - 1)];
}

void GameParameters::BuildDerived() {
    // The world-update counter wraps from 99 to 0, so a period outside 1..99 would never fire.
    for (int i = 0; i < kSpeedCount; ++i)
        animationSpeed[i] = static_cast<int16_t>(std::clamp<int>(animationSpeed[i], 1, 99));
    for (int r = 0; r < 5; ++r) {
        int k = 0;
        for (int c = 0; c < 5; ++c)
            for (int j = 0; j < kGrowthWeights[r][c] && k < 100; ++j)
                growthPickList[r][k++] = static_cast<uint16_t>(c);
    }
    for (int i = 1; i < 30; ++i) {
        General_Level_up_Ref[i] = static_cast<int32_t>(static_cast<uint32_t>(General_Level_up_Ref[i]) +
                                                       static_cast<uint32_t>(General_Level_up_Ref[i - 1]));
        unifiedLevelExp[i] = static_cast<int32_t>(static_cast<uint32_t>(unifiedLevelExp[i]) +
                                                  static_cast<uint32_t>(unifiedLevelExp[i - 1]));
    }
}

int ParseGameParameters(std::span<const uint8_t> bytes, GameParameters& params, const ParameterLog& log) {
    int valueLine = 0;
    int physicalLine = 0;
    std::string line;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\n')
            ++end;
        const bool hasNewline = end < bytes.size();
        line.assign(reinterpret_cast<const char*>(bytes.data() + pos), end - pos);
        pos = hasNewline ? end + 1 : end;
        ++physicalLine;
        // Text mode: CR LF is a line end.
        if (hasNewline && !line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() + (hasNewline ? 1 : 0) > kReadUnit && log)
            log("Cg001.wz: line " + std::to_string(physicalLine) + " is longer than " +
                std::to_string(kReadUnit) + " bytes");
        // An embedded zero ends the text the scanner sees, as it did for the game's reader.
        line.resize(std::strlen(line.c_str()));

        uint8_t first = 0;
        for (char ch : line) {
            if (IsAboveSpace(static_cast<uint8_t>(ch))) {
                first = static_cast<uint8_t>(ch);
                break;
            }
        }
        if (first == 0 || first == '#') continue;
        if (valueLine < GameParameters::kLineCount) params.ScanLine(valueLine, line.c_str());
        ++valueLine;
    }
    params.BuildDerived();
    return valueLine;
}

void LogLoadProblem(const std::string& message) {
    // "file: what went wrong" goes to the run's error log as its two texts.
    const size_t colon = message.find(": ");
    const std::string source = colon == std::string::npos ? "Load" : message.substr(0, colon);
    const std::string what = colon == std::string::npos ? message : message.substr(colon + 2);
    Zu_Tools::WriteErrorLog(source.c_str(), what.c_str(), 0, 0, 0, 0, 1);
    // Without a window nobody reads the log during the run: say it on stderr as well.
    if (const char* headless = std::getenv("KARDOL_HEADLESS"); headless && *headless && *headless != '0')
        std::fprintf(stderr, "%s\n", message.c_str());
}

GameParameters& GameParams() {
    static GameParameters params;
    return params;
}

bool LoadGameParameters(const std::string& path, int32_t* calendarPeriod) {
    GameParameters& params = GameParams();
    bool opened = false;
    std::vector<uint8_t> bytes;
    if (std::FILE* f = platform::fopen(path.c_str(), "r")) {
        opened = true;
        uint8_t buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
            bytes.insert(bytes.end(), buf, buf + n);
        std::fclose(f);
    }
    ParseGameParameters(bytes, params, LogLoadProblem);
    if (calendarPeriod) *calendarPeriod = params.CalendarPeriod();
    return opened;
}

bool ReadParameterFile(int32_t* calendarPeriod) {
    return LoadGameParameters("Cg001.wz", calendarPeriod);
}
