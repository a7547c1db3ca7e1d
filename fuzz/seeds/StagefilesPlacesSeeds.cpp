// Seeds of the stage file readers of what stands on the map: the items, the garrisons and the
// soldiers, each read back into the same places by the reader it is meant for.
#include "SeedCorpus.h"

#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "fuzz/seeds/builders/BattleFixture.h"
#include "records/City.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "stagefiles/GarrisonFile.h"
#include "stagefiles/ItemFile.h"
#include "stagefiles/SoldierFile.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "troops/Troop.h"
#include "world/MapObject.h"

namespace {

// Three items on the map.
void ItemSeeds(SeedCorpus& corpus) {
    battlefix::Battle battle;
    ItemCount = 20;
    LinkList items;
    for (int i = 1; i <= 3; ++i)
        items.Add(uintptr_t(new MapObject(i * 4, 1, 1, i * 3, i * 2)));
    StageWriter out;
    WriteMapItems(out, items);
    for (uintptr_t v = items.First(); v != 0; v = items.Next())
        delete reinterpret_cast<MapObject*>(v);
    items.RemoveAll();
    WriteModeSeed(corpus, "itemfile", "items", 0, out.bytes());

    StageReader in(out.bytes(), StageLoadMode::Restore);
    corpus.Check(ReadMapItems(in, items) && items.GetCount() == 3, "itemfile", "items",
                 "the items are not read");
    for (uintptr_t v = items.First(); v != 0; v = items.Next())
        delete reinterpret_cast<MapObject*>(v);
}

// For the target's stage: kingdom 1 with one city, kingdom 2 with two, each city with one
// sub-castle.
void GarrisonSeeds(SeedCorpus& corpus) {
    battlefix::Battle battle;
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
    WriteModeSeed(corpus, "garrisonfile", "garrisons-restore", 0, out.bytes());
    WriteModeSeed(corpus, "garrisonfile", "garrisons-fresh", 1, out.bytes());

    // Read back into the same places once they are emptied.
    cities[0]->units.RemoveAll();
    delete follower;
    delete lead;
    StageReader in(out.bytes(), StageLoadMode::Restore);
    corpus.Check(ReadGarrisons(in, *battle.stage) && in.remaining() == 0 && cities[0]->units.GetCount() == 1,
                 "garrisonfile", "garrisons-restore", "the garrisons are not read back");
}

// For the target's stage of two kingdoms: a group with a follower and a paired troop, two troops on
// one cell in a hot-key group, one selected.
void SoldierSeeds(SeedCorpus& corpus) {
    battlefix::Battle battle;
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
    WriteModeSeed(corpus, "soldierfile", "soldiers-restore", 0, out.bytes());
    WriteModeSeed(corpus, "soldierfile", "soldiers-fresh", 1, out.bytes());
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
    corpus.Check(ReadSoldiers(in, *battle.stage, layout) && in.remaining() == 0 &&
                     TheGameController->groups[1]->GetCount() == 2,
                 "soldierfile", "soldiers-restore", "the soldiers are not read back");
    TheGameController->groups[1]->RemoveAll();
    TheGameController->selection->RemoveAll();
}

} // namespace

void WriteStagePlaceSeeds(SeedCorpus& corpus) {
    ItemSeeds(corpus);
    GarrisonSeeds(corpus);
    SoldierSeeds(corpus);
}
