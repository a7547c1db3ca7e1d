#include "troops/CastleGate.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/SoundEffects.h"
#include "engine/LinkList.h"
#include "net/GameRecordChannel.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/FootprintPattern.h"
#include "world/GateRecord.h"

#include <algorithm>

namespace {
using L = OfficerLayout;

constexpr int32_t kPieceTemplate = 459;

// The host tells the peers the gate's new strength (mode 0) or its restoring (mode 1).
void SendToPeers(const CastleGate& gate, uint32_t value, uint8_t mode) {
    GameRecordChannel* channel = TheGameController ? TheGameController->recordChannel : nullptr;
    if (!channel || !GameNetworked() || !gate.pieces[0]) return;
    channel->SendGateStrength(static_cast<uint32_t>(gate.ownerSide), gate.pieces[0]->UnitId(), value, mode);
}

constexpr int8_t kGateOffsets[2][8][2] = {
    {{3, 3}, {3, 4}, {2, 4}, {2, 5}, {1, 5}, {1, 6}, {0, 6}, {0, 7}},
    {{-3, 3}, {-3, 4}, {-2, 4}, {-2, 5}, {-1, 5}, {-1, 6}, {0, 6}, {0, 7}},
};
constexpr int8_t kApproachOffsets[2][16][2] = {
    {{2, 2},
     {2, 3},
     {1, 3},
     {1, 4},
     {0, 4},
     {0, 5},
     {-1, 5},
     {-1, 6},
     {4, 4},
     {4, 5},
     {3, 5},
     {3, 6},
     {2, 6},
     {2, 7},
     {1, 7},
     {1, 8}},
    {{-2, 2},
     {-2, 3},
     {-1, 3},
     {-1, 4},
     {0, 4},
     {0, 5},
     {1, 5},
     {1, 6},
     {-4, 4},
     {-4, 5},
     {-3, 5},
     {-3, 6},
     {-2, 6},
     {-2, 7},
     {-1, 7},
     {-1, 8}},
};
constexpr int8_t kPictureOrigin[2][2] = {{-1, 2}, {1, 2}};

Troop* FirstTroopAt(int32_t x, int32_t y) {
    if (!TheBattleMap) return nullptr;
    const uintptr_t id = TheBattleMap->FirstObjectAt(x, y);
    TheBattleMap->occupancyCursor = nullptr;
    return reinterpret_cast<Troop*>(id);
}

int32_t PieceStatus(const Troop* piece) {
    return piece && piece->officer ? piece->officer->StatusWord() : 0;
}
} // namespace

uint16_t CastleGate::groupNumber = 0;

bool CastleGate::ValidLayout(int32_t dir, int32_t gateStyle) {
    // The style comes from files: bounded before it is scaled.
    return (dir == 0 || dir == 1) && gateStyle >= 0 && gateStyle < FootprintTables::kDoor / 6 &&
           gateStyle * 6 + dir * 3 + 2 < FootprintTables::kDoor;
}

CastleGate* CastleGate::FromRecord(const GateRecord& record, int32_t owner) {
    if (!ValidLayout(record.direction, record.style)) return nullptr;
    return new CastleGate(record.centreX, record.centreY, record.direction, owner, record.style, record.cityX,
                          record.cityY);
}

CastleGate::CastleGate(int32_t centreX, int32_t centreY, int32_t dir, int32_t owner, int32_t gateStyle,
                       int32_t fileValueA, int32_t fileValueB)
    : ownerSide(owner), direction(dir), style(gateStyle), cellX(centreX), cellY(centreY), cityX(fileValueA),
      cityY(fileValueB) {
    const int d = dir == 1 ? 1 : 0;
    for (int i = 0; i < kPieces; ++i) {
        auto* officer = new OfficerRecord(owner, kPieceTemplate);
        gateCells[i][0] = centreX + kGateOffsets[d][i][0];
        gateCells[i][1] = centreY + kGateOffsets[d][i][1];
        auto* piece =
            new Troop(1, 10, static_cast<int16_t>(gateCells[i][0]), static_cast<int16_t>(gateCells[i][1]),
                      static_cast<int8_t>(owner), 0, 100, officer);
        // The pieces stand on their cells only while the gate is closed.
        if (TheBattleMap) TheBattleMap->RemoveObjectAt(piece->cellX, piece->cellY, uintptr_t(piece));
        officer->Set(L::kAttribute, 17);
        piece->pathWait = static_cast<int16_t>(groupNumber);
        piece->gatePiece = 1;
        pieces[i] = piece;
    }
    ++groupNumber;
    pictureRect[0] = (centreX + kPictureOrigin[d][0]) * 40 - 80;
    pictureRect[1] = (kPictureOrigin[d][1] + 2 * centreY) * 10 - 50;
    pictureRect[2] = pictureRect[0] + 160;
    pictureRect[3] = pictureRect[1] + 120;
    pictureIndex = dir;
}

CastleGate::~CastleGate() {
    for (Troop*& piece : pieces) {
        if (!piece) continue;
        // Whoever targets a piece forgets it before it goes.
        if (TheBattleMap) TheBattleMap->ForgetTroop(piece);
        delete piece;
        piece = nullptr;
    }
}

bool CastleGate::CentreInView() const {
    const GameController* c = TheGameController;
    if (!c) return false;
    return cellX >= c->viewLeft && cellX < c->viewRight && cellY >= c->viewTop / 2 &&
           cellY < c->viewBottom / 2;
}

bool CastleGate::AnyPieceDestroyed() const {
    return std::any_of(std::begin(pieces), std::end(pieces),
                       [](const Troop* p) { return PieceStatus(p) == 2; });
}

void CastleGate::SumStrength() {
    strengthTotal = 0;
    for (const Troop* p : pieces)
        if (p) strengthTotal += p->OfficerValue(L::kHp);
}

int32_t CastleGate::UpdateOpenState() {
    // A broken gate stays open until it is restored.
    if (openState == 2 && AnyPieceDestroyed()) return 0;
    const int d = direction == 1 ? 1 : 0;
    for (const auto& cell : gateCells) {
        const Troop* t = FirstTroopAt(cell[0], cell[1]);
        if (t && t->OfficerKind() != 17) {
            SetOpen(1);
            return 1;
        }
    }
    for (const auto& offset : kApproachOffsets[d]) {
        const Troop* t = FirstTroopAt(cellX + offset[0], cellY + offset[1]);
        if (!t || t->OfficerKind() == 17) continue;
        const int32_t kind = t->OfficerKind();
        const int32_t policy = t->OfficerValue(L::kPolicy);
        const bool friendly =
            kind == 10 || kind == 12 || (t->owner == ownerSide && (policy == 0 || policy == ownerSide)) ||
            (t->owner != ownerSide && policy == ownerSide) || KingdomRelation(ownerSide, t->owner) == 1;
        if (friendly) {
            SetOpen(1);
            return 1;
        }
    }
    SetOpen(0);
    return 0;
}

void CastleGate::SetOpen(int32_t state) {
    if (state == openState) return;
    openState = state;
    const bool inView = CentreInView();
    switch (state) {
    case 0:
        for (Troop* p : pieces)
            if (p && TheBattleMap) TheBattleMap->AddObjectAt(p->cellX, p->cellY, uintptr_t(p));
        pictureIndex = direction;
        if (inView) PlaySoundEffect(50);
        break;
    case 1:
        if (inView) PlaySoundEffect(49);
        [[fallthrough]];
    case 2:
    case 3:
        for (Troop* p : pieces)
            if (p && TheBattleMap) TheBattleMap->RemoveObjectAt(p->cellX, p->cellY, uintptr_t(p));
        pictureIndex = direction + (state == 1 ? 2 : 4);
        if (state == 2 && inView) PlaySoundEffect(20);
        break;
    default:
        return;
    }
    if (state <= 2 && TheBattleMap && ValidLayout(direction, style))
        if (const FootprintPattern* pattern = Footprints().door[style * 6 + direction * 3 + state].get())
            TheBattleMap->StampPattern(cellX, 2 * cellY, pattern);
}

int32_t CastleGate::OnPieceDamaged() {
    if (AnyPieceDestroyed()) {
        for (Troop* p : pieces) {
            if (!p || PieceStatus(p) == 2) continue;
            if (p->officer) {
                p->officer->Set(L::kHp, 0);
                p->officer->StatusWord() = 2;
            }
            p->state = 13;
        }
        strengthTotal = 0;
        SetOpen(2);
        return 1;
    }
    SumStrength();
    if (strengthTotal != 0) RequestStrength(strengthTotal / 8);
    return 1;
}

void CastleGate::RequestStrength(int32_t value) {
    if (!DecidesHere()) return;
    SetStrength(value);
    SendToPeers(*this, static_cast<uint32_t>(value), 0);
}

void CastleGate::SetStrength(int32_t value) {
    for (Troop* p : pieces)
        if (p && p->officer) p->officer->Set(L::kHp, value);
    SumStrength();
}

int32_t CastleGate::Repair() {
    repairFlag = 0;
    strengthTotal = 0;
    int32_t repaired = 0;
    const int32_t step = GameParams().repair_castle_hp;
    for (Troop* p : pieces) {
        if (!p || !p->officer) continue;
        const int32_t top = p->officer->Get(L::kMaxHp);
        const int32_t hp = p->officer->Get(L::kHp);
        if (hp < top) {
            p->officer->Set(L::kHp, std::min(hp + step, top));
            ++repaired;
        }
        strengthTotal += p->officer->Get(L::kHp);
    }
    repairFlag = repaired;
    if (strengthTotal != 0) RequestStrength(strengthTotal / 8);
    if (repaired == 0) {
        RequestRestore();
        return 0;
    }
    return repaired;
}

void CastleGate::RequestRestore() {
    if (!DecidesHere()) return;
    Restore();
    SendToPeers(*this, 0, 1);
}

void CastleGate::Restore() {
    for (Troop* p : pieces) {
        if (!p) continue;
        if (p->officer) {
            p->officer->Set(L::kHp, p->officer->Get(L::kMaxHp));
            p->officer->StatusWord() = 0;
        }
        p->state = 10;
    }
    repairFlag = 0;
    SumStrength();
    UpdateOpenState();
}

void CastleGate::FlagForRepair() {
    repairFlag = 1;
    counter = 0;
}

void CastleGate::SetOwner(int32_t kingdom) {
    ownerSide = kingdom;
    for (Troop* p : pieces) {
        if (!p) continue;
        p->owner = static_cast<int8_t>(kingdom);
        if (p->officer) p->officer->ownerSide = kingdom;
    }
}

bool CastleGate::ContainsCell(int32_t x, int32_t y) const {
    return 2 * cellY <= y && y <= 2 * cellY + 6 && std::max(cellX - 2, 0) <= x && x <= cellX + 2;
}

CastleGate* CastleGate::HoldingPiece(const Troop* piece) {
    Kingdom* k = piece ? TroopKingdom(piece->owner) : nullptr;
    if (!k) return nullptr;
    const uintptr_t cursor = k->gates.Current();
    CastleGate* found = nullptr;
    for (uintptr_t v = k->gates.First(); v != 0 && !found; v = k->gates.Next()) {
        auto* gate = reinterpret_cast<CastleGate*>(v);
        for (const Troop* p : gate->pieces)
            if (p == piece) found = gate;
    }
    if (cursor) k->gates.Find(cursor);
    return found;
}
