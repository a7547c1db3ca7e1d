// Seeds of the stage file readers: the main file, the gates, the units and the officers, each read
// back by the reader it is meant for. A seed is the target's mode byte, then the bytes of the file.
#include "SeedCorpus.h"

#include "engine/LinkList.h"
#include "fuzz/seeds/builders/BattleFixture.h"
#include "fuzz/seeds/builders/MainStageFixture.h"
#include "records/OfficerRecord.h"
#include "stagefiles/DeadOfficerFile.h"
#include "stagefiles/GateFile.h"
#include "stagefiles/SavedRecord.h"
#include "stagefiles/StageOfficer.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageUnits.h"
#include "stagefiles/StageWriter.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"

void WriteModeSeed(SeedCorpus& corpus, const std::string& target, const std::string& name, uint8_t mode,
                   const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> seed{mode};
    seed.insert(seed.end(), bytes.begin(), bytes.end());
    corpus.Write(target, name, seed);
}

namespace {

// The main file of the test stage, read back in both modes.
void MainFileSeeds(SeedCorpus& corpus) {
    std::vector<uint8_t> file;
    {
        mainstagefix::MainWorld w;
        file = w.MainFile();
    }
    WriteModeSeed(corpus, "mainstagefile", "stage-restore", 0, file);
    WriteModeSeed(corpus, "mainstagefile", "stage-fresh", 1, file);
    for (StageLoadMode mode : {StageLoadMode::Restore, StageLoadMode::Fresh}) {
        battlefix::Battle battle;
        TemplateTables tables;
        StageReader in(file, mode);
        corpus.Check(tables.ReadMainFile(in) == 1 && in.remaining() == 0, "mainstagefile",
                     mode == StageLoadMode::Fresh ? "stage-fresh" : "stage-restore", "not read whole");
    }
}

// For the target's stage of three kingdoms: an open gate with its pieces' state, a closed one, a
// kingdom without gates.
void GateFileSeeds(SeedCorpus& corpus) {
    battlefix::Battle battle;
    Kingdom* a = battle.AddKingdom(1, true);
    Kingdom* b = battle.AddKingdom(2);
    battle.AddKingdom(3);
    auto* open = new CastleGate(10, 10, 0, 1, 1, 8, 4);
    open->openState = 1;
    open->pieces[3]->officer->Set(OfficerLayout::kHp, 40);
    a->gates.Add(uintptr_t(open));
    b->gates.Add(uintptr_t(new CastleGate(20, 12, 1, 2, 2, 18, 6)));
    StageWriter gat, dor;
    WriteGates(gat, *battle.stage, GateFileKind::Gate);
    WriteGates(dor, *battle.stage, GateFileKind::Door);
    WriteModeSeed(corpus, "gatefile", "gates-gat", 0, gat.bytes());
    WriteModeSeed(corpus, "gatefile", "gates-dor", 1, dor.bytes());

    for (Kingdom* k : {a, b})
        for (uintptr_t v = k->gates.First(); v != 0; v = k->gates.First()) {
            k->gates.RemoveCurrent();
            delete reinterpret_cast<CastleGate*>(v);
        }
    StageReader in(gat.bytes(), StageLoadMode::Restore);
    corpus.Check(ReadGates(in, *battle.stage, GateFileKind::Gate) && in.remaining() == 0 &&
                     a->gates.GetCount() == 1,
                 "gatefile", "gates-gat", "the gates are not read back");
    StageReader doorIn(dor.bytes(), StageLoadMode::Fresh);
    corpus.Check(ReadGates(doorIn, *battle.stage, GateFileKind::Door) && b->gates.GetCount() == 2, "gatefile",
                 "gates-dor", "the doors are not read back");
}

// A group with followers and a paired troop, and a unit with items.
void UnitSeeds(SeedCorpus& corpus) {
    battlefix::Battle battle;
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
    WriteModeSeed(corpus, "stageunits", "groups-restore", 0, groups.bytes());
    WriteModeSeed(corpus, "stageunits", "groups-fresh-version2", 5, groups.bytes());
    WriteModeSeed(corpus, "stageunits", "items-restore", 2, items.bytes());

    StageReader in(groups.bytes(), StageLoadMode::Restore);
    bool read = true;
    for (int i = 0; read && i < 2; ++i) {
        Troop* t = ReadUnitGroup(in, {}, 1);
        read = t != nullptr;
        if (t) k->fieldUnits.Add(uintptr_t(t));
    }
    corpus.Check(read && in.remaining() == 0, "stageunits", "groups-restore", "the groups are not read back");
    StageReader itemsIn(items.bytes(), StageLoadMode::Fresh);
    Troop* t = ReadUnitWithItems(itemsIn, {}, 1);
    if (t) k->fieldUnits.Add(uintptr_t(t));
    corpus.Check(t && itemsIn.remaining() == 0, "stageunits", "items-restore", "the unit is not read back");
}

// The officer record, the ".dead" file and the site record.
void OfficerSeeds(SeedCorpus& corpus) {
    battlefix::Battle battle;
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
    WriteModeSeed(corpus, "stageofficer", "officer-restore", 0, record.bytes());
    WriteModeSeed(corpus, "stageofficer", "officer-fresh", 1, record.bytes());
    WriteModeSeed(corpus, "stageofficer", "dead-restore", 0, deadFile.bytes());
    WriteModeSeed(corpus, "stageofficer", "sites", 0, sites.bytes());

    StageReader officerIn(record.bytes(), StageLoadMode::Fresh);
    OfficerRecord back(100, -1);
    corpus.Check(LoadStageOfficer(officerIn, back), "stageofficer", "officer-fresh",
                 "the officer is not read");
    StageReader deadIn(deadFile.bytes(), StageLoadMode::Restore);
    corpus.Check(ReadDeadOfficers(deadIn, dead) && dead.GetCount() == 2, "stageofficer", "dead-restore",
                 "the dead officers are not read");
    ClearDeadOfficers(dead);
    StageReader sitesIn(sites.bytes(), StageLoadMode::Restore);
    SavedRecord a, b;
    corpus.Check(a.Load(sitesIn) && b.Load(sitesIn) && b.kind == 8, "stageofficer", "sites",
                 "the sites are not read");
}

} // namespace

void WriteStagefilesSeeds(SeedCorpus& corpus) {
    MainFileSeeds(corpus);
    GateFileSeeds(corpus);
    UnitSeeds(corpus);
    OfficerSeeds(corpus);
    WriteStagePlaceSeeds(corpus);
    WriteStageCampaignSeeds(corpus);
}
