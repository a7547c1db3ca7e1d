#include "world/CastleTemplate.h"
#include "RandomMapFixture.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace randommaptest;
using testsupport::TempFolder;

TEST(CastleTemplate, ReadsCitiesWithTheirMembersAndGates) {
    TempFolder folder;
    WriteGeneratorFolder();
    CastleTemplate t;
    ASSERT_TRUE(t.Load());
    ASSERT_EQ(t.CityCount(), 24);
    City* castle = t.CityAt(5);
    EXPECT_EQ(castle->Kind(), 0);
    EXPECT_EQ(castle->Int(CityLayout::kX), 80 * 1 + 40);
    EXPECT_EQ(castle->Int(CityLayout::kY), 180 + 90);
    EXPECT_EQ(castle->ownerSide, 1);
    ASSERT_EQ(castle->generals.GetCount(), 1);
    auto* officer = reinterpret_cast<OfficerRecord*>(castle->generals.First());
    EXPECT_EQ(officer->Get(OfficerLayout::kPersonNumber), 2);
    ASSERT_EQ(castle->subCastles.GetCount(), 1);
    auto* sub = reinterpret_cast<SubCastle*>(castle->subCastles.First());
    EXPECT_EQ(sub->Int(SubCastleLayout::kX), castle->Int(CityLayout::kX) + 12);
    ASSERT_EQ(castle->sites.GetCount(), 1);
    auto* site = reinterpret_cast<SavedRecord*>(castle->sites.First());
    EXPECT_EQ(site->y, castle->Int(CityLayout::kY) + 16);
    EXPECT_EQ(site->kind, 3);
    EXPECT_EQ(t.CityAt(8)->Kind(), 6);
    EXPECT_EQ(t.CityAt(24), nullptr);
    ASSERT_EQ(t.Gates().size(), 16u);
    EXPECT_EQ(t.Gates()[3].cityX, 120);
    EXPECT_EQ(t.Gates()[3].cityY, 90);
    EXPECT_EQ(t.Gates()[3].direction, 1);
    EXPECT_EQ(t.Gates()[3].style, 1);
}

TEST(CastleTemplate, MissingOrEmptyInputsLeaveTablesEmpty) {
    TempFolder folder;
    CastleTemplate t;
    EXPECT_TRUE(t.Load()); // no files at all
    EXPECT_EQ(t.CityCount(), 0);

    Put("Castle01.Stg", TemplateStageBytes(DefaultTemplateCities(), 0));
    Put("Castle01.Dor", WriteDoorFile({DefaultTemplateGates()}));
    EXPECT_TRUE(t.Load());
    EXPECT_EQ(t.CityCount(), 0);
    EXPECT_TRUE(t.Gates().empty());

    Put("Castle01.Stg", TemplateStageBytes(DefaultTemplateCities()));
    std::filesystem::remove("Castle01.Dor");
    EXPECT_TRUE(t.Load());
    EXPECT_EQ(t.CityCount(), 24);
    EXPECT_TRUE(t.Gates().empty());
}

TEST(CastleTemplate, DamagedStagesAreRefusedWithoutOverrun) {
    const std::vector<uint8_t> good = TemplateStageBytes(DefaultTemplateCities());
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"cut short", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)});
    // More cities claimed than stored.
    cases.push_back({"count beyond the bytes", TemplateStageBytes(DefaultTemplateCities(), 1, 1000)});
    // A block length far beyond the file.
    std::vector<uint8_t> huge = good;
    huge[4] = 0xFF, huge[5] = 0xFF, huge[6] = 0xFF, huge[7] = 0x7F;
    cases.push_back({"block longer than the file", huge});
    for (const Case& c : cases) {
        CastleTemplate t;
        EXPECT_FALSE(t.Parse(c.bytes, nullptr)) << c.name;
    }
    // Longer blocks than the buffers are read over, not into neighbouring fields.
    CastleTemplate t;
    const std::vector<uint8_t> door = WriteDoorFile({DefaultTemplateGates()});
    std::vector<uint8_t> cutDoor(door.begin(), door.end() - 10);
    const std::span<const uint8_t> cut(cutDoor);
    EXPECT_FALSE(t.Parse(good, &cut));
}

TEST(CastleTemplate, CitiesBeyondTheTableAreDropped) {
    std::vector<TemplateCity> many(224, TemplateCity{1, 0, 40, 90});
    CastleTemplate t;
    ASSERT_TRUE(t.Parse(TemplateStageBytes(many), nullptr));
    EXPECT_EQ(t.CityCount(), CastleTemplate::kMaxCities);
}

TEST(CastleTemplate, ResetGridMarksOutlinesTheFrames) {
    GeneratorGrid map;
    map.width = 100;
    map.height = 400;
    map.cells.resize(100 * 400);
    map.At(5, 5).Byte(9) = 7;
    ResetGridMarks(&map, true);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool line = y == 0 || y == 180 || y == 360 || x == 0 || x == 80;
            ASSERT_EQ(map.At(x, y).Byte(9), line ? 1 : 0) << x << "," << y;
        }
    ResetGridMarks(&map, false);
    EXPECT_EQ(map.At(20, 7).Byte(9), 1);
    EXPECT_EQ(map.At(21, 60).Byte(9), 1);
    EXPECT_EQ(map.At(21, 61).Byte(9), 0);
    ResetGridMarks(nullptr, true); // no editing map: nothing happens
}

} // namespace
