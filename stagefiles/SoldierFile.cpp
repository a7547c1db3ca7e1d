#include "stagefiles/SoldierFile.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageUnits.h"
#include "stagefiles/StageWriter.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <cstring>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

constexpr char kCurrentTag[] = "morvek v1.05";
constexpr int kGroups = 10;
constexpr int kOldGroups = 6;
constexpr int kSlots = 16;
constexpr uint32_t kHeaderSize = 12;
constexpr int32_t kStageFileOnlyKind = 13; // left out of stage files, kept in saves

template <typename T>
std::vector<T*> Items(LinkList* list) {
    std::vector<T*> out;
    if (!list) return out;
    for (uintptr_t v = list->First(); v != 0; v = list->Next())
        out.push_back(reinterpret_cast<T*>(v));
    return out;
}

size_t MinEntryBytes(const UnitRecordSizes& sizes) {
    return size_t(sizes.unit) + sizes.order + 8;
}

uint32_t SerialOf(const Troop* t) {
    return t && t->officer ? t->officer->serial : 0;
}

int32_t OfficerKind(const Troop& t) {
    return t.officer ? t.officer->Get(OfficerLayout::kAttribute) : 0;
}

// The troops a city or sub-castle holds: the city's own files carry them.
std::unordered_set<const Troop*> HeldInside(Zu_StageSet& stage) {
    std::unordered_set<const Troop*> held;
    for (Kingdom* k : Items<Kingdom>(stage.kingdoms))
        for (City* c : Items<City>(&k->cities)) {
            for (Troop* t : Items<Troop>(&c->units))
                held.insert(t);
            for (SubCastle* s : Items<SubCastle>(&c->subCastles)) {
                for (LinkList* list : {&s->units, &s->secondUnits})
                    for (Troop* t : Items<Troop>(list))
                        held.insert(t);
                if (s->leader) held.insert(s->leader);
            }
        }
    return held;
}

// Marked as gone out, or fallen; or standing on the field as the head of its group however it came
// there (a spawn, a script, a switch of sides), in no city or sub-castle and no post the stage
// start builds again. Followers go with their leader.
bool Written(const Troop& t, bool forSave, const std::unordered_set<const Troop*>& held) {
    const bool alone = (!t.leader || t.leader == &t) && t.garrison == 0 && t.towerMarker == 0 &&
                       !t.gatePiece && !held.count(&t);
    if (!t.outgoingMark && t.state != 13 && !alone) return false;
    return forSave || OfficerKind(t) != kStageFileOnlyKind;
}

// How a stored reference names a troop: by cell alone (the first on the cell), by cell and
// officer serial, or not at all.
enum class Match { First, Serial, None };

Match MatchFor(int32_t version) {
    if (version == 2) return Match::First;
    if (version == 3 || version == 5) return Match::Serial;
    return Match::None;
}

Troop* Find(int32_t x, int32_t y, uint32_t serial, Match match) {
    if ((x == 0 && y == 0) || match == Match::None || !TheBattleMap) return nullptr;
    Troop* found = nullptr;
    for (uintptr_t id = TheBattleMap->FirstObjectAt(x, y); id != 0; id = TheBattleMap->NextObjectAt()) {
        auto* t = reinterpret_cast<Troop*>(id);
        if (match == Match::First || SerialOf(t) == serial) {
            found = t;
            break;
        }
    }
    TheBattleMap->occupancyCursor = nullptr;
    return found;
}

void WriteHeader(StageWriter& out, const GameController::GroupHeader* h) {
    if (!h) {
        out.Zeros(kHeaderSize);
        return;
    }
    out.u8(h->inUse);
    out.u8(h->b1);
    out.u8(h->b2);
    out.u8(h->b3);
    out.u32(h->word);
    out.u32(h->memberCount);
}

bool ReadHeader(StageReader& in, GameController::GroupHeader* h) {
    uint8_t b[kHeaderSize];
    if (!in.Bytes(b, sizeof b)) return false;
    if (!h) return true;
    h->inUse = b[0];
    h->b1 = b[1];
    h->b2 = b[2];
    h->b3 = b[3];
    std::memcpy(&h->word, b + 4, 4);
    std::memcpy(&h->memberCount, b + 8, 4);
    return true;
}

void WriteReference(StageWriter& out, const Troop* t) {
    out.i32(t ? t->cellX : 0);
    out.i32(t ? t->cellY : 0);
    out.u32(SerialOf(t));
}

// One stored reference: the cell, and the serial when the layout has one.
Troop* ReadReference(StageReader& in, bool withSerial, Match match) {
    const int32_t x = in.i32();
    const int32_t y = in.i32();
    const uint32_t serial = withSerial ? in.u32() : 0;
    return in.ok() ? Find(x, y, serial, match) : nullptr;
}

bool ReadGroupSlots(StageReader& in, int groups, bool withSerial, Match match) {
    GameController* c = TheGameController;
    for (int g = 0; g < groups; ++g)
        for (int s = 0; s < kSlots; ++s) {
            Troop* t = ReadReference(in, withSerial, match);
            if (!in.ok()) return false;
            if (t && c && c->groups[g]) c->groups[g]->Add(uintptr_t(t));
        }
    return true;
}

bool ReadSelection(StageReader& in, bool withSerial, Match match) {
    in.Skip(4);
    int32_t count = 0;
    if (!in.Count(count, withSerial ? 12 : 8)) return false;
    GameController* c = TheGameController;
    for (int32_t i = 0; i < count; ++i) {
        Troop* t = ReadReference(in, withSerial, match);
        if (!in.ok()) return false;
        if (!t || !c || !c->selection) continue;
        t->selected = 1;
        c->selection->Add(uintptr_t(t));
    }
    if (c) c->selectionActive = c->selection ? c->selection->GetCount() : 0;
    return true;
}

void ResolveTargets(Zu_StageSet& stage, Match match) {
    for (Kingdom* k : Items<Kingdom>(stage.kingdoms))
        for (Troop* t : Items<Troop>(&k->fieldUnits)) {
            for (int i = 0; i < 2; ++i) {
                Troop* found = Find(t->storedTargetCells[i][0], t->storedTargetCells[i][1],
                                    t->storedTargetSerials[i], match);
                if (!found) continue;
                if (i == 0)
                    t->targetTroop = found;
                else
                    t->targetObject = found;
            }
        }
}

// Officer kinds that a fresh stage of game kinds 0 and 2 sends home to no city.
bool LosesHomeCity(int32_t kind) {
    switch (kind) {
    case 1:
    case 2:
    case 3:
    case 5:
    case 8:
    case 9:
    case 10:
    case 18:
        return true;
    default:
        return false;
    }
}

void ForgetHomeCity(Troop& leader) {
    auto apply = [](Troop* t) {
        if (t && LosesHomeCity(OfficerKind(*t))) t->homeCity = 0;
    };
    apply(&leader);
    for (Troop* f : Items<Troop>(leader.followers))
        apply(f);
    apply(leader.pairedTroop);
}

void EmptyGroupsAndSelection(int groups) {
    GameController* c = TheGameController;
    if (!c) return;
    for (int g = 0; g < groups; ++g)
        if (c->groups[g]) c->groups[g]->RemoveAll();
    for (Troop* t : Items<Troop>(c->selection))
        t->selected = 0;
    if (c->selection) c->selection->RemoveAll();
    c->selectionActive = 0;
}

bool ReadNewer(StageReader& in, Zu_StageSet& stage, const UnitRecordSizes& sizes, int32_t version) {
    const bool freshHomes = in.fresh() && TheGameController &&
                            (TheGameController->gameKind == 0 || TheGameController->gameKind == 2);
    for (Kingdom* k : Items<Kingdom>(stage.kingdoms)) {
        int32_t count = 0;
        if (!in.Count(count, MinEntryBytes(sizes))) return false;
        for (int32_t i = 0; i < count; ++i) {
            Troop* leader = ReadUnitGroup(in, sizes, k->nationIndex);
            if (!leader) return false;
            leader->owner = int8_t(k->nationIndex);
            k->fieldUnits.Add(uintptr_t(leader));
            // Followers of a leader stored inside would otherwise belong to no list.
            if (leader->garrison != 0) AdoptFollowers(k->fieldUnits, *leader);
            // A restored troop keeps the mark its record carries: a fallen one that never went out
            // of a city is stored for its fall, not for a sortie.
            if (in.fresh()) leader->outgoingMark = 1;
            if (freshHomes) ForgetHomeCity(*leader);
        }
    }
    stage.stageWords[2] = in.i32();
    GameController* c = TheGameController;
    for (int g = 0; g < kGroups; ++g)
        if (!ReadHeader(in, c ? c->groupHeaders[g] : nullptr)) return false;
    const Match match = MatchFor(version);
    const bool withSerial = version != 2;
    EmptyGroupsAndSelection(kGroups);
    if (!ReadGroupSlots(in, kGroups, withSerial, match)) return false;
    if (!ReadSelection(in, withSerial, match)) return false;
    ResolveTargets(stage, match);
    return true;
}

bool ReadOldest(StageReader& in, Zu_StageSet& stage, const UnitRecordSizes& sizes) {
    for (Kingdom* k : Items<Kingdom>(stage.kingdoms)) {
        int32_t count = 0;
        if (!in.Count(count, MinEntryBytes(sizes))) return false;
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = ReadUnit(in, sizes, k->nationIndex);
            if (!t) return false;
            // The kingdom a troop is filed under owns it, whatever its record says.
            t->owner = int8_t(k->nationIndex);
            k->fieldUnits.Add(uintptr_t(t));
        }
    }
    stage.stageWords[2] = in.i32();
    GameController* c = TheGameController;
    for (int g = 0; g < kOldGroups; ++g)
        if (!ReadHeader(in, c ? c->groupHeaders[g] : nullptr)) return false;
    EmptyGroupsAndSelection(kOldGroups);
    if (!ReadGroupSlots(in, kOldGroups, false, Match::First)) return false;
    if (!ReadSelection(in, false, Match::First)) return false;
    if (in.fresh()) EmptyGroupsAndSelection(0);
    ResolveTargets(stage, Match::First);
    return true;
}

} // namespace

void WriteSoldiers(StageWriter& out, Zu_StageSet& stage, bool forSave) {
    out.Bytes(kCurrentTag, 12);
    out.u32(UnitRecordSizes{}.unit);
    out.u32(UnitRecordSizes{}.order);
    const std::unordered_set<const Troop*> held = HeldInside(stage);
    for (Kingdom* k : Items<Kingdom>(stage.kingdoms)) {
        std::vector<Troop*> troops;
        for (Troop* t : Items<Troop>(&k->fieldUnits))
            if (Written(*t, forSave, held)) troops.push_back(t);
        out.i32(int32_t(troops.size()));
        for (Troop* t : troops)
            WriteUnitGroup(out, *t);
    }
    out.i32(0);
    GameController* c = TheGameController;
    for (int g = 0; g < kGroups; ++g)
        WriteHeader(out, c ? c->groupHeaders[g] : nullptr);
    for (int g = 0; g < kGroups; ++g) {
        // A group has room for 16 members in the file; more would shift everything after it.
        std::vector<Troop*> members = Items<Troop>(c ? c->groups[g] : nullptr);
        members.resize(kSlots, nullptr);
        for (Troop* t : members)
            WriteReference(out, t);
    }
    out.i32(0);
    // The count is of the entries written, so the file always reads back.
    const std::vector<Troop*> selected = Items<Troop>(c ? c->selection : nullptr);
    out.i32(int32_t(selected.size()));
    for (Troop* t : selected)
        WriteReference(out, t);
}

bool ReadSoldiers(StageReader& in, Zu_StageSet& stage, SoldierFileLayout& layout) {
    char tag[12];
    if (!in.Bytes(tag, sizeof tag)) return false;
    const std::string_view name(tag, sizeof tag);
    UnitRecordSizes sizes;
    if (name == "Soldier Data") {
        layout.newer = 0;
        in.unitVersion = 0;
        sizes.unit = in.u32();
        sizes.order = in.u32();
        return in.ok() && ReadOldest(in, stage, sizes);
    }
    if (name == "New Soldier2") layout.version = 2;
    if (name == "New Soldier3") layout.version = 3;
    if (name == kCurrentTag) layout.version = 5;
    layout.newer = 1;
    // Only the current layout's unit records carry the 16-bit home city.
    in.unitVersion = name == kCurrentTag ? kUnitVersionWithWideHomeCity : 0;
    sizes.unit = in.u32();
    sizes.order = in.u32();
    return in.ok() && ReadNewer(in, stage, sizes, layout.version);
}

int TemplateTables::WriteSoldierFile(const char* name) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    StageWriter out;
    WriteSoldiers(out, *TheBattleMap->stageSet, CurrentStageLoadMode() == StageLoadMode::Restore);
    return out.Save(name) ? 1 : 0;
}

int TemplateTables::ReadSoldierFile(const char* name) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    const auto bytes = StageReader::ReadFile(name);
    if (!bytes) return 0;
    StageReader in(*bytes, CurrentStageLoadMode());
    if (bytes->size() >= 12) {
        std::memcpy(tag, bytes->data(), 12);
        tag[12] = 0;
    }
    SoldierFileLayout layout{soldierVersion, newerLayout};
    const bool read = ReadSoldiers(in, *TheBattleMap->stageSet, layout);
    soldierVersion = layout.version;
    newerLayout = layout.newer;
    return read ? 1 : 0;
}
