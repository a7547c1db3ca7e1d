#include "engine/LinkList.h"
#include "records/OfficerRecord.h"
#include "stagefiles/DeadOfficerFile.h"
#include "stagefiles/SavedRecord.h"
#include "stagefiles/StageOfficer.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageUnits.h"
#include "stagefiles/StageWriter.h"
#include "troops/TroopFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::filesystem::path SeedFolder(const char* target) {
    const char* dir = std::getenv("KARDOL_SEED_DIR");
    const std::filesystem::path folder = std::filesystem::path(dir ? dir : KARDOL_SEED_DIR) / target;
    std::filesystem::create_directories(folder);
    return folder;
}

// A seed is the fuzz target's mode byte, then the bytes of the file.
void WriteSeed(const std::filesystem::path& folder, const std::string& name, uint8_t mode,
               const std::vector<uint8_t>& bytes) {
    std::ofstream out(folder / name, std::ios::binary);
    out.put(char(mode));
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

// Seeds of the unit readers: a group with followers and a paired troop, and a unit with items,
// each read back by the reader it is meant for.
TEST(StageFilesFuzzSeed, WritesUnitSeeds) {
    trooptest::Battle battle;
    Kingdom* k = battle.AddKingdom(1, true);
    Troop* leader = battle.AddTroop(k, 4, 4, 1, 1);
    leader->followers->Add(uintptr_t(battle.AddTroop(k, 5, 4, 1, 3)));
    leader->followers->Add(uintptr_t(battle.AddTroop(k, 6, 4, 1, 3)));
    leader->pairedTroop = battle.AddTroop(k, 7, 4, 1, 3);
    leader->carried = new LinkList;
    leader->carried->Add(3);
    StageWriter groups;
    WriteUnitGroup(groups, *leader);
    WriteUnitGroup(groups, *leader->pairedTroop);
    StageWriter items;
    WriteUnitWithItems(items, *leader);

    const auto folder = SeedFolder("stageunits");
    WriteSeed(folder, "groups-restore", 0, groups.bytes());
    WriteSeed(folder, "groups-fresh-version2", 5, groups.bytes());
    WriteSeed(folder, "items-restore", 2, items.bytes());

    StageReader in(groups.bytes(), StageLoadMode::Restore);
    for (int i = 0; i < 2; ++i) {
        Troop* t = ReadUnitGroup(in, {}, 1);
        ASSERT_TRUE(t) << "group " << i;
        k->fieldUnits.Add(uintptr_t(t));
    }
    EXPECT_EQ(in.remaining(), 0u);
    StageReader itemsIn(items.bytes(), StageLoadMode::Fresh);
    Troop* t = ReadUnitWithItems(itemsIn, {}, 1);
    ASSERT_TRUE(t);
    k->fieldUnits.Add(uintptr_t(t));
    EXPECT_EQ(itemsIn.remaining(), 0u);
}

// Seeds of the officer reader, the ".dead" file and the site record.
TEST(StageFilesFuzzSeed, WritesOfficerSeeds) {
    trooptest::Battle battle;
    OfficerRecord officer(3, -1);
    officer.Set(OfficerLayout::kLevel, 5);
    officer.Set(OfficerLayout::kAttribute, 2);
    StageWriter record;
    SaveStageOfficer(record, officer);
    LinkList dead;
    dead.Add(uintptr_t(&officer));
    dead.Add(uintptr_t(&officer));
    StageWriter deadFile;
    WriteDeadOfficers(deadFile, dead);
    dead.RemoveAll();
    StageWriter sites;
    SavedRecord(3, 4, 5).Save(sites);
    SavedRecord(6, 7, 8).Save(sites);

    const auto folder = SeedFolder("stageofficer");
    WriteSeed(folder, "officer-restore", 0, record.bytes());
    WriteSeed(folder, "officer-fresh", 1, record.bytes());
    WriteSeed(folder, "dead-restore", 0, deadFile.bytes());
    WriteSeed(folder, "sites", 0, sites.bytes());

    StageReader officerIn(record.bytes(), StageLoadMode::Fresh);
    OfficerRecord back(100, -1);
    EXPECT_TRUE(LoadStageOfficer(officerIn, back));
    StageReader deadIn(deadFile.bytes(), StageLoadMode::Restore);
    EXPECT_TRUE(ReadDeadOfficers(deadIn, dead));
    EXPECT_EQ(dead.GetCount(), 2);
    ClearDeadOfficers(dead);
    StageReader sitesIn(sites.bytes(), StageLoadMode::Restore);
    SavedRecord a, b;
    EXPECT_TRUE(a.Load(sitesIn) && b.Load(sitesIn));
    EXPECT_EQ(b.kind, 8);
}
