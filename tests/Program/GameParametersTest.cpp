#include "Program/GameParameters.h"
#include "support/TempFolder.h"

#include "engine/Tools.h"
#include "fuzz/seeds/builders/CgFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

using testsupport::TempFolder;

namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

int64_t SlotValue(const GameParameters::LineSlot& slot, int i) {
    switch (slot.width) {
    case GameParameters::Width::I32:
        return static_cast<const int32_t*>(slot.dest)[i];
    case GameParameters::Width::I16:
        return static_cast<const int16_t*>(slot.dest)[i];
    case GameParameters::Width::U8:
        return static_cast<const uint8_t*>(slot.dest)[i];
    case GameParameters::Width::F32:
        return 0;
    }
    return 0;
}

bool IsCumulative(int n) {
    return (n >= 2 && n <= 4) || (n >= 87 && n <= 89);
}

struct Parsed {
    GameParameters params;
    std::vector<std::string> log;
    int lines = 0;
};

void Parse(Parsed& out, const std::string& file) {
    out.lines =
        ParseGameParameters(Bytes(file), out.params, [&](const std::string& m) { out.log.push_back(m); });
}

} // namespace

TEST(GameParameters, EveryLineHasTheWidthAndCountOfTheFile) {
    GameParameters p;
    for (int n = 0; n < GameParameters::kLineCount; ++n) {
        const auto slot = p.Line(n);
        ASSERT_NE(slot.dest, nullptr) << "line " << n;
        const bool fiveOfSix = n == 120 || n == 122 || n == 124 || n == 126;
        EXPECT_EQ(slot.count, cgfixture::ValueCount(n) - (fiveOfSix ? 1 : 0)) << "line " << n;
        const bool is16 =
            (n >= 7 && n <= 12) || (n >= 19 && n <= 22) || n == 40 || n == 41 || (n >= 149 && n <= 164);
        const bool is8 = n == 13 || n == 14 || n == 34;
        const auto want = n == 39 ? GameParameters::Width::F32
                          : is16  ? GameParameters::Width::I16
                          : is8   ? GameParameters::Width::U8
                                  : GameParameters::Width::I32;
        EXPECT_EQ(slot.width, want) << "line " << n;
    }
    EXPECT_EQ(p.Line(194).dest, nullptr);
    EXPECT_EQ(p.Line(-1).dest, nullptr);
}

TEST(GameParameters, GeneratedFileFillsEveryLine) {
    for (bool crlf : {true, false}) {
        SCOPED_TRACE(crlf ? "CRLF" : "LF");
        Parsed r;
        cgfixture::Options opt;
        opt.crlf = crlf;
        Parse(r, cgfixture::MakeFile(opt));
        EXPECT_EQ(r.lines, GameParameters::kLineCount + 2);
        EXPECT_TRUE(r.log.empty());
        const GameParameters defaults;
        GameParameters& p = r.params;
        for (int n = 0; n < GameParameters::kLineCount; ++n) {
            if (n == 39 || IsCumulative(n) || n == 40) continue;
            const auto slot = p.Line(n);
            for (int i = 0; i < slot.count; ++i)
                EXPECT_EQ(SlotValue(slot, i), cgfixture::Value(n, i)) << "line " << n << " value " << i;
        }
        EXPECT_FLOAT_EQ(p.PriceList, cgfixture::kFloatValue);
        // The sixth entry of the five-value tables keeps its built-in value.
        EXPECT_EQ(p.banditLeaderCounts[5], defaults.banditLeaderCounts[5]);
        EXPECT_EQ(p.smallBanditCounts[5], defaults.smallBanditCounts[5]);
        EXPECT_EQ(p.caveBeastCounts[5], defaults.caveBeastCounts[5]);
        EXPECT_EQ(p.graveyardMonsterCounts[5], defaults.graveyardMonsterCounts[5]);
        EXPECT_EQ(p.animationSpeed[11], defaults.animationSpeed[11]);
    }
}

TEST(GameParameters, NamedTablesTakeTheirLines) {
    Parsed r;
    Parse(r, cgfixture::MakeFile());
    const GameParameters& p = r.params;
    using cgfixture::Value;
    struct Case {
        const char* name;
        int64_t got;
        int64_t want;
    };
    const Case cases[] = {
        {"itemSoldierType[19]", p.itemSoldierType[19], Value(0, 19)},
        {"Politic_Ref[3]", p.Politic_Ref[3], Value(5, 3)},
        {"Treasure_[5][2]", p.Treasure_[5][2], Value(12, 2)},
        {"ConstAlarmRegion[0]", p.ConstAlarmRegion[0], Value(13, 0)},
        {"ConstPursueRegion[3]", p.ConstPursueRegion[3], Value(14, 3)},
        {"repair_min_hp_rate", p.repair_min_hp_rate, Value(18, 0)},
        {"Day_Level[10]", p.Day_Level[10], Value(22, 10)},
        {"Hour_Freq", p.Hour_Freq, Value(23, 0)},
        {"z_Data", p.z_Data, Value(27, 0)},
        {"EXP_Freq3 points", p.EXP_Freq[3][1], Value(31, 1)},
        {"Game_Level_Check_Day[2]", p.Game_Level_Check_Day[2], Value(34, 2)},
        {"Word_Speed[0]", p.Word_Speed[0], Value(41, 0)},
        {"buildingCost[25]", p.buildingCost[25], Value(44, 25)},
        {"siteRows[13][7]", p.siteRows[13][7], Value(59, 7)},
        {"merchantGoods[9][9]", p.merchantGoods[9][9], Value(69, 9)},
        {"guardPreference[3][16]", p.guardPreference[3][16], Value(74, 16)},
        {"buildChoice[4][4]", p.buildChoice[4][4], Value(82, 4)},
        {"stageGuardType[3][11]", p.stageGuardType[3][11], Value(95, 11)},
        {"stageTreasure[11][13]", p.stageTreasure[11][13], Value(108, 13)},
        {"randomMap[14][4]", p.randomMap[14][4], Value(143, 4)},
        {"cityScaleStart[2][3]", p.cityScaleStart[2][3], Value(148, 3)},
        {"formationEffect[7][7]", p.formationEffect[7][7], Value(156, 7)},
        {"formationRequirement[7][4]", p.formationRequirement[7][4], Value(164, 4)},
        {"hegemonyStandby[3][2]", p.hegemonyStandby[3][2], Value(171, 2)},
        {"contestLootMultiplier[1]", p.contestLootMultiplier[1], Value(177, 1)},
        {"buildLimits[3][2]", p.buildLimits[3][2], Value(183, 2)},
        {"virtualTowerYears[8]", p.virtualTowerYears[8], Value(187, 8)},
        {"scoreDivisors[2]", p.scoreDivisors[2], Value(193, 2)},
        {"calendar period", p.CalendarPeriod(), 30 * Value(23, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(GameParameters, ExperienceTablesBecomeCumulative) {
    // Lines 2-4 as shipped: 0, 200, 220, ...
    cgfixture::Options opt;
    opt.replace.assign(90, "");
    opt.replace[2] = "0 200 220 242 266 293 322 354 389 428";
    Parsed r;
    Parse(r, cgfixture::MakeFile(opt));
    EXPECT_EQ(r.params.General_Level_up_Ref[0], 0);
    EXPECT_EQ(r.params.General_Level_up_Ref[2], 420); // level 3 in story mode
    EXPECT_EQ(r.params.General_Level_up_Ref[9], 2714);
    int64_t sum = 2714;
    for (int i = 10; i < 30; ++i) {
        sum += cgfixture::Value(3 + (i - 10) / 10, i % 10);
        EXPECT_EQ(r.params.General_Level_up_Ref[i], sum) << i;
    }
    sum = 0;
    for (int i = 0; i < 30; ++i) {
        sum += cgfixture::Value(87 + i / 10, i % 10);
        EXPECT_EQ(r.params.unifiedLevelExp[i], sum) << i;
    }
}

TEST(GameParameters, LineCases) {
    struct Case {
        const char* what;
        int line;
        std::string text;
        std::function<int64_t(const GameParameters&)> get;
        int64_t want;
    };
    const GameParameters d;
    const std::vector<Case> cases = {
        {"octal", 15, "010", [](auto& p) { return p.repair_castle_freq; }, 8},
        {"hex", 15, "0x10", [](auto& p) { return p.repair_castle_freq; }, 16},
        {"negative", 15, "-7", [](auto& p) { return p.repair_castle_freq; }, -7},
        {"remark after value", 16, "9;##No use!!!", [](auto& p) { return p.repair_castle_cost; }, 9},
        {"16-bit keeps low bits", 19, "70000 1 2 3", [](auto& p) { return p.MakeSoldierRate[0]; }, 4464},
        {"8-bit keeps low bits", 13, "257 1 2 3", [](auto& p) { return p.ConstAlarmRegion[0]; }, 1},
        {"short line keeps the rest", 33, "5 6", [](auto& p) { return p.governorSideJob[2]; },
         d.governorSideJob[2]},
        {"scan stops at text", 33, "5 x 7 8", [](auto& p) { return p.governorSideJob[1]; },
         d.governorSideJob[1]},
        {"scan takes values before text", 33, "5 x 7 8", [](auto& p) { return p.governorSideJob[0]; }, 5},
        {"text line keeps default", 24, "none", [](auto& p) { return p.Repair_Door_Freq; },
         d.Repair_Door_Freq},
        {"float line", 39, "1.5", [](auto& p) { return static_cast<int64_t>(p.PriceList * 10); }, 15},
    };
    for (const auto& c : cases) {
        cgfixture::Options opt;
        opt.replace.assign(GameParameters::kLineCount, "");
        opt.replace[c.line] = c.text;
        // Every other line is emptied of values so only the case's line changes anything.
        for (int n = 0; n < GameParameters::kLineCount; ++n)
            if (n != c.line) opt.replace[n] = "-";
        Parsed r;
        Parse(r, cgfixture::MakeFile(opt));
        EXPECT_EQ(c.get(r.params), c.want) << c.what;
    }
}

TEST(GameParameters, LongLineIsReportedAndDoesNotShiftLaterLines) {
    cgfixture::Options opt;
    opt.longComment = true;
    Parsed r;
    Parse(r, cgfixture::MakeFile(opt));
    ASSERT_EQ(r.log.size(), 1u);
    EXPECT_NE(r.log[0].find("longer than 126"), std::string::npos);
    EXPECT_EQ(r.lines, GameParameters::kLineCount + 2);
    EXPECT_EQ(r.params.siteRows[4][0], cgfixture::Value(50, 0));
    EXPECT_EQ(r.params.scoreDivisors[2], cgfixture::Value(193, 2));
}

TEST(GameParameters, DerivedTablesAndClamps) {
    GameParameters p;
    ParseGameParameters({}, p, nullptr);
    // Pick lists: row r holds stat c as often as its weight.
    const int weights[5][5] = {{30, 10, 40, 10, 10},
                               {40, 10, 30, 10, 10},
                               {20, 20, 10, 10, 40},
                               {10, 40, 15, 20, 15},
                               {10, 30, 30, 10, 20}};
    for (int r = 0; r < 5; ++r) {
        int counts[5] = {};
        for (int k = 0; k < 100; ++k) {
            ASSERT_LT(p.growthPickList[r][k], 5);
            ++counts[p.growthPickList[r][k]];
            if (k) {
                EXPECT_LE(p.growthPickList[r][k - 1], p.growthPickList[r][k]);
            }
        }
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(counts[c], weights[r][c]) << r << "," << c;
    }
    EXPECT_EQ(p.CalendarPeriod(), 180);
    // World-update periods outside 1..99 never fire; a bad speed index is clamped.
    cgfixture::Options opt;
    opt.replace.assign(GameParameters::kLineCount, "");
    opt.replace[40] = "0 500 -3 99 1 50 50 50 50 50 50";
    Parsed r;
    Parse(r, cgfixture::MakeFile(opt));
    EXPECT_EQ(r.params.WorldUpdatePeriod(0), 1);
    EXPECT_EQ(r.params.WorldUpdatePeriod(1), 99);
    EXPECT_EQ(r.params.WorldUpdatePeriod(2), 1);
    EXPECT_EQ(r.params.WorldUpdatePeriod(3), 99);
    EXPECT_EQ(r.params.WorldUpdatePeriod(-5), 1);
    EXPECT_EQ(r.params.WorldUpdatePeriod(1000), 50);
    EXPECT_EQ(r.params.DayPeriod(1000), r.params.Day_Level[10]);
    EXPECT_EQ(r.params.DayPeriod(-1), r.params.Day_Level[0]);
}

TEST(GameParameters, LoadFromFile) {
    TempFolder folder;
    int32_t period = 0;
    GameParams() = GameParameters();
    EXPECT_FALSE(LoadGameParameters("Cg001.wz", &period)); // missing: defaults stay
    EXPECT_EQ(period, 180);
    EXPECT_EQ(GameParams().Day_Level[0], 400);

    TempFolder::Write("CG001.WZ", cgfixture::MakeFile());
    GameParams() = GameParameters();
    EXPECT_TRUE(ReadParameterFile(&period));
    EXPECT_EQ(period, 30 * cgfixture::Value(23, 0));
    EXPECT_EQ(GameParams().Day_Level[0], cgfixture::Value(22, 0));
    GameParams() = GameParameters();
}

TEST(GameParameters, ProblemsOfTheLoadedFileGoToTheErrorLog) {
    TempFolder folder;
    cgfixture::Options opt;
    opt.longComment = true;
    TempFolder::Write("Cg001.wz", cgfixture::MakeFile(opt));
    Zu_Tools::StartErrorLogRun();
    GameParams() = GameParameters();
    EXPECT_TRUE(LoadGameParameters("Cg001.wz"));
    const std::string log = TempFolder::Read("Error.lst");
    EXPECT_EQ(log.rfind("\r\nCg001.wz,line ", 0), 0u) << log;
    EXPECT_NE(log.find("is longer than 126 bytes,0,0,0,0"), std::string::npos) << log;
    // A message without a file name still makes one line.
    LogLoadProblem("no file named");
    EXPECT_NE(TempFolder::Read("Error.lst").find("\nLoad,no file named,0,0,0,0"), std::string::npos);
    GameParams() = GameParameters();
    Zu_Tools::StartErrorLogRun();
}
