#include "Program/WorldDigest.h"
#include "RelayPair.h"
#include "troops/TroopFixture.h"

#include "net/ChatCommand.h"
#include "net/CityValueCommand.h"
#include "net/CommandLookups.h"
#include "net/GameRecordChannel.h"
#include "net/LevelUpCommand.h"
#include "net/StateCommands.h"
#include "net/SubCommands.h"
#include "net/TroopCommandCodec.h"
#include "net/TroopValueCommand.h"
#include "net/room/GameCommandTable.h"
#include "platform/Sockets.h"
#include "records/CityRecordSenders.h"
#include "records/CityWorks.h"
#include "records/ItemRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "troops/TroopEquipmentTables.h"
#include "world/MapObject.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <mutex>

using namespace nettest;
using trooptest::Battle;

namespace {

constexpr int kTemplate = 5;

// One station's battle: the host plays side 1, the client side 2 (allies); side 3 fights both.
// Side 1 holds a city with a wall unit inside.
struct StationBattle {
    std::unique_ptr<Battle> battle;
    Globals globals;
    Kingdom* k[4] = {};
    Troop *a1 = nullptr, *b1 = nullptr, *foe = nullptr, *foe2 = nullptr, *wall = nullptr;
    City* city = nullptr;
    GameRecordChannel* channel = nullptr;

    StationBattle(NetSession& session, bool host) {
        std::lock_guard guard(GlobalsLock());
        battle = std::make_unique<Battle>();
        k[1] = battle->AddKingdom(1);
        k[2] = battle->AddKingdom(2);
        k[3] = battle->AddKingdom(3);
        k[1]->relations[2] = k[2]->relations[1] = 1;
        Battle::War(k[1], k[3]);
        Battle::War(k[2], k[3]);
        a1 = battle->AddTroop(k[1], 5, 5);
        b1 = battle->AddTroop(k[2], 8, 8);
        foe = battle->AddTroop(k[3], 20, 20);
        foe2 = battle->AddTroop(k[3], 22, 22, 1, 5); // a troop that goes over to whoever holds the ground
        city = battle->AddCity(k[1], 30, 30);
        wall = new Troop(0, 10, 0, 0, 1, 0, 0, battle->Officer(1, 1, 1, 421));
        wall->garrison = 1;
        city->units.Add(reinterpret_cast<uintptr_t>(wall));
        for (Troop* t : {a1, b1, foe, foe2}) {
            t->officer->Set(OfficerLayout::kMaxHp, 80);
            t->officer->Set(OfficerLayout::kHp, 70);
        }
        b1->statusBits = 0x6;
        foe->officer->Set(OfficerLayout::kActionAi, 3);
        city->statusFlags = 0x11;
        city->emptyFlag = 1;
        // Set once the troops stand: a troop made for the player's side starts with other values.
        battle->stage->playerSide = host ? 1 : 2;
        // The stations' unit counters differ: a client's new id never decides.
        TheScreenSettings->serialCounter = host ? 500 : 100;
        TheGameController->networked = 1;
        TheGameController->isHost = host ? 1 : 0;
        channel = TheGameController->recordChannel;
        TheNetSession = &session;
        globals = {TheScreenSettings, TheGameController, TheBattleMap, TheNetSession};
        Use({});
    }
    ~StationBattle() {
        std::lock_guard guard(GlobalsLock());
        Use(globals);
        TheNetSession = nullptr;
        battle.reset();
        Use({});
    }
};

// The station's receive side runs the game's own handlers inside its battle.
void ReceiveInto(Station& station, StationBattle& world) {
    RegisterTroopCommands(station.session.commands); // over the relay test's own code 1 and 3
    ReceiveUnder(station, world.globals,
                 {kTroopDefeatedCommand, kTroopValueCommand, kSkillEffectCommand, kCityActionCommand,
                  kLevelUpCommand, kSwitchForceCommand, kStandMoveCommand, kChatCommand, kGameRecordCode,
                  kSubCommandCode, kCityValueCommand});
    for (uint8_t code = kFirstTroopCommand; code <= kLastTroopCommand; ++code)
        ReceiveUnder(station, world.globals, {code});
}

uint64_t Digest(Station& s, StationBattle& w) {
    return In(s, w.globals, [] { return WorldDigest(); });
}

TEST(StateCommandRelay, AScriptedMixLeavesBothStationsWithOneWorld) {
    RelayPair pair;
    auto& host = pair.host;
    auto& client = pair.client;
    std::array<uint8_t, OfficerLayout::kSize> templateBlock{};
    {
        StationBattle hw(host->session, true);
        StationBattle cw(client->session, false);
        templateBlock[OfficerLayout::kSoldierType] = 1;
        templateBlock[OfficerLayout::kAttribute] = 1;
        templateBlock[OfficerLayout::kPersonNumber] = kTemplate;
        GeneralTemplateTable[kTemplate] = templateBlock.data();
        GeneralTemplateCount = kTemplate + 1;
        ReceiveInto(*host, hw);
        ReceiveInto(*client, cw);
        ASSERT_TRUE(pair.Join());
        const uint64_t start = Digest(*host, hw);
        ASSERT_EQ(Digest(*client, cw), start);

        // The client asks; nothing changes on the client before the host's copies come back. Two
        // quick hits before the echo both count.
        const uint64_t asked = In(*client, cw.globals, [&] {
            NetCmdAddTroopValue(cw.b1, -30, 1);
            NetCmdAddTroopValue(cw.b1, -30, 1);
            NetCmdCityAction(cw.city, 12, 30);
            NetCmdChatText("hello", 2, false, 0);
            NetCmdChatText("allies", 2, true, 0);
            NetCmdChatText("psst", 2, false, 1 + 1);
            NetCmdSetOrderMode(cw.b1, 3, 1, 2, 1);
            NetCmdCreateOfficer(cw.city, kTemplate);
            NetCmdForceFocus(cw.city);
            cw.channel->SendCityToggleFlag(cw.city, 1);
            return WorldDigest();
        });
        EXPECT_EQ(asked, start);
        auto newOfficer = [](Station& s, StationBattle& w) {
            return In(s, w.globals, [&] {
                for (Troop* t : ListValues<Troop>(w.city->reserve))
                    if (t->officer && t->officer->Get(OfficerLayout::kPersonNumber) == kTemplate)
                        return t->UnitId();
                return 0u;
            });
        };
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return newOfficer(*client, cw) != 0 && Digest(*client, cw) == Digest(*host, hw) &&
                   In(*client, cw.globals, [&] { return cw.city->toggleFlag; }) == 1;
        }));

        // The host decides the rest and every station applies it alike.
        In(*host, hw.globals, [&] {
            hw.a1->goalX = 9;
            hw.a1->goalY = 11;
            NetCmd27(hw.a1, 1);
            EXPECT_TRUE(NetCmd27(hw.foe, 2));
            NetCmdSkillEffect(hw.foe, -1, 3);
            NetCmdSkillEffect(hw.b1, 0x4, 2);
            NetCmdSwitchTroopForce(hw.foe2, 1);
            NetCmdTroopDefeated(hw.foe, 1, hw.a1);
            NetCmdAddTroopValue(hw.a1, 50, 4);
            NetCmdChatText("to Bo", 1, false, 2 + 1);
            // A record's caller applies it on the host and sends it.
            for (const std::vector<uint8_t>& r :
                 {PackGameRecord(kRecordCityStatusOp, {0, 0, 3}),
                  PackGameRecord(kRecordCreatePerson, {2, 0, 0, kTemplate, 777}),
                  PackGameRecord(kRecordCityEntry, {0, hw.b1->UnitId()})})
                EXPECT_EQ(hw.channel->ApplyRecord(r), CommandOutcome::Relay);
            hw.channel->SendCityStatusOp(hw.city, 0, 3);
            hw.channel->SendCreatePerson(2, hw.city, 0, kTemplate, 777);
            // A repeated record makes nothing twice.
            hw.channel->SendCreatePerson(2, hw.city, 0, kTemplate, 777);
            hw.channel->SendCityEntry(hw.city, hw.b1);
            NetCmdChatText("done", 0, false, 0);
            return 0;
        });
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return client->side.chat.size() >= 4 && Digest(*client, cw) == Digest(*host, hw);
        }));

        const uint64_t end = Digest(*host, hw);
        EXPECT_NE(end, start);
        EXPECT_EQ(Digest(*client, cw), end);
        for (auto* pair : {&hw, &cw}) {
            StationBattle& w = *pair;
            Station& s = pair == &hw ? *host : *client;
            In(s, w.globals, [&] {
                EXPECT_EQ(w.b1->officer->Get(OfficerLayout::kHp), 10);
                EXPECT_EQ(w.b1->statusBits, 0x2u);
                EXPECT_EQ(w.b1->officer->Get(OfficerLayout::kFormation), 3);
                EXPECT_EQ(w.wall->cellY, 30 + 2); // sent out next to the city
                EXPECT_EQ(w.wall->goalX, 12);
                // The city action raised the sortie count; the capture that came after cleared it.
                EXPECT_EQ(w.city->sortieCount, 0);
                EXPECT_EQ(w.city->ownerSide, 2);
                EXPECT_EQ(w.k[1]->focusCity, w.city);
                EXPECT_EQ(w.a1->anchorX, 5); // the route leg starts from here
                EXPECT_EQ(w.a1->goalX, 9);
                EXPECT_EQ(w.foe->order->orderState, 2);
                EXPECT_EQ(w.foe->deadFlag, 1);
                EXPECT_EQ(w.k[1]->tally[0], 1); // an ordinary officer defeated
                EXPECT_EQ(w.k[3]->tally[4], 1); // and lost
                EXPECT_EQ(w.foe2->owner, 1);
                EXPECT_EQ(w.a1->officer->Get(OfficerLayout::kLoyalty), 50);
                EXPECT_EQ(w.city->statusFlags, 0x10);
                EXPECT_EQ(w.city->emptyFlag, 0);
                EXPECT_NE(FindUnitInList(w.city->units, 777), nullptr);
                EXPECT_EQ(w.city->units.GetCount(), 1);   // the person (the wall unit went out)
                EXPECT_EQ(w.city->reserve.GetCount(), 1); // the officer asked for
                return 0;
            });
        }
        // The officer a client asked for carries the host's id, never the client's own draw.
        EXPECT_EQ(newOfficer(*host, hw), 500u);
        EXPECT_EQ(newOfficer(*client, cw), 500u);

        // Chat: the host shows the client's lines (its whisper too); the client shows what is
        // its own or its allies', the whisper meant for it and the game's line in its colour.
        const std::vector<std::pair<std::string, int>> hostChat = {{"hello", 0}, {"allies", 1}, {"psst", 2}};
        EXPECT_EQ(host->side.chat, hostChat);
        const std::vector<std::pair<std::string, int>> clientChat = {
            {"hello", 0}, {"allies", 1}, {"to Bo", 2}, {"done", 3}};
        EXPECT_EQ(client->side.chat, clientChat);

        pair.CloseSessions();
    }
}

// What both stations hold besides the shared start: two plots of the city, a general its spawned
// troops copy, gold, a keeper's place, and the client's troop standing where it picks items up.
constexpr int kBuiltX = 20, kPlotX = 22, kSiteY = 50;
constexpr int kItemX = 9, kItemY = 8;

void AddCityWorks(StationBattle& w) {
    w.city->id = 1; // the map finds a city by its id one past its table index
    w.city->sites.Add(reinterpret_cast<uintptr_t>(new SavedRecord(kBuiltX, kSiteY, 3)));
    w.city->sites.Add(reinterpret_cast<uintptr_t>(new SavedRecord(kPlotX, kSiteY, 1)));
    reinterpret_cast<SavedRecord*>(w.city->sites.GetAt(0))->work = 95;
    auto* model = new OfficerRecord(1, -1);
    model->Set(OfficerLayout::kAttribute, 1);
    w.city->generals.Add(reinterpret_cast<uintptr_t>(model));
    w.city->SetInt(CityLayout::kGold, 100);
    auto* keep = new SubCastle(0);
    keep->SetInt(SubCastleLayout::kKind, 4);
    keep->ownerSide = 1;
    keep->cityId = w.city->id;
    keep->entranceX = 34;
    keep->entranceY = 30;
    w.city->subCastles.Add(reinterpret_cast<uintptr_t>(keep));
    w.foe2->ledUnit = 1;
    w.city->SetInt(CityLayout::kScale, 1);
    w.city->recruitCity = w.city;
    w.city->recruitKind = 0;
    // The pick-up box of a troop reaches from 80 to 120 pixels right and 160 to 190 down.
    w.b1->pixelX = kItemX * 40 - 100;
    w.b1->pixelY = kItemY * 20 - 180;
}

SavedRecord* Site(City* city, int x) {
    return city->FindSiteAt(x, kSiteY);
}

TEST(StateCommandRelay, CityWorksMapObjectsAndKeepersReachEveryStation) {
    RelayPair pair;
    auto& host = pair.host;
    auto& client = pair.client;
    std::array<uint8_t, OfficerLayout::kSize> templateBlock{};
    {
        StationBattle hw(host->session, true);
        StationBattle cw(client->session, false);
        templateBlock[OfficerLayout::kPersonNumber] = kTemplate;
        GeneralTemplateTable[kTemplate] = templateBlock.data();
        GeneralTemplateCount = kTemplate + 1;
        In(*host, hw.globals, [&] { return AddCityWorks(hw), 0; });
        In(*client, cw.globals, [&] { return AddCityWorks(cw), 0; });
        ReceiveInto(*host, hw);
        ReceiveInto(*client, cw);
        ASSERT_TRUE(pair.Join());
        ASSERT_EQ(Digest(*client, cw), Digest(*host, hw));

        // The client asks: a plot's new kind, and two quick payments that both count.
        In(*client, cw.globals, [&] {
            cw.city->RequestPlotKind(kPlotX, kSiteY, 5);
            NetCmdAddCityValue(cw.city, -30, kCityGold);
            NetCmdAddCityValue(cw.city, -30, kCityGold);
            EXPECT_EQ(Site(cw.city, kPlotX)->kind, 1); // only the host decides
            return 0;
        });
        // The host's city works, its status, a spawned troop, a recruit, a trained soldier, the
        // city's growth, the current unit, an item on the map and a troop entering the keeper's
        // place.
        uint32_t spawned = 0, recruit = 0, trained = 0;
        In(*host, hw.globals, [&] {
            hw.city->TickConstruction();
            TheScreenSettings->serialCounter = 600;
            recruit = 600;
            hw.city->RequestAddSoldier();
            TheScreenSettings->serialCounter = 700;
            trained = 700;
            hw.city->trainingQueue.Add(reinterpret_cast<uintptr_t>(new TrainingEntry(kTemplate)));
            hw.city->TickTraining();
            // What the city's development choice does when it grows the city.
            hw.city->ApplyUpgrade();
            CurrentCityRecordSenders().upgrade(*hw.city);
            TheScreenSettings->serialCounter = 500;
            hw.city->pendingStatus = 0x100;
            hw.city->CommitStatusFlags();
            const uint32_t before = TheScreenSettings->serialCounter;
            hw.city->RequestSpawnTroop();
            spawned = before;
            NetCmdCheckAndSend(hw.city, 1, hw.wall);
            NetCmdPlaceMapObject(1, 1, kItemX, kItemY);
            hw.city->FindSubCastleOfKind(4)->RequestTroopEntry(hw.foe2);
            return 0;
        });
        auto settled = [&] {
            return In(*client, cw.globals,
                      [&] {
                          return cw.city->Int(CityLayout::kGold) == 40 && Site(cw.city, kPlotX)->kind == 5 &&
                                 TheBattleMap->GetCellObject(kItemX, kItemY) != nullptr &&
                                 cw.city->FindSubCastleOfKind(4)->units.GetCount() == 1 &&
                                 cw.city->reserve.GetCount() == 2;
                      }) &&
                   Digest(*client, cw) == Digest(*host, hw);
        };
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, settled));
        for (auto* pair : {&hw, &cw}) {
            StationBattle& w = *pair;
            Station& s = pair == &hw ? *host : *client;
            In(s, w.globals, [&] {
                EXPECT_EQ(w.city->Int(CityLayout::kGold), 40);
                EXPECT_EQ(Site(w.city, kBuiltX)->work, 100); // finished
                EXPECT_EQ(w.city->BuildingCount(3), 1);
                EXPECT_EQ(Site(w.city, kPlotX)->kind, 5);
                EXPECT_EQ(w.city->statusFlags, 0x100);
                EXPECT_NE(FindUnitInList(w.k[1]->fieldUnits, spawned), nullptr);
                EXPECT_EQ(w.city->currentUnit, w.wall);
                EXPECT_NE(FindUnitInList(w.city->reserve, recruit), nullptr);
                Troop* soldier = FindUnitInList(w.city->reserve, trained);
                EXPECT_NE(soldier, nullptr);
                if (soldier) EXPECT_EQ(soldier->officer->Get(OfficerLayout::kPersonNumber), kTemplate);
                EXPECT_EQ(w.city->reserve.GetCount(), 2);
                EXPECT_EQ(w.city->Scale(), 2);
                EXPECT_EQ(w.city->FindSubCastleOfKind(4)->units.GetAt(0),
                          reinterpret_cast<uintptr_t>(w.foe2));
                EXPECT_EQ(w.foe2->hidden, 1);
                return 0;
            });
        }

        // The client's troop walks past the item and asks; the host sends its keeper's unit out.
        In(*client, cw.globals, [&] { return cw.b1->PickUpItems(), 0; });
        In(*host, hw.globals, [&] {
            SubCastle* keep = hw.city->FindSubCastleOfKind(4);
            keep->sortieOrder = 4;
            keep->RequestDeployUnit(hw.foe2);
            return 0;
        });
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return In(*client, cw.globals,
                      [&] {
                          return cw.b1->officer->Get(OfficerLayout::kCarried) == 1 &&
                                 cw.city->FindSubCastleOfKind(4)->units.GetCount() == 0;
                      }) &&
                   Digest(*client, cw) == Digest(*host, hw);
        }));
        for (auto* pair : {&hw, &cw}) {
            StationBattle& w = *pair;
            Station& s = pair == &hw ? *host : *client;
            In(s, w.globals, [&] {
                EXPECT_EQ(w.b1->officer->Get(OfficerLayout::kCarried), 1);
                EXPECT_EQ(TheBattleMap->GetCellObject(kItemX, kItemY), nullptr);
                EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 0);
                EXPECT_EQ(w.foe2->hidden, 0);
                EXPECT_NE(FindUnitInList(w.k[3]->fieldUnits, w.foe2->UnitId()), nullptr);
                return 0;
            });
        }

        pair.CloseSessions();
    }
}

} // namespace

namespace {

// A skill that turns its troop into another form (added state 31), and two escort items: class 9
// calls the guard of template item + 154, class 10 the guard of template item + 151 with its mark.
constexpr int kFormSkill = 7, kGuardItem = 300, kMarkedGuardItem = 282;

struct EscortTables {
    std::array<uint8_t, OfficerLayout::kSize> general{};
    std::array<std::array<uint8_t, ItemRecord::kSize>, 2> items{};
    std::vector<uint8_t> skill = std::vector<uint8_t>(200, 0);
    const int32_t itemCount = ItemCount, templateCount = GeneralTemplateCount;

    EscortTables() {
        general[OfficerLayout::kSoldierType] = 1;
        general[OfficerLayout::kAttribute] = 3;
        for (int n : {kTemplate, kGuardItem + 154, kMarkedGuardItem + 151})
            GeneralTemplateTable[n] = general.data();
        GeneralTemplateCount = kGuardItem + 155;
        auto set = [](uint8_t* block, uint32_t offset, int32_t v) { std::memcpy(block + offset, &v, 4); };
        set(items[0].data(), ItemLayout::kCategory, 9);
        set(items[1].data(), ItemLayout::kCategory, 10);
        ItemTable[kGuardItem] = items[0].data();
        ItemTable[kMarkedGuardItem] = items[1].data();
        ItemCount = kGuardItem + 1;
        set(skill.data(), SkillStatus::kAddedState, 31);
        SkillTable[kFormSkill] = skill.data();
    }
    ~EscortTables() {
        for (int n : {kTemplate, kGuardItem + 154, kMarkedGuardItem + 151})
            GeneralTemplateTable[n] = nullptr;
        ItemTable[kGuardItem] = ItemTable[kMarkedGuardItem] = nullptr;
        SkillTable[kFormSkill] = nullptr;
        ItemCount = itemCount;
        GeneralTemplateCount = templateCount;
    }
};

uint32_t FollowerCount(const Troop* t) {
    return t->followers ? static_cast<uint32_t>(t->followers->GetCount()) : 0u;
}

} // namespace

// What a client asks for (escort items, a city's new escort, a reset, a level-up) reaches the host
// and comes back to it; what the host decides (a defeat with its drops, a change of form, orders a
// leader hands to its band) reaches the client. Both worlds end alike.
TEST(StateCommandRelay, EscortsDefeatsFormsAndBandOrdersReachBothStations) {
    RelayPair pair;
    auto& host = pair.host;
    auto& client = pair.client;
    EscortTables tables;
    {
        StationBattle hw(host->session, true);
        StationBattle cw(client->session, false);
        for (StationBattle* w : {&hw, &cw})
            In(w == &hw ? *host : *client, w->globals, [&] {
                w->battle->Type(kFormSkill + 3);
                w->b1->officer->Set(OfficerLayout::kTroopCapacity, 4);
                w->b1->officer->Set(OfficerLayout::kWeapon + 4 * 6, kGuardItem);
                w->b1->officer->Set(OfficerLayout::kWeapon + 4 * 7, kMarkedGuardItem);
                w->b1->officer->StatusWord() = 1;
                w->foe->officer->Set(OfficerLayout::kCarried, kTemplate);
                w->foe->officer->moreWords[0] = 9;
                w->a1->officer->Set(OfficerLayout::kControllable, 1);
                TheBattleMap->sideActive[1] = 0;
                return 0;
            });
        ReceiveInto(*host, hw);
        ReceiveInto(*client, cw);
        ASSERT_TRUE(pair.Join());
        ASSERT_EQ(Digest(*client, cw), Digest(*host, hw));

        In(*client, cw.globals, [&] {
            NetCmdUseItem(cw.b1, 6);
            NetCmdUseItem(cw.b1, 7);
            NetCmdCityTroopMove(cw.city, 0, nullptr, cw.b1, kTemplate, 4);
            NetCmdAddTroopValue(cw.b1, 0, 5);
            // A client's own level-up: applied where it happened, and by the host on arrival.
            cw.b1->officer->LevelUp(0, 30000, 40000);
            SendLevelUp(*cw.b1->officer, 0, 0, 0, 0, 30000, 40000);
            return 0;
        });
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return In(*client, cw.globals, [&] { return FollowerCount(cw.b1); }) == 3 &&
                   Digest(*client, cw) == Digest(*host, hw);
        }));

        In(*host, hw.globals, [&] {
            NetCmdCityTroopMove(hw.city, 0, nullptr, hw.a1, kTemplate, 4);
            NetCmdTargetTroop(hw.a1, hw.foe2);
            NetCmdSkillEffect(hw.a1, kFormSkill, 3);
            NetCmdTroopDefeated(hw.foe, 1, hw.a1);
            return 0;
        });
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return In(*client, cw.globals, [&] { return cw.foe->deadFlag; }) == 1 &&
                   Digest(*client, cw) == Digest(*host, hw);
        }));

        for (StationBattle* w : {&hw, &cw}) {
            In(w == &hw ? *host : *client, w->globals, [&] {
                const OfficerRecord& b1 = *w->b1->officer;
                // Both guard items were spent on their escorts, the marked one with its mark.
                EXPECT_EQ(b1.Get(OfficerLayout::kWeapon + 4 * 6), 0);
                EXPECT_EQ(b1.Get(OfficerLayout::kWeapon + 4 * 7), 0);
                EXPECT_NE(w->b1->attachedEffects[5], nullptr);
                EXPECT_EQ(FollowerCount(w->b1), 3u);
                // The reset took the troop back to active and standing.
                EXPECT_EQ(b1.StatusWord(), 0);
                EXPECT_EQ(w->b1->flags, 6u);
                EXPECT_EQ(b1.Get(OfficerLayout::kLoyalty), 3);
                // The leader's new escort takes on the leader's enemy.
                EXPECT_EQ(FollowerCount(w->a1), 1u);
                if (FollowerCount(w->a1) == 1)
                    EXPECT_EQ(reinterpret_cast<Troop*>(w->a1->followers->GetAt(0))->targetTroop, w->foe2);
                // The change of form cast its skill.
                EXPECT_NE(w->a1->statusBits & 0x40000, 0u);
                EXPECT_EQ(w->a1->currentType, kFormSkill + 3);
                // The defeated troop dropped what it carried; its record values were cleared.
                EXPECT_EQ(w->foe->officer->Get(OfficerLayout::kCarried), 0);
                EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 1);
                return 0;
            });
        }
        EXPECT_EQ(In(*host, hw.globals, [&] { return hw.foe->officer->moreWords[0]; }), 0);
        pair.CloseSessions();
    }
}
