#include "net/TroopCommands.h"

#include "Program/StageSet.h"
#include "net/CommandLookups.h"
#include "net/TroopCommandCodec.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

namespace {
GameCommandSender sender = nullptr;

constexpr int8_t kDirection[8][2] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}, {-1, 1}, {-1, -1}, {1, -1}, {1, 1}};
constexpr uint8_t kPerpendicular[4][2] = {{1, 3}, {0, 2}, {1, 3}, {0, 2}};
// A wander target near a corner or on a small map may never land on the map.
constexpr int kWanderAttempts = 64;

void Send(const TroopCommand& c) {
    if (!sender) return;
    const std::vector<uint8_t> bytes = PackTroopCommand(c);
    sender(c.code, bytes.data(), bytes.size());
}

TroopCommand For(uint8_t code, const Troop* troop) {
    TroopCommand c;
    c.code = code;
    c.troop = troop->UnitId();
    return c;
}

bool CellOnMap(int32_t x, int32_t y) {
    return TheBattleMap && x >= 0 && y >= 0 && x < TheBattleMap->unitGridWidth &&
           y < TheBattleMap->unitGridRows;
}

// A world position from a peer names a point on the map or nothing.
bool WorldOnMap(int32_t wx, int32_t wy) {
    return TheBattleMap && wx >= 0 && wy >= 0 && wx / 40000 < TheBattleMap->unitGridWidth &&
           wy / 20000 < TheBattleMap->unitGridRows;
}

// What a troop keeps of its target city; on the wire a city is its index in the map's table.
uint32_t CityKey(const City* city) {
    return static_cast<uint32_t>(city->id);
}
uint32_t WireKey(const City* city) {
    return static_cast<uint32_t>(CityIndexOf(city)) & 0xFFFFu;
}

// The world position of a command is taken over only by a troop standing on the field.
void TakeWorldPosition(Troop* t, int32_t wx, int32_t wy) {
    if (t->garrison != 0) return;
    t->worldX = wx;
    t->worldY = wy;
    t->SyncPixelPosition();
}

int32_t Draw() {
    return platform::rand();
}
} // namespace

void SetGameCommandSender(GameCommandSender s) {
    sender = s;
}

GameCommandSender CurrentGameCommandSender() {
    return sender;
}

Troop* FindTroopById(uint32_t id) {
    if (id == 0 || !TheBattleMap || !TheBattleMap->stageSet || !TheBattleMap->stageSet->kingdoms)
        return nullptr;
    LinkList& kingdoms = *TheBattleMap->stageSet->kingdoms;
    for (uintptr_t k = kingdoms.First(); k != 0; k = kingdoms.Next()) {
        LinkList& units = reinterpret_cast<Kingdom*>(k)->fieldUnits;
        for (uintptr_t u = units.First(); u != 0; u = units.Next()) {
            auto* t = reinterpret_cast<Troop*>(u);
            if (t->UnitId() == id) return t;
        }
    }
    return nullptr;
}

void NetCmdHalt(Troop* troop) {
    if (!troop) return;
    if (DecidesHere()) troop->ApplyHalt();
    if (!GameNetworked()) return;
    TroopCommand c = For(1, troop);
    c.worldX = troop->worldX;
    c.worldY = troop->worldY;
    Send(c);
}

void NetCmd02(Troop* troop, int32_t x, int32_t y) {
    if (!troop) return;
    if (DecidesHere()) troop->ApplyCmd02(x, y);
    if (!GameNetworked()) return;
    TroopCommand c = For(2, troop);
    c.x = static_cast<uint16_t>(x);
    c.y = static_cast<uint16_t>(y);
    Send(c);
}

void RandomRoam(Troop* troop, int32_t inner, int32_t outer) {
    if (!troop || !DecidesHere() || inner >= outer || (troop->flags & 0x08)) return;
    if (Draw() % 30 != 0) return;
    const int32_t r = outer - inner;
    auto offset = [&] {
        int32_t d = r - Draw() % (2 * r + 1);
        if (d < 0) d -= inner;
        if (d > 0) d += inner;
        return d;
    };
    const int32_t dx = offset();
    const int32_t dy = offset();
    int16_t x = troop->cellX, y = troop->cellY;
    int16_t fx = x, fy = y;
    if (troop->FindBestCellAround(troop->cellX + dx, troop->cellY + dy, troop->cellX, troop->cellY, fx, fy, 0,
                                  20, true) &&
        CellOnMap(fx, fy)) {
        x = fx;
        y = fy;
    }
    troop->ApplyRoam(x, y);
    if (!GameNetworked()) return;
    TroopCommand c = For(3, troop);
    c.x = static_cast<uint16_t>(x);
    c.y = static_cast<uint16_t>(y);
    Send(c);
}

bool NetCmdTargetTroop(Troop* troop, Troop* target) {
    if (!troop || !target || target->IsGone() || target->outOfPlay || (troop->flags & 0x02)) return false;
    bool ok = true;
    if (DecidesHere()) ok = troop->ApplyTarget(target);
    if (GameNetworked()) {
        TroopCommand c = For(4, troop);
        c.target = target->UnitId();
        Send(c);
    }
    // The band takes on the same enemy.
    if (ok) troop->PassTargetToFollowers();
    return ok;
}

void NetCmd05(Troop* troop, Troop* target, int32_t x, int32_t y, uint8_t kind) {
    if (!troop || !DecidesHere()) return;
    if (target && troop->skill < 0 && troop->waitCounter < 3) {
        target->ConsiderTarget(troop, 0);
        troop->targetTroop = target;
        troop->PassTargetToFollowers();
        troop->Engage(target);
    }
    if (target) troop->targetTroop = target;
    troop->goalX = static_cast<int16_t>(x);
    troop->goalY = static_cast<int16_t>(y);
    troop->ApplyCmd05(kind);
    if (!GameNetworked()) return;
    TroopCommand c = For(5, troop);
    c.target = target ? target->UnitId() : 0;
    c.x = static_cast<uint16_t>(x);
    c.y = static_cast<uint16_t>(y);
    c.kind = kind;
    c.worldX = troop->worldX;
    c.worldY = troop->worldY;
    Send(c);
}

void NetCmdFollowTarget(Troop* troop, City* city, int32_t subCastleKind) {
    if (!troop || !city) return;
    RootObject* target = city;
    if (subCastleKind != 0) target = city->FindSubCastleOfKind(subCastleKind);
    const uint32_t sub = subCastleKind != 0 ? 0x10000u : 0u;
    if (DecidesHere() && target) troop->ApplyFollow(city, target, CityKey(city) | sub);
    if (!GameNetworked()) return;
    TroopCommand c = For(6, troop);
    c.target = WireKey(city) | sub;
    c.subKind = static_cast<uint32_t>(subCastleKind);
    Send(c);
}

void NetCmdMoveTo(Troop* troop, int32_t x, int32_t y, int32_t x2, int32_t y2) {
    if (!troop) return;
    if (x2 < 0) x2 = 0xFFFF;
    if (DecidesHere()) troop->ApplyMoveTo(x, y, x2, y2);
    if (!GameNetworked()) return;
    TroopCommand c = For(7, troop);
    c.x = static_cast<uint16_t>(x);
    c.y = static_cast<uint16_t>(y);
    c.x2 = static_cast<uint16_t>(x2);
    c.y2 = static_cast<uint16_t>(y2);
    Send(c);
}

void NetCmd08(Troop* troop, int32_t x, int32_t y) {
    if (!troop) return;
    if (DecidesHere()) troop->ApplyCmd08(x, y);
    if (!GameNetworked()) return;
    TroopCommand c = For(8, troop);
    c.x = static_cast<uint16_t>(x);
    c.y = static_cast<uint16_t>(y);
    Send(c);
}

bool NetCmd09(Troop* troop, City* city, int32_t skillSlot) {
    if (!troop || !city) return false;
    bool ok = true;
    if (DecidesHere()) {
        troop->skill = skillSlot;
        ok = troop->ApplyCmd09(city, CityKey(city));
    }
    if (GameNetworked()) {
        TroopCommand c = For(9, troop);
        c.target = WireKey(city);
        c.skill = skillSlot;
        Send(c);
    }
    return ok;
}

void NetCmd10(Troop* troop, City* city, int32_t x, int32_t y, uint8_t kind) {
    if (!troop || !city || !DecidesHere()) return;
    troop->targetObject = city;
    troop->targetCity = city;
    troop->targetWord = CityKey(city);
    troop->goalX = static_cast<int16_t>(x);
    troop->goalY = static_cast<int16_t>(y);
    troop->ApplyCmd10(kind);
    troop->PassOrderToFollowers();
    if (!GameNetworked()) return;
    TroopCommand c = For(10, troop);
    c.target = WireKey(city);
    c.x = static_cast<uint16_t>(x);
    c.y = static_cast<uint16_t>(y);
    c.kind = kind;
    c.worldX = troop->worldX;
    c.worldY = troop->worldY;
    Send(c);
}

bool NetCmdEngage(Troop* troop, Troop* target, int32_t x, int32_t y, int32_t attackKind) {
    if (!troop) return false;
    bool ok = true;
    if (DecidesHere()) ok = troop->ApplyEngage(target, x, y, attackKind);
    if (GameNetworked()) {
        TroopCommand c = For(11, troop);
        c.target = target ? target->UnitId() : 0;
        c.hasTarget = target ? 1 : 0;
        c.x = static_cast<uint16_t>(x);
        c.y = static_cast<uint16_t>(y);
        c.skill = attackKind;
        Send(c);
    }
    return ok;
}

void NetCmd12(Troop* troop, Troop* target, int32_t x, int32_t y, int32_t skill, uint8_t kind) {
    if (!troop || !DecidesHere()) return;
    troop->targetTroop = target;
    troop->goalX = static_cast<int16_t>(x);
    troop->goalY = static_cast<int16_t>(y);
    troop->skill = skill;
    troop->ApplyCmd12();
    if (!GameNetworked()) return;
    TroopCommand c = For(12, troop);
    c.target = target ? target->UnitId() : 0;
    c.hasTarget = target ? 1 : 0;
    c.worldX = troop->worldX;
    c.worldY = troop->worldY;
    c.x = static_cast<uint16_t>(x);
    c.y = static_cast<uint16_t>(y);
    c.skill = skill;
    c.kind = kind;
    Send(c);
}

namespace {
void Wander(Troop* troop, uint8_t code, int32_t x, int32_t y, uint8_t direction, int32_t argument) {
    troop->ApplyWander(x, y, direction, code == 13 ? 4 : 3);
    if (!GameNetworked()) return;
    TroopCommand c = For(code, troop);
    c.x = static_cast<uint16_t>(x);
    c.y = static_cast<uint16_t>(y);
    c.direction = direction;
    c.argument = static_cast<uint8_t>(argument);
    Send(c);
}
} // namespace

void RandomWanderA(Troop* troop, int32_t argument) {
    if (!troop || !DecidesHere()) return;
    // A direction left by the diagonal wander counts as the first of the four.
    const uint8_t current = troop->order->wanderDirection < 4 ? troop->order->wanderDirection : 0;
    uint8_t direction = current;
    int32_t x = troop->cellX, y = troop->cellY;
    for (int attempt = 0; attempt < kWanderAttempts; ++attempt) {
        const uint8_t d = kPerpendicular[current][Draw() % 2];
        const int32_t tx = troop->order->gatherX + kDirection[d][0] * (10 + Draw() % 5);
        const int32_t ty = troop->order->gatherY + kDirection[d][1] * (10 + Draw() % 5);
        if (CellOnMap(tx, ty)) {
            direction = d;
            x = tx;
            y = ty;
            break;
        }
    }
    Wander(troop, 13, x, y, direction, argument);
}

void RandomWanderB(Troop* troop, int32_t argument) {
    if (!troop || !DecidesHere()) return;
    uint8_t direction = troop->order->wanderDirection;
    int32_t x = troop->cellX, y = troop->cellY;
    for (int attempt = 0; attempt < kWanderAttempts; ++attempt) {
        const uint8_t d = static_cast<uint8_t>(4 + Draw() % 4);
        const int32_t tx = troop->order->gatherX + kDirection[d][0] * 11;
        const int32_t ty = troop->order->gatherY + kDirection[d][1] * 11;
        if (CellOnMap(tx, ty)) {
            direction = d;
            x = tx;
            y = ty;
            break;
        }
    }
    Wander(troop, 14, x, y, direction, argument);
}

bool ClientMaySendTroopCommand(uint8_t code) {
    switch (code) {
    case 1:
    case 2:
    case 4:
    case 6:
    case 7:
    case 8:
    case 9:
    case 11:
        return true;
    default:
        return false;
    }
}

TroopCommandOutcome ReceiveTroopCommand(uint8_t code, std::span<const uint8_t> payload) {
    using O = TroopCommandOutcome;
    const std::optional<TroopCommand> parsed = UnpackTroopCommand(code, payload);
    if (!parsed) return O::Drop;
    const TroopCommand& c = *parsed;
    Troop* t = FindTroopById(c.troop);
    if (!t) return O::Drop;
    auto cellOk = [&] { return CellOnMap(c.x, c.y); };
    if ((code == 1 || code == 5 || code == 10 || code == 12) && !WorldOnMap(c.worldX, c.worldY))
        return O::Drop;
    auto city = [&]() -> City* { return CityAtIndex(c.target & 0xFFFF); };
    switch (code) {
    case 1:
        TakeWorldPosition(t, c.worldX, c.worldY);
        t->ApplyHalt();
        break;
    case 2:
        if (!cellOk()) return O::Drop;
        t->ApplyCmd02(c.x, c.y);
        break;
    case 3:
        if (!cellOk()) return O::Drop;
        t->ApplyRoam(c.x, c.y);
        break;
    case 4: {
        Troop* target = FindTroopById(c.target);
        if (!target) return O::Drop;
        t->ApplyTarget(target);
        break;
    }
    case 5: {
        if (!cellOk() || c.kind >= 9) return O::Drop;
        Troop* target = FindTroopById(c.target);
        if (c.target != 0 && !target) return O::Drop;
        if (target) t->targetTroop = target;
        TakeWorldPosition(t, c.worldX, c.worldY);
        t->goalX = static_cast<int16_t>(c.x);
        t->goalY = static_cast<int16_t>(c.y);
        t->ApplyCmd05(c.kind);
        break;
    }
    case 6: {
        City* k = city();
        if (!k) return O::Drop;
        RootObject* target = k;
        if (c.target >> 16) {
            target = c.subKind <= 16 ? k->FindSubCastleOfKind(static_cast<int>(c.subKind)) : nullptr;
            if (!target) return O::Drop;
        }
        t->ApplyFollow(k, target, CityKey(k) | (c.target & 0x10000u));
        break;
    }
    case 7:
        if (!cellOk() || (c.x2 != 0xFFFF && !CellOnMap(c.x2, c.y2))) return O::Drop;
        t->ApplyMoveTo(c.x, c.y, c.x2, c.y2);
        break;
    case 8:
        if (!cellOk()) return O::Drop;
        t->ApplyCmd08(c.x, c.y);
        break;
    case 9: {
        City* k = city();
        if (!k || (c.target >> 16)) return O::Drop;
        t->skill = c.skill;
        t->ApplyCmd09(k, CityKey(k));
        break;
    }
    case 10: {
        City* k = city();
        if (!k || (c.target >> 16) || !cellOk() || c.kind >= 9) return O::Drop;
        t->targetObject = k;
        t->targetCity = k;
        t->targetWord = CityKey(k);
        TakeWorldPosition(t, c.worldX, c.worldY);
        t->goalX = static_cast<int16_t>(c.x);
        t->goalY = static_cast<int16_t>(c.y);
        t->ApplyCmd10(c.kind);
        break;
    }
    case 11: {
        if (!cellOk()) return O::Drop;
        Troop* target = c.hasTarget ? FindTroopById(c.target) : nullptr;
        if (c.hasTarget && !target) return O::Drop;
        t->ApplyEngage(target, c.x, c.y, c.skill);
        break;
    }
    case 12: {
        if (!cellOk()) return O::Drop;
        Troop* target = c.hasTarget ? FindTroopById(c.target) : nullptr;
        if (c.hasTarget && !target) return O::Drop;
        t->targetTroop = target;
        TakeWorldPosition(t, c.worldX, c.worldY);
        t->goalX = static_cast<int16_t>(c.x);
        t->goalY = static_cast<int16_t>(c.y);
        t->skill = c.skill;
        t->ApplyCmd12();
        break;
    }
    case 13:
    case 14:
        if (!cellOk() || c.direction >= 8) return O::Drop;
        t->ApplyWander(c.x, c.y, c.direction, code == 13 ? 4 : 3);
        return O::Applied;
    default:
        return O::Drop;
    }
    return O::Relay;
}
