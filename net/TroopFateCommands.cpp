#include "net/TroopFateCommands.h"

#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "engine/ByteReader.h"
#include "engine/LinkList.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/unit/Win05Window.h"
#include "world/BattleMap.h"
#include "world/Zu_SkillEffect.h"

namespace {
using L = OfficerLayout;

void WriteName(ByteWriter& out, const TroopName& n) {
    out.u32(n.id);
    out.i32(n.side);
    out.i32(n.homeCity);
    out.u32(n.scope);
}

TroopName ReadName(ByteReader& in) {
    TroopName n;
    n.id = in.u32();
    n.side = static_cast<int32_t>(in.u32());
    n.homeCity = static_cast<int32_t>(in.u32());
    n.scope = in.u32();
    return n;
}

TroopName NameOf(const Troop& t) {
    return {t.UnitId(), t.owner, t.homeCity, t.Scope()};
}

Troop* InList(LinkList& list, uint32_t id) {
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        if (auto* t = reinterpret_cast<Troop*>(v); t->UnitId() == id) return t;
    return nullptr;
}

// The troop wherever its scope says it is: on the field, in its home city, or in one of the city's
// sub-castles.
Troop* FindNamedTroop(const TroopName& n) {
    if (n.id == 0) return nullptr;
    if (n.scope == 0) return FindTroopById(n.id);
    City* city = TheBattleMap ? TheBattleMap->CityById(static_cast<int32_t>(n.homeCity)) : nullptr;
    if (!city) return nullptr;
    if (n.scope == 1) {
        for (Troop* t : city->garrison)
            if (t && t->UnitId() == n.id) return t;
        return InList(city->units, n.id);
    }
    if (n.scope == 2)
        for (uintptr_t v = city->subCastles.First(); v != 0; v = city->subCastles.Next())
            if (Troop* t = InList(reinterpret_cast<SubCastle*>(v)->units, n.id)) return t;
    return nullptr;
}

bool HostSends() {
    return GameNetworked() && TheGameController->isHost;
}

void Send(uint8_t code, const std::vector<uint8_t>& bytes) {
    if (GameCommandSender send = CurrentGameCommandSender()) send(code, bytes.data(), bytes.size());
}
} // namespace

std::vector<uint8_t> PackKill(const KillPayload& p) {
    ByteWriter out;
    out.u32(p.troop.id);
    out.i32(p.killer);
    out.i32(p.troop.side);
    out.i32(p.troop.homeCity);
    out.u32(p.troop.scope);
    return out.buffer();
}

bool UnpackKill(std::span<const uint8_t> bytes, KillPayload& out) {
    if (bytes.size() != kKillCommandSize) return false;
    ByteReader in(bytes.data(), bytes.size());
    out.troop.id = in.u32();
    out.killer = static_cast<int32_t>(in.u32());
    out.troop.side = static_cast<int32_t>(in.u32());
    out.troop.homeCity = static_cast<int32_t>(in.u32());
    out.troop.scope = in.u32();
    return in.ok();
}

std::vector<uint8_t> PackCapture(const CapturePayload& p) {
    ByteWriter out;
    out.u32(p.troop.id);
    out.i32(p.worldX);
    out.i32(p.worldY);
    out.i32(p.captor);
    out.i32(p.troop.side);
    out.i32(p.troop.homeCity);
    out.u32(p.troop.scope);
    out.i32(p.dropMode);
    return out.buffer();
}

bool UnpackCapture(std::span<const uint8_t> bytes, CapturePayload& out) {
    if (bytes.size() != kCaptureCommandSize) return false;
    ByteReader in(bytes.data(), bytes.size());
    out.troop.id = in.u32();
    out.worldX = static_cast<int32_t>(in.u32());
    out.worldY = static_cast<int32_t>(in.u32());
    out.captor = static_cast<int32_t>(in.u32());
    out.troop.side = static_cast<int32_t>(in.u32());
    out.troop.homeCity = static_cast<int32_t>(in.u32());
    out.troop.scope = in.u32();
    out.dropMode = static_cast<int32_t>(in.u32());
    return in.ok();
}

std::vector<uint8_t> PackUnitCounters(const UnitCountersPayload& p) {
    ByteWriter out;
    WriteName(out, p.troop);
    for (int32_t v : p.values)
        out.i32(v);
    return out.buffer();
}

bool UnpackUnitCounters(std::span<const uint8_t> bytes, UnitCountersPayload& out) {
    if (bytes.size() != kUnitCountersCommandSize) return false;
    ByteReader in(bytes.data(), bytes.size());
    out.troop = ReadName(in);
    for (int32_t& v : out.values)
        v = static_cast<int32_t>(in.u32());
    return in.ok();
}

void NetSendCmd17(Troop* troop, int32_t killerKingdom) {
    if (!troop || !HostSends()) return;
    Send(kKillCommand, PackKill({NameOf(*troop), killerKingdom}));
}

void NetSendCmd18(Troop* troop, int32_t captorKingdom, int32_t dropMode) {
    if (!troop || !HostSends()) return;
    Send(kCaptureCommand,
         PackCapture({NameOf(*troop), troop->worldX, troop->worldY, captorKingdom, dropMode}));
}

void NetSendUnitCounters(Troop* troop) {
    if (!troop || !troop->officer || !HostSends()) return;
    const OfficerRecord& o = *troop->officer;
    UnitCountersPayload p{NameOf(*troop), {o.bonusExperience, o.activity[0], o.activity[1], o.activity[2]}};
    Send(kUnitCountersCommand, PackUnitCounters(p));
}

bool ReceiveKillCommand(std::span<const uint8_t> payload) {
    KillPayload p;
    if (!UnpackKill(payload, p)) return false;
    Troop* troop = FindNamedTroop(p.troop);
    if (!troop || troop->state == 13) return false;
    troop->ApplyKill(p.killer);
    return true;
}

bool ReceiveCaptureCommand(std::span<const uint8_t> payload) {
    CapturePayload p;
    if (!UnpackCapture(payload, p) || p.dropMode < 0 || p.dropMode > 2 || !BattleMap::ValidSide(p.captor))
        return false;
    Troop* troop = FindNamedTroop(p.troop);
    if (!troop) return false;
    // A position off the map is no position: the command is refused whole.
    if (p.troop.scope == 0 && (!TheBattleMap || p.worldX < 0 || p.worldY < 0 ||
                               int64_t{p.worldX} >= int64_t{TheBattleMap->unitGridWidth} * 40000 ||
                               int64_t{p.worldY} >= int64_t{TheBattleMap->unitGridRows} * 20000))
        return false;
    if (p.troop.scope == 0) {
        troop->worldX = p.worldX;
        troop->worldY = p.worldY;
        troop->SyncPixelPosition();
    }
    troop->ApplyCapture(p.captor, p.dropMode);
    return true;
}

bool ReceiveUnitCountersCommand(std::span<const uint8_t> payload) {
    UnitCountersPayload p;
    if (!UnpackUnitCounters(payload, p)) return false;
    Troop* troop = FindNamedTroop(p.troop);
    if (!troop || !troop->officer) return false;
    OfficerRecord& o = *troop->officer;
    const int32_t before = o.Get(L::kLevel);
    o.bonusExperience = p.values[0];
    for (int i = 0; i < 3; ++i)
        o.activity[i] = p.values[i + 1];
    o.UpdateExperience(0, 0, 0, 0);
    if (troop->selected) RefreshUnitPanel(troop, 1);
    const GameController* c = TheGameController;
    const bool inView = c && troop->cellX >= c->viewLeft && troop->cellX < c->viewRight &&
                        troop->cellY >= c->viewTop / 2 && troop->cellY < c->viewBottom / 2;
    if (o.Get(L::kLevel) != before && inView) {
        PlaySoundEffect(52);
        if (!troop->attachedEffects[1])
            troop->attachedEffects[1] = new Zu_SkillEffect(3, 9, troop->pixelX + 64, troop->pixelY + 52);
    }
    return true;
}
