#include "events/EventManager.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "events/EventRecord.h"
#include "events/WorldQueries.h"
#include "records/SubCastle.h"
#include "troops/CastleGate.h"
#include "world/BattleMap.h"

using Event = events::EventRecord;
using events::AnyCityTroop;
using events::AnyFieldTroop;
using events::Group;
using events::KingdomOfNation;
using events::OfficerField;
using events::OfficerInPlay;
using events::WalkList;
using L = OfficerLayout;

namespace {

constexpr uint8_t kDeadState = 13;
constexpr uint32_t kCityMorale = 56; // "民心值"
constexpr int32_t kBrokenGate = 2;
constexpr int32_t kTeamGame = 2;

bool RulerLost(const Kingdom* k) {
    return k && k->beaten != 0;
}

bool Fallen(const Kingdom* k) {
    return RulerLost(k) && k->noCity != 0;
}

// The cities of the event's general id and its six parameters, 0 included (it finds none).
template <class F>
bool AnyListedCity(EventManager& m, const Event& e, F&& f) {
    for (const int32_t id : {e.Int(EventLayout::kGeneral), e.Param(1), e.Param(2), e.Param(3), e.Param(4),
                             e.Param(5), e.Param(6)})
        if (City* c = m.FindCity(id); c && f(c)) return true;
    return false;
}

// A ruler that can still lead the player's kingdom: on the field inside the active area, in a
// city, or held in a sub-castle.
bool HasPlayerRuler(Kingdom& k) {
    auto leads = [](Troop* t) {
        return t->officer && OfficerField(t, L::kAttribute) == 1 && OfficerField(t, L::kControllable) != 0 &&
               OfficerInPlay(t->officer);
    };
    if (WalkList<Troop>(&k.fieldUnits, [&](Troop* t) {
            return leads(t) && OfficerField(t, L::kAmbush) == 0 && events::InActiveArea(t->cellX, t->cellY);
        }))
        return true;
    return WalkList<City>(&k.cities, [&](City* c) {
        return WalkList<Troop>(&c->units, leads) ||
               WalkList<SubCastle>(&c->subCastles, [](SubCastle* s) { return s->garrisonFlag != 0; });
    });
}

bool GroupWipedOut(Zu_StageSet& stage, int32_t group) {
    if (group == 0) return false;
    if (AnyFieldTroop(stage, [&](Kingdom*, Troop* t) {
            return Group(t) == group &&
                   (OfficerField(t, L::kAttribute) == 1 ? OfficerInPlay(t->officer) : t->state != kDeadState);
        }))
        return false;
    return !AnyCityTroop(stage,
                         [&](Kingdom*, Troop* t) { return Group(t) == group && OfficerInPlay(t->officer); });
}

} // namespace

// The stage-outcome tests: they only say whether the condition holds; the fired event's commands
// end the stage. None holds in network play, where code 38 ends a team game itself on the host.
int EventManager::TestOutcomeCondition(Event& e) {
    Zu_StageSet& stage = *CurrentStageSet();
    const int32_t id = e.Int(EventLayout::kGeneral);
    if (Networked()) {
        GameController* c = TheGameController;
        if (e.Code() == 38 && c->isHost && c->gameKind == kTeamGame && stage.playerKingdom &&
            GroupWipedOut(stage, id)) {
            const int32_t team = e.Param(1) == 1 ? 2 : 1;
            stage.SendTeamWinner(team);
            stage.EndWithTeamWinner(team);
        }
        return 0;
    }
    Kingdom* player = events::PlayerKingdom(stage);
    switch (e.Code()) {
    case 21:
        return Fallen(player);
    case 23:
        return AnyListedCity(*this, e, [&](City* c) { return c->ownerSide != stage.playerSide; });
    case 24:
        return RulerLost(player);
    case 25:
        return player && player->outcomeFlagD != 0 && player->outcomeFlagC != 0;
    case 29: {
        Kingdom* k = events::KingdomOfNation(stage, stage.playerSide);
        return !k || !HasPlayerRuler(*k);
    }
    case 30: {
        bool any = false;
        bool ruler = false;
        WalkList<Kingdom>(stage.kingdoms, [&](Kingdom* k) {
            if (k->nationIndex != id) return false;
            any = true;
            auto isRuler = [](Troop* t) {
                return t->officer && OfficerField(t, L::kAttribute) == 1 &&
                       OfficerField(t, L::kFamous) == 0 && OfficerInPlay(t->officer);
            };
            ruler =
                WalkList<Troop>(&k->fieldUnits,
                                [&](Troop* t) { return isRuler(t) && OfficerField(t, L::kAmbush) == 0; }) ||
                WalkList<City>(&k->cities, [&](City* c) { return WalkList<Troop>(&c->units, isRuler); });
            return ruler;
        });
        return !any || !ruler;
    }
    case 31:
        return stage.winFlagA != 0;
    case 32:
        return stage.winFlagB != 0;
    case 33: {
        Kingdom* first = nullptr;
        WalkList<Kingdom>(stage.kingdoms, [&](Kingdom* k) {
            if (k->NationKind() == 3) first = k;
            return first != nullptr;
        });
        return RulerLost(first);
    }
    case 34:
        return !WalkList<Kingdom>(stage.kingdoms, [&](Kingdom* k) {
            return k->NationKind() == 1 && WalkList<Troop>(&k->fieldUnits, [&](Troop* t) {
                       if (!t->officer || OfficerField(t, L::kAmbush) != 0) return false;
                       if (!events::InActiveArea(t->cellX, t->cellY)) return false;
                       const int32_t kind = OfficerField(t, L::kAttribute);
                       if (kind == 1) return OfficerInPlay(t->officer);
                       return kind != 5 && kind != 10 && t->state != kDeadState;
                   });
        });
    case 35: {
        City* city = FindCity(id);
        return city && city->Int(kCityMorale) >= e.Param(1);
    }
    case 36:
        for (int n = 1; n <= 6; ++n) {
            if (e.Param(n) == 0) continue;
            const Troop* t = FindTroop(e.Param(n));
            if (!t || t->owner != stage.playerSide || t->outOfPlay != 0) return 0;
        }
        return 1;
    case 37:
        return !AnyListedCity(*this, e, [&](City* c) { return c->ownerSide != stage.playerSide; });
    case 38:
        return GroupWipedOut(stage, id);
    case 39: {
        CastleGate* gate = nullptr;
        WalkList<Kingdom>(stage.kingdoms, [&](Kingdom* k) {
            return WalkList<CastleGate>(&k->gates, [&](CastleGate* g) {
                if (g->cellX == e.Param(1) && 2 * g->cellY == e.Param(2)) gate = g;
                return gate != nullptr;
            });
        });
        return gate && gate->openState == kBrokenGate;
    }
    case 58:
        return !AnyListedCity(*this, e, [](City* c) { return c->dead == 0; });
    default:
        return 0;
    }
}
