// A whole stage file set of a small world, written and read back in the loader's order.
#include "stagefiles/MainStageLayout.h"
#include "support/StageBytes.h"
#include "support/TempFolder.h"
#include "tests/stagefiles/MainStageFixture.h"
#include "troops/CastleGate.h"
#include "world/MapObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

using namespace mainstagetest;

namespace {

const char* const kFiles[] = {"w.stg", "w.spr", "w.soldier", "w.gat", "w.dor", "w.itm"};
using FileSet = std::map<std::string, std::vector<uint8_t>>;

// The fixture's world with everything the other files of the set carry: units inside a city and
// a sub-castle, field troops with followers and a paired troop, two hot-key groups, a selection,
// two gates and three map items.
void Populate(MainWorld& w) {
    auto& battle = w.battle;
    auto inside = [&](Kingdom* k, int16_t garrison) {
        Troop* t = battle.AddTroop(k, 0, 0);
        k->fieldUnits.RemoveValue(uintptr_t(t));
        t->garrison = garrison;
        t->homeCity = int16_t(kCity1);
        return t;
    };
    Troop* guard = inside(w.a, 1);
    Troop* escort = inside(w.a, 1);
    escort->leader = guard;
    guard->followers->Add(uintptr_t(escort));
    w.city1->units.Add(uintptr_t(guard));
    auto* sub = reinterpret_cast<SubCastle*>(w.city1->subCastles.First());
    Troop* keeper = inside(w.a, 2);
    sub->units.Add(uintptr_t(keeper));

    Troop* lead = battle.AddTroop(w.a, 12, 12);
    for (int i = 0; i < 2; ++i) {
        Troop* f = battle.AddTroop(w.a, 13 + i, 12, 1, 3);
        f->leader = lead;
        lead->followers->Add(uintptr_t(f));
    }
    // Followers and the paired troop stand in the field list too; only marked troops head groups.
    lead->pairedTroop = battle.AddTroop(w.a, 15, 12, 1, 3);
    lead->pairedTroop->leader = lead;
    Troop* scout = battle.AddTroop(w.a, 20, 30);
    Troop* raider = battle.AddTroop(w.b, 30, 20);
    for (Troop* t : {lead, scout, raider})
        t->outgoingMark = 1;
    // Every troop stored as a group is read back as the head of one.
    for (Troop* t : {guard, keeper, lead, scout, raider})
        t->leaderFlag = 1;
    // The soldier file stores the stage's third running word as 0.
    battle.stage->stageWords[2] = 0;
    TheGameController->groups[1]->Add(uintptr_t(lead));
    TheGameController->groups[1]->Add(uintptr_t(scout));
    TheGameController->groups[4]->Add(uintptr_t(raider));
    TheGameController->selection->Add(uintptr_t(scout));
    scout->selected = 1;

    auto* open = new CastleGate(10, 15, 0, w.a->nationIndex, 1, 5, 10);
    open->openState = 1;
    open->pieces[0]->officer->Set(OfficerLayout::kHp, 33);
    w.a->gates.Add(uintptr_t(open));
    w.b->gates.Add(uintptr_t(new CastleGate(25, 25, 1, w.b->nationIndex, 0, 25, 20)));

    if (!TheBattleMap->mapItems) TheBattleMap->mapItems = new LinkList;
    for (int id : {3, 5, 7})
        TheBattleMap->mapItems->Add(uintptr_t(new MapObject(id, 1, 1, id * 2, id + 1)));
}

FileSet WriteSet() {
    TemplateTables tables;
    EXPECT_EQ(tables.SaveMainFile("w.stg"), 1);
    EXPECT_EQ(tables.WriteSoldierFile("w.spr"), 1);
    tables.WriteGarrisonFile("w.soldier");
    EXPECT_EQ(tables.SaveGateFile("w.gat"), 1);
    EXPECT_EQ(tables.SaveDoorFile("w.dor"), 1);
    EXPECT_EQ(tables.SaveItemFile("w.itm"), 1);
    FileSet set;
    for (const char* name : kFiles) {
        auto bytes = StageReader::ReadFile(name);
        EXPECT_TRUE(bytes) << name;
        if (bytes) set[name] = std::move(*bytes);
    }
    return set;
}

// The files of the set in the loader's order for the mode: the main file, the soldier file, the
// garrisons and the gates of a saved game or the doors of a stage, the items.
void ReadSet(const FileSet& set, bool fresh) {
    for (const auto& [name, bytes] : set)
        testsupport::TempFolder::Write(
            name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    TheGameController->freshStage = fresh ? 1 : 0;
    TemplateTables tables;
    ASSERT_EQ(tables.ReadMainFile("w.stg"), 1);
    ASSERT_EQ(tables.ReadSoldierFile("w.spr"), 1);
    if (!fresh) tables.ReadGarrisonFile("w.soldier");
    ASSERT_EQ(fresh ? tables.LoadDoorFile("w.dor") : tables.LoadGateFile("w.gat"), 1);
    ASSERT_EQ(tables.LoadItemFile("w.itm"), 1);
}

void DeleteMapItems() {
    if (!TheBattleMap->mapItems) return;
    for (uintptr_t v = TheBattleMap->mapItems->First(); v != 0; v = TheBattleMap->mapItems->Next())
        delete reinterpret_cast<MapObject*>(v);
    TheBattleMap->mapItems->RemoveAll();
}

FileSet WrittenSet() {
    FileSet set;
    {
        MainWorld w;
        Populate(w);
        TheGameController->freshStage = 0;
        set = WriteSet();
        TheGameController->groups[1]->RemoveAll();
        TheGameController->groups[4]->RemoveAll();
        TheGameController->selection->RemoveAll();
        DeleteMapItems();
    }
    return set;
}

void ClearControllerLists() {
    for (LinkList* group : TheGameController->groups)
        if (group) group->RemoveAll();
    TheGameController->selection->RemoveAll();
}

} // namespace

TEST(MainStageWorld, SavedGameRewritesEveryFileByteForByte) {
    const FileSet written = WrittenSet();
    trooptest::Battle battle;
    FillItemTable();
    ReadSet(written, false);

    Zu_StageSet* stage = TheBattleMap->stageSet;
    const auto kingdoms = ListValues<Kingdom>(*stage->kingdoms);
    ASSERT_EQ(kingdoms.size(), 2u);
    Kingdom* a = kingdoms[0];
    EXPECT_EQ(a->nationIndex, kIndexA);
    City* c1 = TheBattleMap->CityById(kCity1);
    ASSERT_TRUE(c1);
    ASSERT_EQ(c1->units.GetCount(), 1);
    EXPECT_EQ(reinterpret_cast<Troop*>(c1->units.First())->followers->GetCount(), 1);
    EXPECT_EQ(c1->reserve.GetCount(), 2);
    auto* sub = reinterpret_cast<SubCastle*>(c1->subCastles.First());
    EXPECT_EQ(sub->units.GetCount(), 1);
    Troop* lead = nullptr;
    for (Troop* t : ListValues<Troop>(a->fieldUnits))
        if (t->followers && t->followers->GetCount() == 2) lead = t;
    ASSERT_TRUE(lead);
    ASSERT_TRUE(lead->pairedTroop);
    EXPECT_EQ(TheGameController->groups[1]->GetCount(), 2);
    EXPECT_EQ(TheGameController->groups[4]->GetCount(), 1);
    EXPECT_EQ(TheGameController->selection->GetCount(), 1);
    ASSERT_EQ(a->gates.GetCount(), 1);
    EXPECT_EQ(reinterpret_cast<CastleGate*>(a->gates.First())->openState, 1);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 3);

    const FileSet again = WriteSet();
    for (const char* name : kFiles) {
        const auto& got = again.at(name);
        const auto& want = written.at(name);
        const auto diff = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
        EXPECT_TRUE(diff.first == got.end() && diff.second == want.end())
            << name << " differs first at byte " << (diff.first - got.begin()) << " of " << got.size();
    }
    ClearControllerLists();
    DeleteMapItems();
}

TEST(MainStageWorld, FreshStageRenumbersAndResets) {
    const FileSet written = WrittenSet();
    trooptest::Battle battle;
    FillItemTable();
    ReadSet(written, true);

    const auto kingdoms = ListValues<Kingdom>(*TheBattleMap->stageSet->kingdoms);
    ASSERT_EQ(kingdoms.size(), 2u);
    EXPECT_EQ(kingdoms[0]->nationIndex, 1);
    EXPECT_EQ(kingdoms[1]->nationIndex, 2);
    EXPECT_EQ(kingdoms[0]->tally[3], 0);
    for (int id = 1; id <= 3; ++id)
        EXPECT_TRUE(TheBattleMap->CityById(id)) << id;
    EXPECT_FALSE(TheBattleMap->CityById(kCity1));
    EXPECT_EQ(TheScreenSettings->musicVolume, 5);
    // The soldier file's troops join the renumbered kingdoms by position.
    EXPECT_GE(kingdoms[0]->fieldUnits.GetCount(), 2);
    for (Troop* t : ListValues<Troop>(kingdoms[1]->fieldUnits))
        EXPECT_EQ(t->owner, 2);
    // No garrison file on a fresh stage; the doors are closed.
    EXPECT_EQ(TheBattleMap->CityById(1)->units.GetCount(), 0);
    ASSERT_EQ(kingdoms[0]->gates.GetCount(), 1);
    EXPECT_EQ(reinterpret_cast<CastleGate*>(kingdoms[0]->gates.First())->openState, 0);
    EXPECT_EQ(reinterpret_cast<CastleGate*>(kingdoms[1]->gates.First())->ownerSide, 2);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 3);
    ClearControllerLists();
    DeleteMapItems();
}
