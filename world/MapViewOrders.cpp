#include "world/MapView.h"

#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "net/TroopCommands.h"
#include "platform/CRand.h"
#include "platform/Window.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Zu_SkillEffect.h"

#include <vector>

namespace {

constexpr int32_t kEngagingTemplate = 441;

bool QuietKind(const Troop* t) {
    const int32_t k = t->OfficerKind();
    return k == 13 || k == 17 || k == 18 || k == 70;
}

int32_t UnitClassOf(const Troop* t) {
    const int32_t player = PlayerKingdom();
    const int32_t allegiance = t->officer ? t->officer->Get(OfficerLayout::kPolicy) : 0;
    if (t->owner == player || allegiance == player) return 1;
    return t->owner == 0 || KingdomRelation(player, t->owner) == 3 ? 2 : 5;
}

int8_t OrderState(const Troop* t) {
    return t->order ? t->order->orderState : 0;
}

} // namespace

void MapView::IssueRightClickOrder(int32_t px, int32_t py) {
    GameController* c = TheGameController;
    if (!c || c->workMode) return;
    c->dragging = 0;
    c->leftHeld = 0;
    if (c->moveOrderMode || c->secondOrderMode || c->mapLock || c->menuOpen) return;
    int32_t k = HitTest(px, py);
    if (CastleGate* gate = HoveredGate(); gate && gate->pieces[3]) {
        hoveredObject = gate->pieces[3];
        k = UnitClassOf(gate->pieces[3]);
    }
    if (hitCellX == c->lastOrderX && hitCellY == c->lastOrderY) return;
    c->lastOrderX = hitCellX;
    c->lastOrderY = hitCellY;
    if (!c->selectionActive || !c->selection || !TheBattleMap) return;
    Troop* hovered = static_cast<Troop*>(hoveredObject);
    const int32_t player = PlayerKingdom();
    const bool shift = (platform::GetKeyState(platform::VK_SHIFT) & 0x8000) != 0;
    // Commands may change the selection: walk a copy.
    std::vector<Troop*> units;
    for (uintptr_t v = c->selection->First(); v != 0; v = c->selection->Next())
        units.push_back(reinterpret_cast<Troop*>(v));
    if (units.empty()) return;
    // The order of one unit by the class under the pointer.
    auto order = [&](Troop* u) {
        auto move = [&] {
            // In group mode a unit of the chosen group moves by itself only in a formation of
            // kind 5 or when it follows its place in the formation.
            const bool groupHeld =
                c->groupCommandMode && c->currentGroup >= 0 && c->currentGroup < 10 &&
                u->hotKeyGroup == c->currentGroup && !u->formationFollow &&
                !(c->groupHeaders[c->currentGroup] && c->groupHeaders[c->currentGroup]->b1 == 5);
            if (!groupHeld) NetCmd02(u, hitCellX, hitCellY);
        };
        switch (k) {
        case 0:
        case 5:
            if (k == 0 && shift)
                NetCmdMoveTo(u, hitCellX, hitCellY, -1, -1);
            else
                move();
            break;
        case 1:
            if (hovered && hovered->state == 1 && u->officer &&
                u->officer->Get(OfficerLayout::kPersonNumber) == kEngagingTemplate)
                NetCmdEngage(u, hovered, hitCellX, hitCellY, 23);
            else
                move();
            break;
        case 2:
            if (u->OfficerKind() == 1 || !hovered || (u->flags & 2) || hovered->state == 13 ||
                hovered->selected)
                move();
            else
                NetCmdTargetTroop(u, hovered);
            break;
        case 100:
        case 101:
        case 106:
        case 108:
            NetCmdFollowTarget(u, currentCity, 0);
            break;
        case 104:
        case 105:
            NetCmdFollowTarget(u, currentCity, 1);
            break;
        case 200:
        case 201:
        case 202:
        case 203:
        case 206:
        case 207:
        case 208:
        case 209:
        case 210: {
            City* city = c->cityUnderCursor;
            if (!city || u->OfficerKind() != 0) {
                move();
            } else if (KingdomRelation(player, city->ownerSide) == 1) {
                if (c->networked && c->teamMode)
                    NetCmdFollowTarget(u, city, 0);
                else
                    move();
            } else if (city->emptyFlag == 0) {
                if (u->flags & 2)
                    move();
                else
                    NetCmd09(u, city, 0);
            } else {
                NetCmdFollowTarget(u, city, 0);
            }
            break;
        }
        default:
            move();
            break;
        }
    };
    if (TheBattleMap->alternateMode) {
        PlaySoundEffect(48 + platform::rand() % 4);
        const bool foreignFirst = units.front()->owner != player;
        for (Troop* u : units) {
            if (!u->selected) continue;
            const bool direct = foreignFirst && hovered &&
                                (k == 1 || ((k == 2 || k == 5) && units.front()->owner != hovered->owner));
            if (!direct) {
                order(u);
            } else if (u->flags & 2) {
                NetCmd02(u, hitCellX, hitCellY);
            } else {
                u->OrderTargetObject(hovered);
            }
        }
        return;
    }
    bool allQuiet = true;
    for (Troop* u : units) {
        allQuiet = allQuiet && QuietKind(u);
        if (OrderState(u) == 3 || OrderState(u) == 6) continue;
        order(u);
    }
    // The click marker belongs to the store's effect list, which retires it.
    if ((k == 0 || k == 1 || k == 5) && TheResourceStore && TheResourceStore->secondEffects)
        new Zu_SkillEffect(3, 12, viewX * 40 + px, viewY * 10 + py);
    PlaySoundEffect(allQuiet ? 4 + platform::rand() % 6 : 81 + platform::rand() % 8);
}
