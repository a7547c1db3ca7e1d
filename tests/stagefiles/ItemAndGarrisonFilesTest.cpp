#include "engine/LinkList.h"
#include "records/City.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "stagefiles/GarrisonFile.h"
#include "stagefiles/ItemFile.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageUnits.h"
#include "stagefiles/StageWriter.h"
#include "support/StageBytes.h"
#include "troops/TroopFixture.h"
#include "world/MapObject.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using testsupport::StageBytes;

namespace {

class MapItemsTest : public ::testing::Test {
protected:
    void SetUp() override { ItemCount = 500; }
    void TearDown() override {
        for (uintptr_t v = items.First(); v != 0; v = items.Next())
            delete reinterpret_cast<MapObject*>(v);
        items.RemoveAll();
    }
    MapObject* Item(int id, int x, int y) {
        auto* m = new MapObject(id, 1, 1, x, y);
        items.Add(uintptr_t(m));
        return m;
    }
    std::vector<MapObject*> List() {
        std::vector<MapObject*> out;
        for (uintptr_t v = items.First(); v != 0; v = items.Next())
            out.push_back(reinterpret_cast<MapObject*>(v));
        return out;
    }

    trooptest::Battle battle;
    LinkList items;
};

TEST_F(MapItemsTest, ItemsRoundTripAndIdZeroIsNeitherWrittenNorRead) {
    Item(7, 3, 4);
    Item(12, 10, 20)->itemId = 0; // an item that names nothing
    Item(30, 39, 39);
    Item(5, 0, 1);
    StageWriter out;
    WriteMapItems(out, items);
    const std::vector<uint8_t> expected =
        StageBytes().tag("Item    Data").words({12, 3, 7, 3, 4, 30, 39, 39, 5, 0, 1}).data();
    ASSERT_EQ(out.bytes(), expected);
    TearDown();

    StageReader in(out.bytes(), StageLoadMode::Restore);
    ASSERT_TRUE(ReadMapItems(in, items));
    const auto read = List();
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[1]->itemId, 30);
    EXPECT_EQ(read[1]->cellX, 39);
    EXPECT_EQ(read[1]->cellY, 39);
    EXPECT_EQ(TheBattleMap->GetCellObject(3, 4), read[0]);
    StageWriter again;
    WriteMapItems(again, items);
    EXPECT_EQ(again.bytes(), out.bytes());

    // An id-0 record in the file creates nothing; an empty list is the 20-byte header.
    TearDown();
    const std::vector<uint8_t> idZero = StageBytes().tag("Item    Data").words({12, 1, 0, 5, 5}).data();
    StageReader zero(idZero, StageLoadMode::Fresh);
    ASSERT_TRUE(ReadMapItems(zero, items));
    EXPECT_EQ(items.GetCount(), 0);
    EXPECT_EQ(TheBattleMap->GetCellObject(5, 5), nullptr);
    StageWriter empty;
    WriteMapItems(empty, items);
    EXPECT_EQ(empty.size(), 20u);
}

TEST_F(MapItemsTest, ItemsOffTheMapAreSkipped) {
    // The test map has 40 columns and 40 unit rows.
    const int cells[][2] = {{-1, 5}, {5, -1}, {40, 5}, {5, 40}, {39, 39}};
    StageBytes file;
    file.tag("Item    Data").words({12, 5});
    for (const auto& c : cells)
        file.words({9, uint32_t(c[0]), uint32_t(c[1])});
    StageReader in(file.data(), StageLoadMode::Restore);
    ASSERT_TRUE(ReadMapItems(in, items));
    const auto read = List();
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->cellX, 39);
}

TEST_F(MapItemsTest, DamagedItemFiles) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
        int count;
        int lastY;
    };
    const Case cases[] = {
        // Longer records keep their first 12 bytes; shorter ones leave the rest zero.
        {"longer records", StageBytes().tag("Item    Data").words({16, 2, 4, 1, 2, 99, 6, 3, 4, 99}).data(),
         true, 2, 4},
        {"shorter records", StageBytes().tag("Item    Data").words({8, 2, 4, 1, 6, 3}).data(), true, 2, 0},
        {"count past the end", StageBytes().tag("Item    Data").words({12, 0x7fffffff, 4, 1, 2}).data(),
         false, 0, 0},
        {"negative count", StageBytes().tag("Item    Data").words({12, 0xffffffff}).data(), false, 0, 0},
        {"no header", StageBytes().tag("Item").data(), false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        StageReader in(c.bytes, StageLoadMode::Restore);
        EXPECT_EQ(ReadMapItems(in, items), c.ok);
        const auto read = List();
        ASSERT_EQ(int(read.size()), c.count);
        if (c.count) {
            EXPECT_EQ(read.back()->cellY, c.lastY);
        }
    }
}

class GarrisonFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        a = battle.AddKingdom(1, true);
        b = battle.AddKingdom(2);
        city1 = battle.AddCity(a, 5, 5);
        city2 = battle.AddCity(a, 15, 5);
        city3 = battle.AddCity(b, 25, 5);
        sub1 = Sub(city1);
        sub2 = Sub(city3);
    }
    SubCastle* Sub(City* c) {
        auto* s = new SubCastle(0);
        c->subCastles.Add(uintptr_t(s));
        return s;
    }
    // A troop kept inside: out of the field list and off the map.
    Troop* Inside(Kingdom* k, int x, int y, int16_t garrison) {
        Troop* t = battle.AddTroop(k, x, y);
        k->fieldUnits.RemoveValue(uintptr_t(t));
        t->garrison = garrison;
        return t;
    }
    void Populate() {
        Troop* lead = Inside(a, 6, 6, 1);
        ASSERT_NE(lead->followers, nullptr);
        for (int i = 0; i < 2; ++i) {
            Troop* f = Inside(a, 7 + i, 6, 1);
            f->leader = lead;
            lead->followers->Add(uintptr_t(f));
        }
        lead->pairedTroop = Inside(a, 9, 6, 1);
        lead->pairedTroop->leader = lead;
        a->fieldUnits.Add(uintptr_t(lead->pairedTroop)); // as the reader leaves it
        city1->units.Add(uintptr_t(lead));
        city1->units.Add(uintptr_t(Inside(a, 10, 6, 1)));
        sub1->units.Add(uintptr_t(Inside(a, 11, 6, 2)));
        sub1->leader = Inside(a, 12, 6, 2);
        a->fieldUnits.Add(uintptr_t(sub1->leader));
        subFollower = Inside(a, 16, 6, 2);
        subFollower->leader = sub1->leader;
        sub1->leader->followers->Add(uintptr_t(subFollower));
        a->fieldUnits.Add(uintptr_t(subFollower)); // as the reader leaves it
        sub1->keeper = Inside(a, 13, 6, 2);
        sub1->keeper->carried = new LinkList;
        ItemTable[3] = item.data();
        ItemCount = 10;
        sub1->keeper->carried->Add(3);
        city3->units.Add(uintptr_t(Inside(b, 14, 6, 1)));
    }
    static std::vector<uint8_t> Write() {
        StageWriter out;
        WriteGarrisons(out, *TheBattleMap->stageSet);
        return out.bytes();
    }
    // Takes every garrison out of the world and deletes it.
    void Empty() {
        for (City* c : {city1, city2, city3}) {
            for (uintptr_t v = c->units.First(); v != 0; v = c->units.Next())
                DeleteGroup(reinterpret_cast<Troop*>(v));
            c->units.RemoveAll();
        }
        for (SubCastle* s : {sub1, sub2}) {
            for (uintptr_t v = s->units.First(); v != 0; v = s->units.Next())
                delete reinterpret_cast<Troop*>(v);
            s->units.RemoveAll();
            if (s->leader) a->fieldUnits.RemoveValue(uintptr_t(s->leader));
            if (s->leader) b->fieldUnits.RemoveValue(uintptr_t(s->leader));
            delete s->leader;
            s->leader = nullptr;
            delete s->keeper;
            s->keeper = nullptr;
        }
        for (Kingdom* k : {a, b}) {
            for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next())
                delete reinterpret_cast<Troop*>(v);
            k->fieldUnits.RemoveAll();
        }
    }
    static void DeleteGroup(Troop* t) {
        if (t->followers)
            for (uintptr_t v = t->followers->First(); v != 0; v = t->followers->Next())
                delete reinterpret_cast<Troop*>(v);
        delete t;
    }
    void TearDown() override { Empty(); }

    trooptest::Battle battle;
    std::array<uint8_t, 192> item{};
    Kingdom *a = nullptr, *b = nullptr;
    City *city1 = nullptr, *city2 = nullptr, *city3 = nullptr;
    SubCastle *sub1 = nullptr, *sub2 = nullptr;
    Troop* subFollower = nullptr;
};

TEST_F(GarrisonFileTest, RestoredGarrisonsWriteBackTheSameBytes) {
    Populate();
    const auto bytes = Write();
    Empty();
    // A record that says "on the field" still comes back inside.
    StageReader in(bytes, StageLoadMode::Restore);
    ASSERT_TRUE(ReadGarrisons(in, *TheBattleMap->stageSet));
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(Write(), bytes);

    ASSERT_EQ(city1->units.GetCount(), 2);
    EXPECT_EQ(city1->unitCount, 2);
    auto* lead = reinterpret_cast<Troop*>(city1->units.First());
    ASSERT_NE(lead->followers, nullptr);
    EXPECT_EQ(lead->followers->GetCount(), 2);
    ASSERT_NE(lead->pairedTroop, nullptr);
    EXPECT_EQ(lead->garrison, 1);
    EXPECT_EQ(city2->units.GetCount(), 0);
    EXPECT_EQ(city3->units.GetCount(), 1);
    EXPECT_EQ(reinterpret_cast<Troop*>(city3->units.First())->owner, 2);
    ASSERT_EQ(sub1->units.GetCount(), 1);
    EXPECT_EQ(sub1->Int(SubCastleLayout::kUnitCount), 1);
    EXPECT_EQ(reinterpret_cast<Troop*>(sub1->units.First())->garrison, 2);
    ASSERT_NE(sub1->leader, nullptr);
    EXPECT_EQ(sub1->leader->garrison, 2);
    // The single unit's follower stays inside and belongs to the kingdom's troop list.
    ASSERT_EQ(sub1->leader->followers->GetCount(), 1);
    const uintptr_t follower = sub1->leader->followers->First();
    EXPECT_NE(a->fieldUnits.Find(follower), 0u);
    EXPECT_EQ(reinterpret_cast<Troop*>(follower)->garrison, 2);
    ASSERT_NE(sub1->keeper, nullptr);
    ASSERT_NE(sub1->keeper->carried, nullptr);
    EXPECT_EQ(sub1->keeper->carried->First(), 3u);
    EXPECT_EQ(sub2->leader, nullptr);
    EXPECT_EQ(sub2->keeper, nullptr);
    // Nothing kept inside stands on a map cell.
    for (int x = 6; x <= 14; ++x)
        EXPECT_EQ(TheBattleMap->FirstObjectAt(x, 6), 0u) << x;
}

TEST_F(GarrisonFileTest, GarrisonWordsComeFromTheirPlaceNotTheRecord) {
    Populate();
    for (uintptr_t v = city1->units.First(); v != 0; v = city1->units.Next())
        reinterpret_cast<Troop*>(v)->garrison = 2;
    reinterpret_cast<Troop*>(sub1->units.First())->garrison = 1;
    sub1->leader->garrison = 1;
    const auto bytes = Write();
    Empty();
    StageReader in(bytes, StageLoadMode::Restore);
    ASSERT_TRUE(ReadGarrisons(in, *TheBattleMap->stageSet));
    for (uintptr_t v = city1->units.First(); v != 0; v = city1->units.Next())
        EXPECT_EQ(reinterpret_cast<Troop*>(v)->garrison, 1);
    EXPECT_EQ(reinterpret_cast<Troop*>(sub1->units.First())->garrison, 2);
    EXPECT_EQ(sub1->leader->garrison, 2);
    // The item-holding unit keeps its record's word.
    EXPECT_EQ(sub1->keeper->garrison, 2);
}

TEST_F(GarrisonFileTest, PlainUnitsAreReadAndDropped) {
    // Two plain units of city 1, standing on a field cell in their records.
    Troop* t1 = battle.AddTroop(a, 20, 20);
    Troop* t2 = battle.AddTroop(a, 20, 20);
    StageWriter units;
    WriteUnit(units, *t1);
    WriteUnit(units, *t2);
    Empty();
    const std::vector<uint8_t> file = StageBytes()
                                          .tag("Soldier2Data")
                                          .words({372, 48})
                                          .words({0, 2})
                                          .bytes(units.bytes())
                                          .words({0, 0, 0}) // sub-castle 1: no groups, both flags 0
                                          .words({0, 0})    // city 2
                                          .words({0, 0})    // city 3
                                          .words({0, 0, 0}) // sub-castle 2
                                          .data();
    StageReader in(file, StageLoadMode::Restore);
    ASSERT_TRUE(ReadGarrisons(in, *TheBattleMap->stageSet));
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(city1->units.GetCount(), 0);
    EXPECT_EQ(a->fieldUnits.GetCount(), 0);
    EXPECT_EQ(TheBattleMap->FirstObjectAt(20, 20), 0u);
}

TEST_F(GarrisonFileTest, DamagedGarrisonFilesStopWithoutLeavingHalfGroups) {
    Populate();
    const auto whole = Write();
    Empty();
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"cut in the header", std::vector<uint8_t>(whole.begin(), whole.begin() + 16)},
        {"cut inside the first group", std::vector<uint8_t>(whole.begin(), whole.begin() + 600)},
        {"cut before the last flag", std::vector<uint8_t>(whole.begin(), whole.end() - 4)},
        {"huge group count", StageBytes().tag("Soldier2Data").words({372, 48, 0x7ffffff0}).data()},
        {"negative plain count", StageBytes().tag("Soldier2Data").words({372, 48, 0, 0xfffffffe}).data()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StageReader in(c.bytes, StageLoadMode::Restore);
        EXPECT_FALSE(ReadGarrisons(in, *TheBattleMap->stageSet));
        // Whatever was read whole is consistent: every city unit is a complete group inside.
        for (uintptr_t v = city1->units.First(); v != 0; v = city1->units.Next())
            EXPECT_EQ(reinterpret_cast<Troop*>(v)->garrison, 1);
        Empty();
    }
}

} // namespace

namespace {

// A stray owner byte in a record cannot hand a garrison group, or its paired troop, to another
// kingdom or to none.
TEST_F(GarrisonFileTest, GroupsBelongToTheKingdomTheyAreFiledUnder) {
    Troop* t = Inside(b, 14, 6, 1);
    t->owner = 77;
    t->pairedTroop = Inside(b, 15, 6, 1);
    t->pairedTroop->leader = t;
    b->fieldUnits.Add(uintptr_t(t->pairedTroop));
    city3->units.Add(uintptr_t(t));
    const auto bytes = Write();
    Empty();
    StageReader in(bytes, StageLoadMode::Restore);
    ASSERT_TRUE(ReadGarrisons(in, *TheBattleMap->stageSet));
    ASSERT_EQ(city3->units.GetCount(), 1);
    auto* back = reinterpret_cast<Troop*>(city3->units.First());
    EXPECT_EQ(back->owner, 2);
    ASSERT_NE(back->pairedTroop, nullptr);
    EXPECT_EQ(b->fieldUnits.First(), uintptr_t(back->pairedTroop));
}

} // namespace
