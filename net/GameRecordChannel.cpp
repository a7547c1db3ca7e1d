#include "net/GameRecordChannel.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "net/CommandLookups.h"
#include "net/TroopCommands.h"
#include "net/WireLayout.h"
#include "records/City.h"
#include "records/CityRecordSenders.h"
#include "records/CityWorks.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/Persons.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <algorithm>

namespace {

using O = CommandOutcome;

const WireLayout* LayoutOf(uint32_t id) {
    static const WireLayout k12{4, 4, 4};
    static const WireLayout k16{4, 4, 4, 4};
    static const WireLayout k16Byte{4, 4, 4, 1, -3};
    static const WireLayout k20{4, 4, 4, 4, 4};
    static const WireLayout k20Byte{4, 4, 4, 4, 1, -3};
    static const WireLayout k24{4, 4, 4, 4, 4, 4};
    static const WireLayout k201{4, 4, 4, 4, 1, -3};
    static const WireLayout k301{4, 4, 4, 4, 1, -3, 4, 4};
    static const WireLayout k600{4, 4, 2, -2, 4, 1, -3, 4, 4, 4, 4, 4};
    static const WireLayout k700{4, 4, 4, 1, -3, 4};
    static const WireLayout k801{4, 4, 4, 4, 4, 1, -3};
    switch (id) {
    case kRecordDeployUnit:
        return &k201;
    case kRecordCreatePerson:
        return &k301;
    case kRecordRandomGearGrant:
    case kRecordConstruction:
    case kRecordCityDestroy:
    case kRecordSpawnPerson:
        return &k24;
    case kRecordAdmitUnit:
    case kRecordSpawnTroop:
    case kRecordAddSoldier:
    case kRecordCityEntry:
        return &k16;
    case kRecordDeployFollow:
        return &k20;
    case kRecordCityBattleTick:
        return &k12;
    case kRecordDeployWithOrder:
        return &k600;
    case kRecordTroopEntry:
        return &k700;
    case kRecordGateStrength:
        return &k801;
    case kRecordCityStatusOp:
        return &k20Byte;
    case kRecordCityToggle:
    case kRecordWinner:
    case kRecordTeamWinnerId:
        return &k16Byte;
    default:
        return nullptr;
    }
}

uint32_t Key(const City* city) {
    return static_cast<uint32_t>(CityIndexOf(city));
}

uint32_t UnitOf(const Troop* t) {
    return t ? t->UnitId() : 0;
}

constexpr int32_t kBuildingKinds = 26;

// A construction site is known by its cell.
uint32_t SiteKey(const SavedRecord& site) {
    return (static_cast<uint32_t>(site.y) & 0xFFFF) << 16 | (static_cast<uint32_t>(site.x) & 0xFFFF);
}

// The city's own records; a city outside the city table names nothing a peer could find.
bool InTable(const City& city) {
    return CityIndexOf(&city) >= 0;
}

CityRecordSenders ChannelSenders() {
    CityRecordSenders s;
    s.constructionProgress = [](const City& city, const SavedRecord& site) {
        if (InTable(city))
            SendGameRecord(
                PackGameRecord(kRecordConstruction, {Key(&city), static_cast<uint32_t>(site.kind),
                                                     SiteKey(site), static_cast<uint32_t>(site.work)}));
    };
    s.spawnTroop = [](const City& city, uint32_t serial) {
        if (InTable(city)) SendGameRecord(PackGameRecord(kRecordSpawnTroop, {Key(&city), serial}));
    };
    s.addSoldier = [](const City& city, uint32_t serial) {
        if (InTable(city)) SendGameRecord(PackGameRecord(kRecordAddSoldier, {Key(&city), serial}));
    };
    s.upgrade = [](const City& city) {
        if (InTable(city)) SendGameRecord(PackGameRecord(kRecordCityBattleTick, {Key(&city)}));
    };
    s.statusFlags = [](const City& city, int32_t word, int32_t operation) {
        if (InTable(city))
            SendGameRecord(PackGameRecord(kRecordCityStatusOp, {Key(&city), static_cast<uint32_t>(word),
                                                                static_cast<uint32_t>(operation)}));
    };
    return s;
}

CommandOutcome ApplyConstruction(City* city, const std::vector<uint32_t>& v) {
    // city, site kind, site key, progress
    if (v[1] >= static_cast<uint32_t>(kBuildingKinds)) return O::Drop;
    const auto x = static_cast<int32_t>(v[2] & 0xFFFF), y = static_cast<int32_t>(v[2] >> 16);
    SavedRecord* site = city->FindSiteAt(x, y);
    if (!site || site->kind != static_cast<int32_t>(v[1])) return O::Relay;
    // A finished building counts once, whatever copies arrive.
    const int32_t price = GameParams().buildingCost[site->kind];
    if (site->work >= price) return O::Relay;
    site->work = std::clamp(static_cast<int32_t>(v[3]), 0, price);
    city->ApplyConstructionProgress(site);
    return O::Relay;
}

bool OnFieldOfSide(int32_t side, uint32_t unit) {
    Kingdom* k = TheBattleMap ? TheBattleMap->FindKingdom(side) : nullptr;
    return k && FindUnitInList(k->fieldUnits, unit) != nullptr;
}

// The unit's target as the order kind names it; false when what it names is not here.
bool TakeOrderTarget(Troop* unit, const std::vector<uint32_t>& v) {
    switch (v[0]) {
    case 1: {
        Troop* target = FindTroopById(v[4]);
        if (!target) return false;
        if (unit) unit->targetTroop = target;
        return true;
    }
    case 2: {
        City* targetCity = CityAtIndex(v[4] & 0xFFFF);
        SubCastle* sub =
            targetCity && v[5] <= 16 ? targetCity->FindSubCastleOfKind(static_cast<int32_t>(v[5])) : nullptr;
        if (!sub) return false;
        if (unit) {
            unit->targetCity = targetCity;
            unit->targetObject = sub;
            unit->targetWord = v[4];
        }
        return true;
    }
    case 3: {
        City* targetCity = CityAtIndex(v[4]);
        if (!targetCity) return false;
        if (unit) unit->targetCity = targetCity;
        return true;
    }
    case 4:
        return true;
    default:
        if (!UnitCellOnMap(v[6], v[7])) return false;
        if (unit) {
            unit->goalX = static_cast<int16_t>(v[6]);
            unit->goalY = static_cast<int16_t>(v[7]);
        }
        return true;
    }
}

CommandOutcome ApplyDeployWithOrder(City* city, const std::vector<uint32_t>& v) {
    // order kind, city, place kind, unit, target, target 2, x, y
    if (!city) return O::Drop;
    SubCastle* sub = PlaceSubCastle(city, v[2]);
    Troop* unit = sub ? FindUnitInSubCastle(sub, v[3]) : nullptr;
    // A city of kind 4 or 5 sends its own units with its kind: they are the city's.
    if (!unit) {
        sub = nullptr;
        unit = city->FindUnitBySerial(v[3]);
    }
    if (!TakeOrderTarget(unit, v)) return O::Drop;
    if (unit && sub)
        sub->ApplyDeployUnitWithOrder(unit, static_cast<int32_t>(v[0]));
    else if (unit)
        city->ApplyDeployUnitWithOrder(unit, static_cast<int32_t>(v[0]));
    return O::Relay;
}

CommandOutcome ApplyTroopEntry(City* city, const std::vector<uint32_t>& v) {
    // city, place kind, troop
    if (v[1] > 10) return O::Drop;
    Troop* troop = FindTroopById(v[2]);
    // Kind 4 or 5 names the sub-castle of that kind, when the city has one; a city of that kind
    // sends its own entries with it too.
    if (SubCastle* sub = PlaceSubCastle(city, v[1])) {
        if (troop && !FindUnitInSubCastle(sub, v[2])) sub->ApplyTroopEntry(troop);
        return O::Relay;
    }
    if ((v[1] == 4 || v[1] == 5) && static_cast<uint32_t>(city->Kind()) != v[1]) return O::Relay;
    if (troop && !city->FindUnitBySerial(v[2])) city->ApplyTroopEntry(troop);
    return O::Relay;
}

CommandOutcome ApplyCityDestroy(City* city, const std::vector<uint32_t>& v) {
    // city, destroyer side, seed, multiplier. A copy of a destruction that happened already
    // changes nothing.
    if (v[1] >= static_cast<uint32_t>(BattleMap::kSides)) return O::Drop;
    if (city->dead) return O::Relay;
    const auto side = static_cast<int32_t>(v[1]);
    city->ApplyDestroy(v[2], v[3], side);
    // Nothing was left in it on the host, whatever this station's sums say.
    city->emptyFlag = 1;
    city->ownerSide = side;
    return O::Relay;
}

// The unit the city admits from its kind-4 or kind-5 sub-castle.
CommandOutcome ApplyAdmitUnit(City* city, uint32_t unit) {
    for (int32_t kind : {4, 5}) {
        SubCastle* sub = city->FindSubCastleOfKind(kind);
        if (Troop* t = FindUnitInSubCastle(sub, unit)) {
            city->ApplyAdmitUnit(t, sub);
            break;
        }
    }
    return O::Relay;
}

// The gate is named by its kingdom and the unit id of its first piece.
CommandOutcome ApplyGateStrength(const std::vector<uint32_t>& v) {
    // kingdom, unit, value, mode
    if (v[3] > 1) return O::Drop;
    Kingdom* k = KingdomOfSide(v[0]);
    if (!k) return O::Relay;
    for (uintptr_t e = k->gates.First(); e != 0; e = k->gates.Next()) {
        auto* gate = reinterpret_cast<CastleGate*>(e);
        if (!gate->pieces[0] || gate->pieces[0]->UnitId() != v[1]) continue;
        if (v[3] == 0)
            gate->SetStrength(static_cast<int32_t>(v[2]));
        else
            gate->Restore();
        break;
    }
    return O::Relay;
}

} // namespace

GameRecordChannel::GameRecordChannel() {
    SetCityRecordSenders(ChannelSenders());
}

size_t GameRecordSize(uint32_t id) {
    const WireLayout* layout = LayoutOf(id);
    return layout ? layout->Size() : 0;
}

std::vector<uint8_t> PackGameRecord(uint32_t id, std::initializer_list<uint32_t> fields) {
    const WireLayout* layout = LayoutOf(id);
    if (!layout) return {};
    std::vector<uint32_t> values{id, static_cast<uint32_t>(layout->Size())};
    values.insert(values.end(), fields.begin(), fields.end());
    return layout->Write(values);
}

std::optional<std::vector<uint32_t>> UnpackGameRecord(std::span<const uint8_t> record) {
    if (record.size() < 8) return std::nullopt;
    const uint32_t id = RecordId(record);
    const WireLayout* layout = LayoutOf(id);
    if (!layout) return std::nullopt;
    auto fields = layout->Read(record);
    if (!fields || (*fields)[1] != record.size()) return std::nullopt;
    fields->erase(fields->begin(), fields->begin() + 2);
    return fields;
}

uint32_t RecordId(std::span<const uint8_t> record) {
    return record[0] | record[1] << 8 | record[2] << 16 | uint32_t(record[3]) << 24;
}

void SendGameRecord(const std::vector<uint8_t>& record) {
    if (!GameNetworked() || record.empty()) return;
    if (GameCommandSender send = CurrentGameCommandSender())
        send(kGameRecordCode, record.data(), record.size());
}

void GameRecordChannel::Send(uint32_t id, std::initializer_list<uint32_t> fields) {
    SendGameRecord(PackGameRecord(id, fields));
}

void GameRecordChannel::SendDeployUnit(City* city, uint32_t unit, uint8_t value) {
    Send(kRecordDeployUnit, {Key(city), unit, value});
}
void GameRecordChannel::SendCreatePerson(uint32_t kingdom, City* city, uint8_t placeKind,
                                         uint32_t templateValue, uint32_t person) {
    Send(kRecordCreatePerson, {kingdom, Key(city), placeKind, templateValue, person});
}
void GameRecordChannel::SendRandomGear(City* city, uint32_t a, uint32_t b, uint32_t c) {
    Send(kRecordRandomGearGrant, {Key(city), a, b, c});
}
void GameRecordChannel::SendAdmitUnit(City* city, uint32_t unit) {
    Send(kRecordAdmitUnit, {Key(city), unit});
}
void GameRecordChannel::SendConstructionProgress(City* city, uint32_t siteKind, uint32_t siteKey,
                                                 uint32_t progress) {
    Send(kRecordConstruction, {Key(city), siteKind, siteKey, progress});
}
void GameRecordChannel::SendCityDestroy(City* city, uint32_t a, uint32_t b, uint32_t c) {
    Send(kRecordCityDestroy, {Key(city), a, b, c});
}
void GameRecordChannel::SendSpawnPerson(City* city, uint32_t person, uint32_t a, uint32_t b) {
    Send(kRecordSpawnPerson, {Key(city), person, a, b});
}
void GameRecordChannel::SendDeployUnitFollow(City* city, uint32_t unit, City* target) {
    Send(kRecordDeployFollow, {Key(city), unit, Key(target)});
}
void GameRecordChannel::SendSpawnTroop(City* city, uint32_t troop) {
    Send(kRecordSpawnTroop, {Key(city), troop});
}
void GameRecordChannel::SendAddSoldier(City* city, uint32_t unit) {
    Send(kRecordAddSoldier, {Key(city), unit});
}
void GameRecordChannel::SendCityBattleTick(City* city) {
    Send(kRecordCityBattleTick, {Key(city)});
}
void GameRecordChannel::SendCityEntry(City* city, Troop* troop) {
    Send(kRecordCityEntry, {Key(city), UnitOf(troop)});
}
void GameRecordChannel::SendDeployUnitWithOrder(uint16_t orderKind, City* city, uint8_t placeKind,
                                                uint32_t unit, uint32_t target, uint32_t target2, uint32_t x,
                                                uint32_t y) {
    // A troop order without its troop names nothing.
    if (orderKind == 1 && target == 0) return;
    Send(kRecordDeployWithOrder, {orderKind, Key(city), placeKind, unit, target, target2, x, y});
}
void GameRecordChannel::SendTroopEntry(City* city, uint8_t placeKind, Troop* troop) {
    Send(kRecordTroopEntry, {Key(city), placeKind, UnitOf(troop)});
}
void GameRecordChannel::SendGateStrength(uint32_t kingdom, uint32_t unit, uint32_t value, uint8_t mode) {
    Send(kRecordGateStrength, {kingdom, unit, value, mode});
}
void GameRecordChannel::SendCityStatusOp(City* city, uint32_t value, uint8_t operation) {
    Send(kRecordCityStatusOp, {Key(city), value, operation});
}
void GameRecordChannel::SendCityToggleFlag(City* city, uint8_t value) {
    Send(kRecordCityToggle, {Key(city), value});
}
void GameRecordChannel::SendStageWinner(Kingdom* winner) {
    Send(kRecordWinner, {winner ? static_cast<uint32_t>(winner->nationIndex) : 0u, 0});
}
void GameRecordChannel::SendTeamWinner(uint32_t team) {
    Send(kRecordTeamWinnerId, {team, 0});
}

CommandOutcome GameRecordChannel::ApplyRecord(std::span<const uint8_t> record) {
    // A record this station does not know may mean something to another one: the host passes it on.
    if (record.size() >= 8 && !LayoutOf(RecordId(record))) return O::Relay;
    const auto parsed = UnpackGameRecord(record);
    if (!parsed) return O::Drop;
    const std::vector<uint32_t>& v = *parsed;
    const uint32_t id = RecordId(record);
    Zu_StageSet* stage = TheBattleMap ? TheBattleMap->stageSet : nullptr;

    // Every record but the stage ends and gate records begins with a city index of this map.
    City* city = nullptr;
    switch (id) {
    case kRecordCreatePerson:
        city = CityAtIndex(v[1]);
        break;
    case kRecordDeployWithOrder:
        city = CityAtIndex(v[1]);
        break;
    case kRecordGateStrength:
    case kRecordWinner:
    case kRecordTeamWinnerId:
        break;
    default:
        // Each station decides alone about a city it does not hold.
        city = CityAtIndex(v[0]);
        if (!city) return O::Relay;
    }

    switch (id) {
    case kRecordCreatePerson: {
        // kingdom, city, place kind, template, person
        Kingdom* k = KingdomOfSide(v[0]);
        if (!GeneralTemplate(static_cast<int32_t>(v[3])) || v[4] == 0 || v[4] >= 0x7FFFFFFF) return O::Drop;
        if (!k || !city) return O::Relay;
        SubCastle* sub = PlaceSubCastle(city, v[2]);
        if ((v[2] == 4 || v[2] == 5) && !sub) return O::Relay;
        NoteCarriedUnitId(v[4]);
        // The person's key is its officer's serial, unique even for two persons of one day.
        const bool present =
            sub ? FindUnitInSubCastle(sub, v[4]) != nullptr || FindUnitInList(sub->secondUnits, v[4])
                : CityHoldsGeneral(city, v[4]);
        if (present) return O::Relay;
        CreatePerson(k, sub ? nullptr : city, sub, static_cast<int32_t>(v[3]), CalendarStamp(), v[4]);
        return O::Relay;
    }
    case kRecordRandomGearGrant: {
        SubCastle* sub = city->FindSubCastleOfKind(4);
        if (stage && sub && sub->keeper)
            stage->ApplyRandomGear(sub->keeper, static_cast<int32_t>(v[1]), v[2], v[3]);
        return O::Relay;
    }
    case kRecordCityEntry: {
        Troop* troop = FindTroopById(v[1]);
        if (troop && troop->owner != city->ownerSide && TheBattleMap)
            TheBattleMap->ApplyCityEntry(troop, city);
        return O::Relay;
    }
    case kRecordDeployWithOrder:
        return ApplyDeployWithOrder(city, v);
    case kRecordGateStrength:
        return ApplyGateStrength(v);
    case kRecordCityStatusOp:
        // city, value, operation
        if (v[2] > 6) return O::Drop;
        city->ApplyStatusOperation(static_cast<int32_t>(v[2]), static_cast<int32_t>(v[1]));
        return O::Relay;
    case kRecordConstruction:
        return ApplyConstruction(city, v);
    case kRecordSpawnTroop:
        // city, troop id
        if (v[1] == 0 || v[1] >= 0x7FFFFFFF) return O::Drop;
        if (OnFieldOfSide(city->ownerSide, v[1])) return O::Relay;
        NoteCarriedUnitId(v[1]);
        city->ApplySpawnTroop(v[1]);
        return O::Relay;
    case kRecordAddSoldier:
        // city, unit id
        if (v[1] == 0 || v[1] >= 0x7FFFFFFF) return O::Drop;
        if (city->recruitCity && CityHoldsGeneral(city->recruitCity, v[1])) return O::Relay;
        NoteCarriedUnitId(v[1]);
        city->ApplyAddSoldier(v[1]);
        return O::Relay;
    case kRecordCityBattleTick:
        city->ApplyUpgrade();
        return O::Relay;
    case kRecordCityToggle:
        city->ApplyToggleFlag(static_cast<uint8_t>(v[1]));
        return O::Relay;
    case kRecordWinner: {
        Kingdom* winner = KingdomOfSide(v[0]);
        if (v[0] != 0 && !winner) return O::Drop;
        if (stage) stage->EndWithWinner(winner);
        return O::Relay;
    }
    case kRecordTeamWinnerId:
        if (stage) stage->EndWithTeamWinner(static_cast<int32_t>(v[0]));
        return O::Relay;
    case kRecordDeployFollow: {
        // city, unit, target city
        City* target = CityAtIndex(v[2]);
        if (!target) return O::Drop;
        if (Troop* unit = city->FindUnitBySerial(v[1])) city->ApplyDeployUnitFollow(unit, target);
        return O::Relay;
    }
    case kRecordDeployUnit:
        // city, unit, raid flag
        if (Troop* unit = city->FindUnitBySerial(v[1]))
            city->ApplyDeployUnit(unit, static_cast<uint8_t>(v[2]));
        return O::Relay;
    case kRecordAdmitUnit:
        return ApplyAdmitUnit(city, v[1]);
    case kRecordCityDestroy:
        return ApplyCityDestroy(city, v);
    case kRecordSpawnPerson: {
        // city, stamp, place kind, template
        SubCastle* sub = PlaceSubCastle(city, v[2]);
        if (!GeneralTemplate(static_cast<int32_t>(v[3]))) return O::Drop;
        if (sub) SpawnPersonFromCommand(sub, static_cast<int32_t>(v[1]), static_cast<int32_t>(v[3]));
        return O::Relay;
    }
    case kRecordTroopEntry:
        return ApplyTroopEntry(city, v);
    default:
        return O::Drop;
    }
}

CommandOutcome ReceiveGameRecord(std::span<const uint8_t> record) {
    static GameRecordChannel spare;
    GameRecordChannel* channel =
        TheGameController && TheGameController->recordChannel ? TheGameController->recordChannel : &spare;
    return channel->ApplyRecord(record);
}
