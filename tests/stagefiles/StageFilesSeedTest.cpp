#include "engine/LinkList.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "stagefiles/DeadOfficerFile.h"
#include "stagefiles/GarrisonFile.h"
#include "stagefiles/ItemFile.h"
#include "stagefiles/SavedRecord.h"
#include "stagefiles/SoldierFile.h"
#include "stagefiles/StageOfficer.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageUnits.h"
#include "stagefiles/StageWriter.h"
#include "troops/TroopFixture.h"
#include "world/MapObject.h"

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

// Seeds of the ".itm" reader: three items on the map.
TEST(StageFilesFuzzSeed, WritesItemSeeds) {
    trooptest::Battle battle;
    ItemCount = 20;
    LinkList items;
    for (int i = 1; i <= 3; ++i)
        items.Add(uintptr_t(new MapObject(i * 4, 1, 1, i * 3, i * 2)));
    StageWriter out;
    WriteMapItems(out, items);
    for (uintptr_t v = items.First(); v != 0; v = items.Next())
        delete reinterpret_cast<MapObject*>(v);
    items.RemoveAll();
    WriteSeed(SeedFolder("itemfile"), "items", 0, out.bytes());

    StageReader in(out.bytes(), StageLoadMode::Restore);
    EXPECT_TRUE(ReadMapItems(in, items));
    EXPECT_EQ(items.GetCount(), 3);
    for (uintptr_t v = items.First(); v != 0; v = items.Next())
        delete reinterpret_cast<MapObject*>(v);
}

// Seeds of the ".soldier" reader, for the fuzz target's stage: kingdom 1 with one city, kingdom 2
// with two, each city with one sub-castle.
TEST(StageFilesFuzzSeed, WritesGarrisonSeeds) {
    trooptest::Battle battle;
    Kingdom* a = battle.AddKingdom(1, true);
    Kingdom* b = battle.AddKingdom(2);
    std::vector<City*> cities = {battle.AddCity(a, 5, 5), battle.AddCity(b, 15, 5), battle.AddCity(b, 25, 5)};
    std::vector<SubCastle*> subs;
    for (City* c : cities) {
        subs.push_back(new SubCastle(0));
        c->subCastles.Add(uintptr_t(subs.back()));
    }
    auto inside = [&](Kingdom* k, int x, int16_t garrison) {
        Troop* t = battle.AddTroop(k, x, 6);
        k->fieldUnits.RemoveValue(uintptr_t(t));
        t->garrison = garrison;
        return t;
    };
    Troop* lead = inside(a, 6, 1);
    Troop* follower = inside(a, 7, 1);
    follower->leader = lead;
    lead->followers->Add(uintptr_t(follower));
    cities[0]->units.Add(uintptr_t(lead));
    subs[2]->units.Add(uintptr_t(inside(b, 8, 2)));
    subs[2]->keeper = inside(b, 9, 2);
    StageWriter out;
    WriteGarrisons(out, *battle.stage);
    WriteSeed(SeedFolder("garrisonfile"), "garrisons-restore", 0, out.bytes());
    WriteSeed(SeedFolder("garrisonfile"), "garrisons-fresh", 1, out.bytes());

    // Read back into the same places once they are emptied.
    cities[0]->units.RemoveAll();
    delete follower;
    delete lead;
    StageReader in(out.bytes(), StageLoadMode::Restore);
    EXPECT_TRUE(ReadGarrisons(in, *battle.stage));
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(cities[0]->units.GetCount(), 1);
}

// Seeds of the ".spr" reader, for the fuzz target's stage of two kingdoms: a group with a follower
// and a paired troop, two troops on one cell in a hot-key group, one selected.
TEST(StageFilesFuzzSeed, WritesSoldierSeeds) {
    trooptest::Battle battle;
    Kingdom* a = battle.AddKingdom(1, true);
    Kingdom* b = battle.AddKingdom(2);
    Troop* lead = battle.AddTroop(a, 4, 4);
    Troop* follower = battle.AddTroop(a, 5, 4, 1, 3);
    follower->leader = lead;
    lead->followers->Add(uintptr_t(follower));
    lead->pairedTroop = battle.AddTroop(a, 6, 4, 1, 3);
    Troop* t1 = battle.AddTroop(b, 8, 8);
    Troop* t2 = battle.AddTroop(b, 8, 8);
    for (Troop* t : {lead, t1, t2})
        t->outgoingMark = 1;
    t1->targetTroop = t2;
    TheGameController->groups[1]->Add(uintptr_t(t1));
    TheGameController->groups[1]->Add(uintptr_t(t2));
    TheGameController->selection->Add(uintptr_t(t2));
    StageWriter out;
    WriteSoldiers(out, *battle.stage, true);
    const auto folder = SeedFolder("soldierfile");
    WriteSeed(folder, "soldiers-restore", 0, out.bytes());
    WriteSeed(folder, "soldiers-fresh", 1, out.bytes());
    TheGameController->groups[1]->RemoveAll();
    TheGameController->selection->RemoveAll();

    // Read back into the same kingdoms once their troops are gone.
    for (Kingdom* k : {a, b}) {
        for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next())
            delete reinterpret_cast<Troop*>(v);
        k->fieldUnits.RemoveAll();
    }
    StageReader in(out.bytes(), StageLoadMode::Restore);
    SoldierFileLayout layout;
    EXPECT_TRUE(ReadSoldiers(in, *battle.stage, layout));
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(TheGameController->groups[1]->GetCount(), 2);
    TheGameController->groups[1]->RemoveAll();
    TheGameController->selection->RemoveAll();
}
