#include "stagefiles/StageUnits.h"

#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "engine/LinkList.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "stagefiles/StageOfficer.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using U = UnitRecordLayout;
using L = OfficerLayout;

constexpr int32_t kPairedMark = 10000;

struct ConstRecordView {
    const uint8_t* b;
    int16_t i16(uint32_t at) const { return int16_t(uint16_t(b[at] | b[at + 1] << 8)); }
    uint32_t u32(uint32_t at) const {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
               uint32_t(b[at + 3]) << 24;
    }
};
constexpr int kMaxFollowers = 8;

// Columns of the kingdom block and of the officer block that the stage start reads.
constexpr uint32_t kKingdomAlert = 56;   // "武將警戒"
constexpr uint32_t kKingdomPursue = 60;  // "武將追捕"
constexpr uint32_t kKingdomRetreat = 64; // "武將撤退"
constexpr uint32_t kReferSelf = 136;     // "參照自己"
constexpr uint32_t kOfficerAlert = 140;  // "武將警戒"
constexpr uint32_t kOfficerPursue = 144; // "武將追捕"

// The least a unit entry can take: both records and the officer's two length words.
size_t MinEntryBytes(const UnitRecordSizes& sizes) {
    return size_t(sizes.unit) + sizes.order + 8;
}

bool IsCorpseType(int32_t type) {
    return type >= 115 && type <= 118;
}

void SetFootprint(Troop& t) {
    if (!HasSoldierType(t.baseType)) return;
    const int32_t base = SoldierTypeValue(t.baseType, SoldierColumn::kFootprint);
    t.footprint[0] = t.footprint[1] = int16_t(base / 2);
    t.footprint[2] = t.footprint[3] = int16_t(base);
}

int32_t KingdomValue(const Kingdom& k, uint32_t offset) {
    return k.Int(offset);
}

void TakeAlertAndPursue(Troop& t) {
    Kingdom* k = TroopKingdom(t.owner);
    if (!k || !t.officer || !t.order) return;
    OfficerRecord& o = *t.officer;
    TroopOrder& order = *t.order;
    const bool ownRules = o.Get(kReferSelf) != 0;
    if (t.owner == PlayerKingdom()) {
        if (!ownRules) {
            // A setting outside the four-entry tables counts as the nearest end.
            t.alertIndex = int16_t(std::clamp(KingdomValue(*k, kKingdomAlert), 0, 3));
            const GameParameters& p = GameParams();
            order.alert = int8_t(p.ConstAlarmRegion[t.alertIndex]);
            order.pursue = p.ConstPursueRegion[t.alertIndex];
        } else {
            t.alertIndex = int16_t(o.Get(kOfficerAlert));
            order.pursue = uint8_t(o.Get(kOfficerPursue));
        }
        o.Set(L::kRetreat, KingdomValue(*k, kKingdomRetreat));
        return;
    }
    if (!ownRules) {
        t.alertIndex = 0;
        order.alert = int8_t(KingdomValue(*k, kKingdomAlert));
        order.pursue = uint8_t(KingdomValue(*k, kKingdomPursue));
        o.Set(L::kRetreat, KingdomValue(*k, kKingdomRetreat));
    } else {
        order.alert = int8_t(o.Get(kOfficerAlert));
        order.pursue = uint8_t(o.Get(kOfficerPursue));
    }
}

void TakeSoldierTypes(Troop& t) {
    OfficerRecord& o = *t.officer;
    t.overrideType = 0;
    // Without a template the officer keeps the type it was stored with.
    const uint8_t* tmpl = GeneralTemplate(o.Get(L::kPersonNumber));
    int32_t type = o.Get(L::kSoldierType);
    if (tmpl) std::memcpy(&type, tmpl + L::kSoldierType, 4);
    o.Set(L::kSoldierType, type);
    if (t.baseType == t.currentType) {
        t.baseType = t.currentType = type;
        t.afloat = 0;
    } else {
        t.baseType = type;
        t.currentType = SeaCounterpart(type);
        t.afloat = 1;
    }
}

void TakeFlagsByKind(Troop& t) {
    const int32_t person = t.officer->Get(L::kPersonNumber);
    switch (t.officer->Get(L::kAttribute)) {
    case 5:
        t.flags = 6 | (person == 441 ? 0x20000u : 0u);
        break;
    case 8:
        t.flags = 12;
        t.pieceMode = person == 455 ? 0 : 3;
        break;
    case 9:
    case 17:
        t.flags = 10;
        break;
    case 10:
        t.flags = 6;
        break;
    case 13:
    case 18:
        t.flags = 12;
        break;
    case 14:
        t.flags = 8;
        break;
    default:
        break;
    }
}

// What a stage that starts fresh changes on every unit it reads.
void StartFresh(Troop& t) {
    t.officer->StatusWord() = 0;
    // The stats were just grown again from the template: the equipment's bonuses go back on.
    t.RecomputeEquipment();
    if (HasSoldierType(t.currentType))
        t.sightRadius = int16_t(SoldierTypeValue(t.currentType, SoldierColumn::kSight));
    SetFootprint(t);

    t.statusBits = 0;
    for (auto& e : t.statusEntries)
        e = {};
    t.statusWords[0] = t.statusWords[1] = 0;
    t.pairedTroop = nullptr;
    FreeUnitSearchNodes(&t);
    t.speedBonus = 0;
    std::memset(t.recordBytes, 0, sizeof t.recordBytes);
    std::memset(t.recordHalves, 0, sizeof t.recordHalves);
    t.recordWord = 0;
    t.speed = int16_t(SoldierTypeValue(1, SoldierColumn::kSpeed));
    t.worldX = TileToWorldX(t.cellX);
    t.worldY = TileToWorldY(t.cellY);

    TakeAlertAndPursue(t);
    TakeSoldierTypes(t);
    TakeFlagsByKind(t);
}

void StartAnimation(Troop& t);

// The animation position a record carries: starting the action again puts the troop back on the
// first frame of its row, where a restored game keeps the frame and delays it was saved at.
struct FramePosition {
    uint8_t count, current, first, last, delay, delayCounter, step, stepCounter, derived, direction;

    static FramePosition Of(const Troop& t) {
        return {t.frameCount,        t.currentFrame, t.firstFrame,       t.lastFrame,   t.frameDelay,
                t.frameDelayCounter, t.stepDelay,    t.stepDelayCounter, t.derivedFlag, t.moveDirection};
    }
    void PutBack(Troop& t) const {
        // A row of another length is another animation: it starts from its beginning.
        if (t.frameCount != count) return;
        t.firstFrame = first;
        t.lastFrame = last;
        if (current > 0 && current <= count) t.FrameAnimControl::SelectFrame(t.currentFrame, current);
        t.frameDelay = delay;
        t.frameDelayCounter = delayCounter;
        t.stepDelay = step;
        t.stepDelayCounter = stepCounter;
        t.derivedFlag = derived;
        t.moveDirection = direction;
    }
};

void Place(Troop& t, bool restored) {
    const FramePosition saved = FramePosition::Of(t);
    StartAnimation(t);
    if (restored) saved.PutBack(t);
}

void StartAnimation(Troop& t) {
    if (!IsCorpseType(t.baseType) && t.state != 13) {
        t.StartActionAnimation();
        // Cells in row or column 0 mean "none" in these files.
        if (!t.outOfPlay && t.officer->Get(L::kAmbush) == 0 && TheBattleMap && TheBattleMap->occupancy &&
            t.garrison == 0 && t.cellX != 0 && t.cellY != 0)
            TheBattleMap->AddObjectAt(t.cellX, t.cellY, uintptr_t(&t));
    } else {
        t.StartDeath();
        if (TheBattleMap && TheBattleMap->dyingTroops) TheBattleMap->dyingTroops->Add(uintptr_t(&t));
    }
}

LinkList* TroopList(const Troop& t) {
    Kingdom* k = TroopKingdom(t.owner);
    return k ? &k->fieldUnits : nullptr;
}

} // namespace

void AdoptFollowers(LinkList& troops, Troop& leader) {
    if (!leader.followers) return;
    std::vector<uintptr_t> followers;
    for (uintptr_t v = leader.followers->First(); v != 0; v = leader.followers->Next())
        followers.push_back(v);
    for (uintptr_t v : followers)
        if (!troops.Find(v)) troops.Add(v);
}

void DiscardUnit(Troop* t) {
    if (!t) return;
    if (LinkList* list = TroopList(*t)) list->RemoveValue(uintptr_t(t));
    if (TheBattleMap) TheBattleMap->ForgetTroop(t);
    delete t;
}

void WriteUnit(StageWriter& out, const Troop& t) {
    PackUnitRecord(out, t);
    if (t.officer) {
        SaveStageOfficer(out, *t.officer);
    } else {
        // A troop without officer stores an empty one, so the entry still reads back.
        OfficerRecord empty(100, -1);
        SaveStageOfficer(out, empty);
    }
}

Troop* ReadUnit(StageReader& in, const UnitRecordSizes& sizes, int32_t kingdom,
                const UnitPlacement& placement) {
    uint8_t record[U::kSize];
    uint8_t order[U::kOrderSize];
    if (!in.Block(record, sizeof record, sizes.unit)) return nullptr;

    const ConstRecordView view{record};
    auto* t = new Troop(-1, record[U::kState], view.i16(U::kCellX), view.i16(U::kCellY), int8_t(kingdom),
                        view.i16(U::kHomeCity), 6, nullptr);
    UnpackUnitRecord(record, *t, in.unitVersion, in.fresh());

    if (!in.Block(order, sizeof order, sizes.order)) {
        delete t;
        return nullptr;
    }
    SetFootprint(*t);
    UnpackOrderRecord(order, *t);
    if (!ReadUnitNodes(in, *t, view.u32(U::kPathCount), view.u32(U::kSearchCount))) {
        delete t;
        return nullptr;
    }
    if (in.fresh()) {
        t->order->targetCityId = 0;
        t->order->orderState = t->owner == PlayerKingdom() ? 0 : 14;
    }

    auto* officer = new OfficerRecord(100, -1);
    t->officer = officer;
    t->officerData = officer->block;
    if (!LoadStageOfficer(in, *officer)) {
        delete t;
        return nullptr;
    }
    if (in.fresh()) StartFresh(*t);
    t->skill = -1;

    if (placement.garrison >= 0) t->garrison = placement.garrison;
    if (placement.place) Place(*t, !in.fresh());
    if (HasSoldierType(t->currentType))
        t->missileKind = uint8_t(SoldierTypeValue(t->currentType, SoldierColumn::kMissile));
    return t;
}

void WriteUnitGroup(StageWriter& out, const Troop& leader) {
    WriteUnit(out, leader);
    if (TheScreenSettings && TheScreenSettings->battleStarted) {
        out.i32(0);
        return;
    }
    const int32_t followers = leader.followers ? leader.followers->GetCount() : 0;
    out.i32(followers + (leader.pairedTroop ? kPairedMark : 0));
    if (leader.followers)
        for (uintptr_t v = leader.followers->First(); v != 0; v = leader.followers->Next())
            WriteUnit(out, *reinterpret_cast<const Troop*>(v));
    if (leader.pairedTroop) WriteUnit(out, *leader.pairedTroop);
}

Troop* ReadUnitGroup(StageReader& in, const UnitRecordSizes& sizes, int32_t kingdom,
                     const UnitPlacement& placement) {
    Troop* leader = ReadUnit(in, sizes, kingdom, placement);
    if (!leader) return nullptr;
    // The kingdom the group is filed under owns it (and its followers' list), whatever the record
    // says: a stray owner byte must not hand the group to another kingdom or to none.
    leader->owner = int8_t(kingdom);
    std::vector<Troop*> read; // everything of the group that entered a list, for a damaged file
    auto fail = [&]() -> Troop* {
        for (Troop* t : read) {
            if (leader->followers) leader->followers->RemoveValue(uintptr_t(t));
            DiscardUnit(t);
        }
        leader->pairedTroop = nullptr;
        DiscardUnit(leader);
        return nullptr;
    };

    const int32_t count = in.i32();
    if (!in.ok()) return fail();
    if (count >= 1) {
        const bool paired = count >= kPairedMark;
        const int64_t followers = paired ? int64_t(count) - kPairedMark : count;
        const uint64_t entries = uint64_t(followers) + (paired ? 1 : 0);
        if (entries > in.remaining() / MinEntryBytes(sizes)) {
            in.Fail();
            return fail();
        }
        if (!leader->followers) leader->followers = new LinkList;
        const bool onMap = leader->garrison == 0;
        // Followers stay inside with a garrisoned leader, whatever their own records say.
        UnitPlacement followerPlacement = placement;
        if (!onMap && followerPlacement.garrison < 0) followerPlacement.garrison = leader->garrison;
        for (int64_t i = 0; i < followers; ++i) {
            const bool kept = i < kMaxFollowers;
            UnitPlacement p = followerPlacement;
            if (!kept) p.place = false;
            Troop* f = ReadUnit(in, sizes, kingdom, p);
            if (!f) return fail();
            if (!kept) {
                // Read past to keep the file position; it joins nothing.
                delete f;
                continue;
            }
            read.push_back(f);
            leader->followers->Add(uintptr_t(f));
            f->leader = leader;
            if (onMap)
                if (LinkList* list = TroopList(*leader)) list->Add(uintptr_t(f));
        }
        if (paired) {
            Troop* p = ReadUnit(in, sizes, kingdom, placement);
            if (!p) return fail();
            read.push_back(p);
            leader->pairedTroop = p;
            p->leader = leader;
            if (LinkList* list = TroopList(*leader)) list->Add(uintptr_t(p));
        }
    }
    // A restored leader's values already hold its formation's share, which no file keeps apart:
    // arranging again would add it a second time. A fresh stage grew them from the template.
    if (leader->garrison == 0 && in.fresh()) leader->ArrangeFollowers();
    leader->leaderFlag = 1;
    return leader;
}

void WriteUnitWithItems(StageWriter& out, const Troop& t) {
    WriteUnit(out, t);
    if (!t.carried) {
        out.i32(0);
        return;
    }
    // The count is of the ids written, so the file always reads back.
    std::vector<int32_t> ids;
    for (uintptr_t v = t.carried->First(); v != 0; v = t.carried->Next())
        ids.push_back(int32_t(v));
    out.i32(int32_t(ids.size()));
    for (int32_t id : ids)
        out.i32(id);
}

Troop* ReadUnitWithItems(StageReader& in, const UnitRecordSizes& sizes, int32_t kingdom,
                         const UnitPlacement& placement) {
    Troop* t = ReadUnit(in, sizes, kingdom, placement);
    if (!t) return nullptr;
    int32_t count = 0;
    if (!in.Count(count, 4)) {
        DiscardUnit(t);
        return nullptr;
    }
    for (int32_t i = 0; i < count; ++i) {
        const int32_t id = in.i32();
        // An id that names no item of the table is dropped.
        if (id < 1 || !ItemBlock(id)) continue;
        if (!t->carried) t->carried = new LinkList;
        t->carried->Add(uintptr_t(id));
    }
    return t;
}
