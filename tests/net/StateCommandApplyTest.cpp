#include "troops/TroopFixture.h"

#include "engine/Random.h"
#include "net/CommandLookups.h"
#include "net/GameRecordChannel.h"
#include "net/LevelUpCommand.h"
#include "net/PendingValues.h"
#include "net/StateCommands.h"
#include "net/SubCommands.h"
#include "net/TroopValueCommand.h"
#include "net/WireLayout.h"
#include "records/RecordTables.h"
#include "support/SentCommands.h"
#include "support/SoundRecorder.h"
#include "troops/SoldierTypeColumns.h"

#include <gtest/gtest.h>

#include <array>

using trooptest::Battle;

namespace {

struct StateApply : testing::Test {
    Battle b;
    Kingdom* k1 = b.AddKingdom(1, true);
    Kingdom* k2 = b.AddKingdom(2);
    Troop* own = b.AddTroop(k1, 5, 5);
    Troop* foe = b.AddTroop(k2, 20, 20);
    City* city = b.AddCity(k1, 30, 30);
    Troop* inside = nullptr;
    std::array<uint8_t, OfficerLayout::kSize> templateBlock{};

    void SetUp() override {
        Battle::War(k1, k2);
        own->homeCity = static_cast<int16_t>(city->id); // a refill needs the home city
        inside = new Troop(0, 10, 0, 0, 1, static_cast<int16_t>(city->id), 0, b.Officer(1, 1, 2, 421));
        inside->garrison = 1;
        city->units.Add(reinterpret_cast<uintptr_t>(inside));
        templateBlock[OfficerLayout::kSoldierType] = 1;
        for (int n : {455, 456})
            GeneralTemplateTable[n] = templateBlock.data();
        GeneralTemplateCount = 457;
        testsupport::CaptureSentCommands();
    }
    void Role(bool networked, bool host) {
        TheGameController->networked = networked;
        TheGameController->isHost = host;
    }
};

TEST_F(StateApply, EntriesApplyAndSendByTheirRoles) {
    struct Case {
        const char* what;
        bool networked, host;
        bool applied;
        size_t sent;
    };
    // A defeat (19) is the host's: a client neither applies nor sends it.
    for (const Case& c : {Case{"single play", false, false, true, 0}, Case{"host", true, true, true, 1},
                          Case{"client", true, false, false, 0}}) {
        SCOPED_TRACE(c.what);
        Troop* t = b.AddTroop(k2, 6, 6);
        testsupport::CaptureSentCommands();
        Role(c.networked, c.host);
        NetCmdTroopDefeated(t, 1, nullptr);
        EXPECT_EQ(t->deadFlag != 0, c.applied);
        EXPECT_EQ(testsupport::SentCommands().size(), c.sent);
    }
    // A skill effect (23) a client sends and waits for; the host applies and sends.
    for (const Case& c : {Case{"single play", false, false, true, 0}, Case{"host", true, true, true, 1},
                          Case{"client", true, false, false, 1}}) {
        SCOPED_TRACE(c.what);
        testsupport::CaptureSentCommands();
        // A sleeper (0x2000) that took the order lock: the clear wakes it and gives the lock back.
        own->statusBits = 0x2002;
        own->flags |= 0x08;
        own->statusEffects[13].delta[0] = 1;
        Role(c.networked, c.host);
        NetCmdSkillEffect(own, 0x2000, 2);
        EXPECT_EQ(own->statusBits == 0x2, c.applied);
        EXPECT_EQ((own->flags & 0x08) == 0, c.applied);
        own->flags &= ~0x08u;
        ASSERT_EQ(testsupport::SentCommands().size(), c.sent);
        if (c.sent) EXPECT_EQ(testsupport::SentCommands()[0].code, kSkillEffectCommand);
    }
}

TEST_F(StateApply, ADefeatSeedsTheGameTalliesAndTakesTheTroopOut) {
    Role(true, false);
    TheGameController->viewLeft = 0;
    TheGameController->viewRight = 25;
    TheGameController->viewTop = 0;
    TheGameController->viewBottom = 60;
    b.Type(foe->currentType, {{SoldierColumn::kDeathSound, 44}});
    testsupport::SoundRecorder sounds;
    ApplyTroopDefeat(foe, 1, 0, 30001, 40002);
    EXPECT_EQ(RandomSeed, 30001u);
    EXPECT_EQ(RandomMultiplier, 40002u);
    EXPECT_EQ(foe->deadFlag, 1);
    EXPECT_FALSE(b.OnCell(foe, 20, 20));
    EXPECT_EQ(k1->tally[0], 1);
    EXPECT_EQ(k2->tally[4], 1);
    EXPECT_EQ(sounds.played, std::vector<std::string>{SoundEffectPath(44)}) << "its death sound, in view";

    // Inside a city the troop leaves the city and is gone; a soldier counts apart from officers.
    const std::vector<uint8_t> payload =
        WireLayout{4, 4, 4, 4, 4, 4, 4, 4}.Write({inside->UnitId(), 2, 1, uint32_t(city->id), 1, 2, 5, 6});
    EXPECT_EQ(ReceiveStateCommand(kTroopDefeatedCommand, payload), CommandOutcome::Applied);
    EXPECT_EQ(city->units.GetCount(), 0);
    EXPECT_EQ(k2->tally[3], 1);
    EXPECT_EQ(k1->tally[6], 1);
    // A second copy names nothing any more.
    EXPECT_EQ(ReceiveStateCommand(kTroopDefeatedCommand, payload), CommandOutcome::Drop);
}

TEST_F(StateApply, TroopValueKindsClampResetAndRefill) {
    OfficerRecord& o = *own->officer;
    o.Set(OfficerLayout::kMaxHp, 80);
    o.Set(OfficerLayout::kHp, 20);
    o.Set(OfficerLayout::kLoyalty, 95);
    Role(false, false);
    struct Case {
        int32_t delta, kind;
        uint32_t column;
        int32_t expected;
    } cases[] = {
        {10, 4, OfficerLayout::kLoyalty, 100}, // kept within 0..100
        {-200, 4, OfficerLayout::kLoyalty, 0},
        {7, 3, OfficerLayout::kGold, 7},
        {500, 6, OfficerLayout::kHp, 80}, // the refill stops at the maximum
    };
    for (const Case& c : cases) {
        NetCmdAddTroopValue(own, c.delta, c.kind);
        EXPECT_EQ(o.Get(c.column), c.expected) << c.kind;
    }
    own->state = 0;
    own->flags = 0x40;
    NetCmdAddTroopValue(own, 0, 5);
    EXPECT_EQ(own->flags, 6u);
    EXPECT_EQ(own->state, 10); // halted
}

TEST_F(StateApply, StandMoveAndRouteEnd) {
    own->goalX = 9;
    own->state = 3;
    EXPECT_FALSE(ApplyStandMove(own, 0));
    EXPECT_EQ(own->state, 10);
    EXPECT_EQ(own->goalX, own->cellX);
    struct Case {
        int32_t ai;
        bool taken;
        int8_t orderState;
    } cases[] = {{1, true, 12}, {3, true, 2}, {2, false, 0}};
    for (const Case& c : cases) {
        own->order->orderState = 0;
        own->order->stormThenRoam = 0;
        own->officer->Set(OfficerLayout::kActionAi, c.ai);
        EXPECT_EQ(ApplyStandMove(own, 2), c.taken);
        EXPECT_EQ(own->order->orderState, c.orderState);
        EXPECT_EQ(own->order->stormThenRoam, c.ai == 3 ? 1 : 0);
    }
}

TEST_F(StateApply, ASummonStandsAtTheCastersCellForItsSide) {
    const int before = k1->fieldUnits.GetCount();
    ApplySkillEffectCommand(own, 103, 6);
    ApplySkillEffectCommand(own, 120, 6);
    ASSERT_EQ(k1->fieldUnits.GetCount(), before + 2);
    auto* lesser = reinterpret_cast<Troop*>(k1->fieldUnits.GetAt(before));
    auto* greater = reinterpret_cast<Troop*>(k1->fieldUnits.GetAt(before + 1));
    EXPECT_EQ(lesser->pieceMode, 1);
    EXPECT_EQ(greater->pieceMode, 3);
    EXPECT_EQ(lesser->cellX, own->cellX);
    EXPECT_EQ(lesser->owner, 1);
}

TEST_F(StateApply, EquipmentAndOrderModeLandInTheOfficerWhereverTheTroopStands) {
    Role(false, false);
    NetCmdSetOrderMode(inside, 4, 2, 3, 1);
    EXPECT_EQ(inside->officer->Get(OfficerLayout::kFormation), 4);
    EXPECT_EQ(inside->officer->Get(OfficerLayout::kRetreat), 1);
    NetCmdDropItem(inside, 9, 0);
    inside->officer->Set(OfficerLayout::kWeapon + 4 * 9, 77);
    NetCmdDropItem(inside, 9, 0);
    EXPECT_EQ(inside->officer->Get(OfficerLayout::kWeapon + 4 * 9), 0);
}

} // namespace

namespace {

TEST(PendingValuesTest, AClientBuildsOnWhatItSentUntilTheHostsCopyReturns) {
    PendingValues p;
    const uint64_t key = PendingKey(48, 3, 0x1c);
    EXPECT_EQ(p.Base(key, 100), 100);
    p.Sent(key, 90, 90);
    p.Sent(key, 80, 80);
    EXPECT_EQ(p.Base(key, 100), 80);
    p.Echo(key, 55); // a value the host set on its own settles nothing
    EXPECT_EQ(p.Base(key, 100), 80);
    p.Echo(key, 90);
    EXPECT_EQ(p.Base(key, 90), 80);
    p.Echo(key, 80);
    EXPECT_TRUE(p.Empty());
    EXPECT_EQ(p.Base(key, 80), 80);
    // Another key is another value.
    p.Sent(key, 1, 1);
    EXPECT_EQ(p.Base(PendingKey(48, 4, 0x1c), 7), 7);
}

TEST_F(StateApply, TwoQuickPurchasesOnAClientBothCostTheMerchant) {
    auto* market = new SubCastle(0);
    market->SetInt(SubCastleLayout::kKind, 4);
    market->keeper = b.AddTroop(k2, 1, 1);
    k2->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(market->keeper));
    market->keeper->officer->Set(OfficerLayout::kMp, 100);
    city->subCastles.Add(reinterpret_cast<uintptr_t>(market));
    Role(true, false);
    ClientPendingValues().Clear();
    NetCmdSpecialWindowList(city, -1, 0, KeeperGaugeBase(city) - 30);
    NetCmdSpecialWindowList(city, -1, 0, KeeperGaugeBase(city) - 30);
    const std::vector<testsupport::SentCommand>& sent = testsupport::SentCommands();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(UnpackSubCommand(sent[0].payload)->at(3), 70u);
    EXPECT_EQ(UnpackSubCommand(sent[1].payload)->at(3), 40u);
    // The host's copies come back: the keeper ends at 40 and nothing is left pending.
    for (const auto& c : sent) {
        std::vector<uint8_t> relay;
        EXPECT_EQ(ReceiveSubCommand(c.payload, false, relay), CommandOutcome::Relay);
    }
    EXPECT_EQ(market->keeper->officer->Get(OfficerLayout::kMp), 40);
    EXPECT_TRUE(ClientPendingValues().Empty());
}

} // namespace

namespace {

TEST_F(StateApply, StageEndRecordsNameAWinnerOrNone) {
    b.stage->playerKingdom = k1;
    struct Case {
        uint32_t winner;
        int32_t result;
    } cases[] = {{0, 4}, {1, 5}, {2, 4}};
    for (const Case& c : cases) {
        b.stage->result = 0;
        EXPECT_EQ(ReceiveGameRecord(PackGameRecord(kRecordWinner, {c.winner, 0})), CommandOutcome::Relay);
        EXPECT_EQ(b.stage->result, c.result) << c.winner;
    }
}

TEST_F(StateApply, AClientsResetOfATroopCarriesZero) {
    Role(true, false);
    own->flags = 0x40;
    NetCmdAddTroopValue(own, 35, 5);
    EXPECT_EQ(own->flags, 0x40u); // not before the host's copy
    ASSERT_EQ(testsupport::SentCommands().size(), 1u);
    const std::vector<uint8_t>& p = testsupport::SentCommands()[0].payload;
    EXPECT_EQ(WireLayout({4, 4, 4, 4, 4, 4}).Read(p)->at(4), 0u);
    EXPECT_TRUE(ReceiveTroopValueCommand(p));
    EXPECT_EQ(own->flags, 6u);
}

} // namespace

namespace {

TEST_F(StateApply, ALevelUpFindsAnOfficerInsideItsCity) {
    Role(true, true);
    inside->officer->Set(OfficerLayout::kLoyalty, 40);
    SendLevelUp(*inside->officer, 7, 8, 9, 0, 30000, 40000);
    ASSERT_EQ(testsupport::SentCommands().size(), 1u);
    const std::vector<uint8_t>& p = testsupport::SentCommands()[0].payload;
    // The troop's side, home city and scope, never the caller's activity values.
    const auto fields = WireLayout({4, 4, 4, 4, 4, 4, 4}).Read(p);
    ASSERT_TRUE(fields);
    EXPECT_EQ((*fields)[1], 1u);
    EXPECT_EQ((*fields)[2], uint32_t(city->id));
    EXPECT_EQ((*fields)[3], 1u);
    EXPECT_TRUE(ReceiveLevelUpCommand(p));
    EXPECT_EQ(inside->officer->Get(OfficerLayout::kLoyalty), 43);
}

} // namespace

namespace {

// A keeper's place sends a unit out: the record names the unit's target as its order kind says,
// and a station that applies it sends the same unit out after the same target.
TEST_F(StateApply, ASortieRecordCarriesTheTargetOfItsOrderKind) {
    city->id = 1; // the map finds a city by its id one past its table index
    auto* keep = new SubCastle(0);
    keep->SetInt(SubCastleLayout::kKind, 4);
    keep->ownerSide = 1;
    keep->cityId = city->id;
    keep->entranceX = 15;
    keep->entranceY = 15;
    auto* post = new SubCastle(0);
    post->SetInt(SubCastleLayout::kKind, 5);
    city->subCastles.Add(reinterpret_cast<uintptr_t>(keep));
    city->subCastles.Add(reinterpret_cast<uintptr_t>(post));
    struct Case {
        int32_t order;
        uint32_t target, target2, x, y;
    } cases[] = {
        {1, foe->UnitId(), 0, 0, 0},
        {2, 0x50000u, 5, 0, 0}, // the post's key: city index 0 in the low half
        {3, 0, 0, 0, 0},
        {9, 0, 0, 12, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        auto* unit = b.AddTroop(k1, 1, 1);
        k1->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(unit));
        unit->hidden = 1;
        keep->units.Add(reinterpret_cast<uintptr_t>(unit));
        unit->targetTroop = foe;
        unit->targetCity = city;
        unit->targetObject = post;
        unit->targetWord = 0x50007u;
        unit->goalX = 12;
        unit->goalY = 14;
        keep->sortieOrder = c.order;
        Role(true, true);
        testsupport::CaptureSentCommands();
        keep->RequestDeployUnit(unit);
        ASSERT_EQ(testsupport::SentRecords().size(), 1u);
        const auto fields = UnpackGameRecord(testsupport::SentRecords()[0]);
        ASSERT_TRUE(fields);
        EXPECT_EQ((*fields)[0], uint32_t(c.order));
        EXPECT_EQ((*fields)[2], 4u); // from the keeper's place
        EXPECT_EQ((*fields)[3], unit->UnitId());
        EXPECT_EQ((*fields)[4], c.target);
        EXPECT_EQ((*fields)[5], c.target2);
        if (c.order == 9) EXPECT_EQ((*fields)[6], 12u);

        // A client applies it to its own copy of the unit, which knows no target yet.
        Role(true, false);
        k1->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(unit));
        keep->units.Add(reinterpret_cast<uintptr_t>(unit));
        unit->targetTroop = nullptr;
        unit->targetCity = nullptr;
        unit->targetObject = nullptr;
        unit->goalX = unit->goalY = 0;
        EXPECT_EQ(ReceiveGameRecord(testsupport::SentRecords()[0]), CommandOutcome::Relay);
        EXPECT_FALSE(keep->units.Contains(reinterpret_cast<uintptr_t>(unit)));
        switch (c.order) {
        case 1:
            EXPECT_EQ(unit->targetTroop, foe);
            break;
        case 2:
            EXPECT_EQ(unit->targetObject, post);
            EXPECT_EQ(unit->targetCity, city);
            break;
        case 3:
            EXPECT_EQ(unit->targetCity, city);
            break;
        default:
            EXPECT_EQ(unit->goalX, 12);
            EXPECT_EQ(unit->goalY, 14);
        }
    }
    // An order after a troop that is not here is dropped, not passed on.
    EXPECT_EQ(ReceiveGameRecord(PackGameRecord(kRecordDeployWithOrder, {1, 0, 4, 1, 999, 0, 0, 0})),
              CommandOutcome::Drop);
}

} // namespace
