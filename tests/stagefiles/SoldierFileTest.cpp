#include "stagefiles/SoldierFile.h"
#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageUnits.h"
#include "stagefiles/StageWriter.h"
#include "support/StageBytes.h"
#include "troops/TroopFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::StageBytes;
using L = OfficerLayout;

namespace {

constexpr size_t kGroupsBytes = 10 * 16 * 12;

class SoldierFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        a = battle.AddKingdom(1, true);
        b = battle.AddKingdom(2);
        // Two troops on one cell, told apart only by their officers' serials.
        t1 = Out(battle.AddTroop(a, 5, 5));
        t2 = Out(battle.AddTroop(a, 5, 5));
        lead = Out(battle.AddTroop(a, 10, 10));
        lead->homeCity = 3;
        Troop* f = battle.AddTroop(a, 11, 10, 1, 3);
        f->leader = lead;
        lead->followers->Add(uintptr_t(f));
        lead->pairedTroop = battle.AddTroop(a, 12, 10, 1, 3);
        lead->pairedTroop->leader = lead;
        battle.AddTroop(a, 14, 14)->garrison = 1; // inside its garrison: not in this file
        t3 = Out(battle.AddTroop(b, 20, 20, 1, 13));
        t3->homeCity = 4;
        t1->targetTroop = t2;
        t2->targetObject = t1;
        Group(0)->Add(uintptr_t(t1));
        Group(0)->Add(uintptr_t(t2));
        Group(3)->Add(uintptr_t(lead));
        TheGameController->groupHeaders[3]->inUse = 1;
        TheGameController->groupHeaders[3]->memberCount = 1;
        TheGameController->selection->Add(uintptr_t(t2));
        t2->selected = 1;
        serial1 = t1->officer->serial;
        serial2 = t2->officer->serial;
    }
    void TearDown() override { Empty(); }

    static Troop* Out(Troop* t) {
        t->outgoingMark = 1;
        return t;
    }
    static LinkList* Group(int g) { return TheGameController->groups[g]; }
    std::vector<Troop*> Members(LinkList* list) {
        std::vector<Troop*> out;
        for (uintptr_t v = list->First(); v != 0; v = list->Next())
            out.push_back(reinterpret_cast<Troop*>(v));
        return out;
    }
    std::vector<uint8_t> Write(bool forSave = true) {
        StageWriter out;
        WriteSoldiers(out, *battle.stage, forSave);
        return out.bytes();
    }
    // Takes every field troop out of the world, with the groups and the selection.
    void Empty() {
        for (int g = 0; g < 10; ++g)
            Group(g)->RemoveAll();
        TheGameController->selection->RemoveAll();
        for (Kingdom* k : {a, b}) {
            for (Troop* t : Members(&k->fieldUnits))
                delete t;
            k->fieldUnits.RemoveAll();
        }
    }
    bool Read(const std::vector<uint8_t>& bytes, StageLoadMode mode = StageLoadMode::Restore) {
        StageReader in(bytes, mode);
        const bool ok = ReadSoldiers(in, *battle.stage, layout);
        if (ok) EXPECT_EQ(in.remaining(), 0u);
        return ok;
    }
    Troop* BySerial(Kingdom* k, uint32_t serial) {
        for (Troop* t : Members(&k->fieldUnits))
            if (t->officer->serial == serial) return t;
        return nullptr;
    }
    // The same file in the "New Soldier2" layout: references without serials.
    static std::vector<uint8_t> AsVersion2(const std::vector<uint8_t>& v5, int selected) {
        const size_t tail = 4 + 120 + kGroupsBytes + 8 + 12 * size_t(selected);
        const size_t head = v5.size() - tail;
        std::vector<uint8_t> out(v5.begin(), v5.begin() + long(head) + 4 + 120);
        std::copy_n("New Soldier2", 12, out.begin());
        auto triples = [&](size_t at, size_t n) {
            for (size_t i = 0; i < n; ++i)
                out.insert(out.end(), v5.begin() + long(at + 12 * i), v5.begin() + long(at + 12 * i + 8));
        };
        triples(head + 124, 160);
        out.insert(out.end(), v5.begin() + long(head + 124 + kGroupsBytes),
                   v5.begin() + long(head + 132 + kGroupsBytes));
        triples(head + 132 + kGroupsBytes, size_t(selected));
        return out;
    }

    trooptest::Battle battle;
    Kingdom *a = nullptr, *b = nullptr;
    Troop *t1 = nullptr, *t2 = nullptr, *t3 = nullptr, *lead = nullptr;
    uint32_t serial1 = 0, serial2 = 0;
    SoldierFileLayout layout;
};

TEST_F(SoldierFileTest, RestoredSoldierFileWritesBackTheSameBytes) {
    const auto bytes = Write();
    Empty();
    battle.stage->stageWords[2] = 7;
    TheGameController->groupHeaders[3]->inUse = 0;
    ASSERT_TRUE(Read(bytes));
    EXPECT_EQ(layout.version, 5);
    EXPECT_EQ(layout.newer, 1);
    EXPECT_EQ(battle.stage->stageWords[2], 0);
    EXPECT_EQ(TheGameController->groupHeaders[3]->inUse, 1);

    // Leaders, followers and the paired troop; the troop left inside is not in the file.
    EXPECT_EQ(a->fieldUnits.GetCount(), 5);
    EXPECT_EQ(b->fieldUnits.GetCount(), 1);
    Troop* r1 = BySerial(a, serial1);
    Troop* r2 = BySerial(a, serial2);
    ASSERT_TRUE(r1 && r2);
    EXPECT_EQ(Members(Group(0)), (std::vector<Troop*>{r1, r2}));
    EXPECT_EQ(r1->targetTroop, r2);
    EXPECT_EQ(r2->targetObject, r1);
    EXPECT_EQ(Members(TheGameController->selection), std::vector<Troop*>{r2});
    EXPECT_EQ(r2->selected, 1);
    EXPECT_EQ(r1->outgoingMark, 1);
    ASSERT_EQ(Group(3)->GetCount(), 1);
    auto* readLead = reinterpret_cast<Troop*>(Group(3)->First());
    EXPECT_EQ(readLead->followers->GetCount(), 1);
    EXPECT_NE(readLead->pairedTroop, nullptr);

    EXPECT_EQ(Write(), bytes);
}

TEST_F(SoldierFileTest, EachTagReadsReferencesByItsRule) {
    const auto v5 = Write();
    const std::vector<uint8_t> v2 = AsVersion2(v5, 1);
    std::vector<uint8_t> v3 = v5, other = v5;
    std::copy_n("New Soldier3", 12, v3.begin());
    std::copy_n("Other   Data", 12, other.begin());
    struct Case {
        const char* name;
        const std::vector<uint8_t>& bytes;
        int32_t version;
        bool bySerial;
        bool joinsNothing;
    };
    const Case cases[] = {
        {"morvek v1.05", v5, 5, true, false},
        {"New Soldier3", v3, 3, true, false},
        {"New Soldier2", v2, 2, false, false},
        {"unknown tag", other, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Empty();
        layout = {};
        ASSERT_TRUE(Read(c.bytes));
        EXPECT_EQ(layout.version, c.version);
        Troop* r1 = BySerial(a, serial1);
        Troop* r2 = BySerial(a, serial2);
        ASSERT_TRUE(r1 && r2);
        const auto group = Members(Group(0));
        if (c.joinsNothing) {
            EXPECT_TRUE(group.empty());
            EXPECT_EQ(TheGameController->selection->GetCount(), 0);
            EXPECT_EQ(r1->targetTroop, nullptr);
            continue;
        }
        ASSERT_EQ(group.size(), 2u);
        if (c.bySerial) {
            EXPECT_EQ(group, (std::vector<Troop*>{r1, r2}));
            EXPECT_EQ(r1->targetTroop, r2);
        } else {
            // Both slots name the cell only: the first troop on it fills both.
            auto* first = reinterpret_cast<Troop*>(TheBattleMap->FirstObjectAt(5, 5));
            EXPECT_EQ(group, (std::vector<Troop*>{first, first}));
            EXPECT_EQ(r1->targetTroop, first);
        }
    }
}

TEST_F(SoldierFileTest, OldestLayoutReadsTroopsAndCellReferences) {
    StageWriter units;
    WriteUnit(units, *t1);
    WriteUnit(units, *t3);
    StageBytes file;
    file.tag("Soldier Data").words({372, 48, 2}).bytes(units.bytes());
    file.words({0}); // kingdom 2 has no troops in this file
    file.words({9}).zeros(6 * 12);
    for (int g = 0; g < 6; ++g)
        for (int s = 0; s < 16; ++s)
            file.words(g == 1 && s == 0 ? std::initializer_list<uint32_t>{5, 5}
                                        : std::initializer_list<uint32_t>{0, 0});
    file.words({0, 1, 5, 5});
    // t3 was written as kingdom 1's second troop: the file's kingdom wins.
    const std::vector<uint8_t> bytes = file.data();
    for (StageLoadMode mode : {StageLoadMode::Restore, StageLoadMode::Fresh}) {
        SCOPED_TRACE(mode == StageLoadMode::Fresh ? "fresh" : "restore");
        Empty();
        layout = {3, 1};
        ASSERT_TRUE(Read(bytes, mode));
        EXPECT_EQ(layout.newer, 0);
        EXPECT_EQ(layout.version, 3); // left as it was
        EXPECT_EQ(battle.stage->stageWords[2], 9);
        ASSERT_EQ(a->fieldUnits.GetCount(), 2);
        auto* first = reinterpret_cast<Troop*>(TheBattleMap->FirstObjectAt(5, 5));
        EXPECT_EQ(Members(Group(1)), std::vector<Troop*>{first});
        EXPECT_EQ(reinterpret_cast<Troop*>(a->fieldUnits.Last())->owner, 1);
        // A fresh stage starts with nothing selected.
        EXPECT_EQ(TheGameController->selection->GetCount(), mode == StageLoadMode::Fresh ? 0 : 1);
    }
}

TEST_F(SoldierFileTest, StageFilesLeaveOutKind13AndFreshStagesForgetHomeCities) {
    const auto stageFile = Write(false);
    const auto save = Write(true);
    EXPECT_LT(stageFile.size(), save.size());
    Empty();
    ASSERT_TRUE(Read(stageFile));
    EXPECT_EQ(b->fieldUnits.GetCount(), 0);

    Empty();
    TheGameController->gameKind = 0;
    ASSERT_TRUE(Read(save, StageLoadMode::Fresh));
    // Fresh officers draw new serials, so the leader is found by its cell.
    auto* readLead = reinterpret_cast<Troop*>(TheBattleMap->FirstObjectAt(10, 10));
    ASSERT_NE(readLead, nullptr);
    EXPECT_EQ(readLead->homeCity, 0); // kind 1
    ASSERT_EQ(b->fieldUnits.GetCount(), 1);
    EXPECT_EQ(reinterpret_cast<Troop*>(b->fieldUnits.First())->homeCity, 4); // kind 13 keeps it

    Empty();
    TheGameController->gameKind = 1;
    ASSERT_TRUE(Read(save, StageLoadMode::Fresh));
    EXPECT_EQ(reinterpret_cast<Troop*>(TheBattleMap->FirstObjectAt(10, 10))->homeCity, 3);
}

TEST_F(SoldierFileTest, AGroupWritesAtMostSixteenMembersAndTheRealSelection) {
    for (int i = 0; i < 16; ++i)
        Group(3)->Add(uintptr_t(lead));
    TheGameController->selection->Add(uintptr_t(t1));
    const auto bytes = Write();
    Group(3)->RemoveAll();
    Group(3)->Add(uintptr_t(lead));
    TheGameController->selection->RemoveValue(uintptr_t(t1));
    const auto sixteenOrLess = Write();
    // The only difference: one more selected entry.
    EXPECT_EQ(bytes.size(), sixteenOrLess.size() + 12);
    Empty();
    ASSERT_TRUE(Read(bytes));
    EXPECT_EQ(Group(3)->GetCount(), 16);
    EXPECT_EQ(TheGameController->selection->GetCount(), 2);
}

TEST_F(SoldierFileTest, DamagedSoldierFilesStopCleanly) {
    const auto whole = Write();
    Empty();
    const size_t cuts[] = {6, 16, 24, 400, whole.size() / 2, whole.size() - kGroupsBytes, whole.size() - 4};
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        Empty();
        EXPECT_FALSE(Read(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut))));
    }
    const std::vector<uint8_t> huge = StageBytes().tag("morvek v1.05").words({372, 48, 0x7fffffff}).data();
    const std::vector<uint8_t> hugeSelection = StageBytes()
                                                   .tag("New Soldier2")
                                                   .words({372, 48, 0, 0, 0})
                                                   .zeros(120 + 10 * 16 * 8)
                                                   .words({0, 0x40000000})
                                                   .data();
    for (const auto& bytes : {huge, hugeSelection}) {
        Empty();
        EXPECT_FALSE(Read(bytes));
        EXPECT_EQ(a->fieldUnits.GetCount(), 0);
    }
}

} // namespace
