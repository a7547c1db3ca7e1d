#include "NetStation.h"
#include "Program/WorldDigest.h"
#include "troops/TroopFixture.h"

#include "net/ChatCommand.h"
#include "net/CommandLookups.h"
#include "net/GameRecordChannel.h"
#include "net/LevelUpCommand.h"
#include "net/StateCommands.h"
#include "net/SubCommands.h"
#include "net/TroopValueCommand.h"
#include "net/WireLayout.h"
#include "records/RecordTables.h"

#include <gtest/gtest.h>

#include <array>

using namespace nettest;
using trooptest::Battle;

namespace {

constexpr platform::SOCKET kClientSocket = 0x7FFF0002u;

// A host with two clients in its room (no connections: what it passes on waits in their queues)
// and a battle of two kingdoms at war, a troop each and a city of side 1 with a wall unit inside.
struct HostGuard : testing::Test {
    TestSide side;
    NetSession session{side};
    Battle b;
    Kingdom* k1 = b.AddKingdom(1, true);
    Kingdom* k2 = b.AddKingdom(2);
    Troop* own = b.AddTroop(k1, 5, 5);
    Troop* foe = b.AddTroop(k2, 20, 20);
    City* city = b.AddCity(k1, 30, 30);
    std::array<uint8_t, OfficerLayout::kSize> templateBlock{};

    void SetUp() override {
        Battle::War(k1, k2);
        auto* wall = new Troop(0, 10, 0, 0, 1, 0, 0, b.Officer(1, 1, 1, 421));
        wall->garrison = 1;
        city->units.Add(reinterpret_cast<uintptr_t>(wall));
        for (Troop* t : {own, foe}) {
            t->officer->Set(OfficerLayout::kMaxHp, 80);
            t->officer->Set(OfficerLayout::kHp, 70);
        }
        templateBlock[OfficerLayout::kSoldierType] = 1;
        GeneralTemplateTable[5] = templateBlock.data();
        GeneralTemplateCount = 6;
        TheGameController->networked = 1;
        TheGameController->isHost = 1;
        TheNetSession = &session;
        session.NetSessionInit();
        session.hostFlag = 1;
        platform::sockaddr_in address;
        address.sin_family = platform::AF_INET;
        address.sin_addr.s_addr = platform::inet_addr("127.0.0.1");
        for (uint16_t i = 0; i < 3; ++i) {
            address.sin_port = i;
            session.NetAddPeer("p", address, kClientSocket - 1 + i);
        }
        session.ownId = 1;
    }
    void TearDown() override { TheNetSession = nullptr; }

    size_t Queued() {
        size_t n = 0;
        for (NetPeer& p : session.peers)
            n += p.queue.size();
        return n;
    }
};

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

std::vector<uint8_t> Chat(uint32_t kingdom) {
    std::vector<uint8_t> p(kChatCommandSize, 'a');
    const std::vector<uint8_t> tail = WireLayout{4, 1, -3, 4}.Write({kingdom, 0, 0});
    std::copy(tail.begin(), tail.end(), p.begin() + kChatTextBytes);
    return p;
}

TEST_F(HostGuard, MalformedOutOfRangeAndHostOnlyCommandsFromAClientChangeNothingAndGoNowhere) {
    const uint32_t id = foe->UnitId();
    const uint32_t mine = own->UnitId();
    struct Case {
        const char* what;
        uint8_t code;
        std::vector<uint8_t> payload;
    } cases[] = {
        // Decided by the host alone.
        {"defeat", kTroopDefeatedCommand, Words({id, 1, 2, 0, 0, 0, 30000, 40000})},
        {"side switch", kSwitchForceCommand, Words({id, 1})},
        {"stand or move", kStandMoveCommand,
         WireLayout{4, 4, 4, 1, -3, 4, 4}.Write({id, 200000, 200000, 0, 5, 5})},
        // Sizes.
        {"value, short", kTroopValueCommand, Cut(Words({id, 2, 0, 0, 10, 1}), 23)},
        {"chat, short", kChatCommand, Cut(Chat(2), 111)},
        {"skill effect, long", kSkillEffectCommand, Words({id, 4, 2, 0})},
        {"sub 0x15, short", kSubCommandCode, Cut(PackSubCommand(kSubSetEquipment, {id, 2, 0, 0, 1, 0}), 27)},
        {"sub without handler", kSubCommandCode, Words({0x1b, 0})},
        {"sub beyond the family", kSubCommandCode, Words({0x30, 0})},
        {"record size word", kGameRecordCode, Words({kRecordCityToggle, 20, 0, 1})},
        {"record shorter than its id", kGameRecordCode, Words({kRecordCityStatusOp, 16, 0, 3})},
        // Ids, indexes, cells and kinds.
        {"value, no such troop", kTroopValueCommand, Words({999, 2, 0, 0, 10, 1})},
        {"value, kind 7", kTroopValueCommand, Words({id, 2, 0, 0, 10, 7})},
        {"value, scope 3", kTroopValueCommand, Words({id, 2, 0, 3, 10, 1})},
        {"skill effect, kind 7", kSkillEffectCommand, WireLayout{4, 4, 1, -3}.Write({id, 0x4, 7})},
        {"summon without template", kSkillEffectCommand, WireLayout{4, 4, 1, -3}.Write({id, 120, 6})},
        {"city action, no city", kCityActionCommand, WireLayout{4, 2, 2}.Write({5, 10, 10})},
        {"city action, off the map", kCityActionCommand, WireLayout{4, 2, 2}.Write({0, 999, 10})},
        {"chat, no such kingdom", kChatCommand, Chat(99)},
        {"equipment slot 10", kSubCommandCode, PackSubCommand(kSubSetEquipment, {id, 2, 0, 0, 10, 0})},
        {"equipment, no such item", kSubCommandCode,
         PackSubCommand(kSubSetEquipment, {id, 2, 0, 0, 1, 9999})},
        {"troop move kind 5", kSubCommandCode,
         PackSubCommand(kSubCityTroopMove, {0, mine, 0, mine, 5, 5, 0})},
        {"officer, template 0", kSubCommandCode, PackSubCommand(kSubCreateOfficer, {0, 0, 600})},
        {"officer, template 9999", kSubCommandCode, PackSubCommand(kSubCreateOfficer, {0, 9999, 600})},
        {"officer, no city", kSubCommandCode, PackSubCommand(kSubCreateOfficer, {7, 5, 600})},
        {"order mode, formation 8", kSubCommandCode,
         PackSubCommand(kSubOrderMode, {id, 2, 0, 0, 8, 0, 0, 0})},
        {"unit action 8", kSubCommandCode, PackSubCommand(kSubUnitAction, {0, 8, mine})},
        {"map object off the map", kSubCommandCode, PackSubCommand(kSubPlaceMapObject, {1, 1, 5, 5000})},
        {"status operation 7", kGameRecordCode, PackGameRecord(kRecordCityStatusOp, {0, 0, 7})},
        {"winner, no such kingdom", kGameRecordCode, PackGameRecord(kRecordWinner, {99, 0})},
        {"order without its target", kGameRecordCode,
         PackGameRecord(kRecordDeployWithOrder, {1, 0, 0, mine, 999})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint64_t before = WorldDigest();
        const size_t queued = Queued();
        const uint32_t dropped = session.droppedCommands;
        session.GameCommandDispatch(c.payload.data(), c.payload.size(), c.code, kClientSocket);
        EXPECT_EQ(WorldDigest(), before);
        EXPECT_EQ(Queued(), queued);
        EXPECT_EQ(session.droppedCommands, dropped + 1);
    }
    EXPECT_TRUE(side.chat.empty());

    // The same table's good neighbours change the world and go to both clients.
    struct Good {
        const char* what;
        uint8_t code;
        std::vector<uint8_t> payload;
    } good[] = {
        {"value", kTroopValueCommand, Words({id, 2, 0, 0, 10, 1})},
        {"order mode", kSubCommandCode, PackSubCommand(kSubOrderMode, {id, 2, 0, 0, 7, 2, 3, 2})},
        {"record", kGameRecordCode, PackGameRecord(kRecordCityToggle, {0, 1})},
        {"city action", kCityActionCommand, WireLayout{4, 2, 2}.Write({0, 10, 10})},
    };
    for (const Good& c : good) {
        SCOPED_TRACE(c.what);
        const uint64_t before = WorldDigest();
        const size_t queued = Queued();
        session.GameCommandDispatch(c.payload.data(), c.payload.size(), c.code, kClientSocket);
        EXPECT_NE(WorldDigest(), before);
        EXPECT_EQ(Queued(), queued + 2);
    }
    EXPECT_EQ(foe->officer->Get(OfficerLayout::kHp), 10);

    // Records about what this station does not know change nothing here and go on unaltered: the
    // clients decide for themselves.
    struct Passed {
        const char* what;
        std::vector<uint8_t> payload;
    } passed[] = {
        {"record of an unused id", Words({0x303, 16, 0, 0})},
        {"record of an id beyond the table", Words({0x999, 12, 7})},
        {"city entry, no city", PackGameRecord(kRecordCityEntry, {9, mine})},
        {"status, no city", PackGameRecord(kRecordCityStatusOp, {9, 0, 3})},
    };
    for (const Passed& c : passed) {
        SCOPED_TRACE(c.what);
        const uint64_t before = WorldDigest();
        const size_t queued = Queued();
        session.GameCommandDispatch(c.payload.data(), c.payload.size(), kGameRecordCode, kClientSocket);
        EXPECT_EQ(WorldDigest(), before);
        EXPECT_EQ(Queued(), queued + 2);
    }

    // A client's level-up is applied by the host and goes no further.
    const uint64_t before = WorldDigest();
    const size_t queued = Queued();
    const std::vector<uint8_t> levelUp = Words({id, 2, 0, 0, 0, 30000, 40000});
    session.GameCommandDispatch(levelUp.data(), levelUp.size(), kLevelUpCommand, kClientSocket);
    EXPECT_NE(WorldDigest(), before);
    EXPECT_EQ(Queued(), queued);
}

TEST_F(HostGuard, AClientsNewUnitIdIsReplacedByTheHostsOwn) {
    TheScreenSettings->serialCounter = 300;
    const std::vector<uint8_t> asked = PackSubCommand(kSubCreateOfficer, {0, 5, 42});
    session.GameCommandDispatch(asked.data(), asked.size(), kSubCommandCode, kClientSocket);
    const std::vector<uint8_t> stamped = PackSubCommand(kSubCreateOfficer, {0, 5, 300});
    for (NetPeer& p : session.peers) {
        if (p.id == 1) continue;
        ASSERT_EQ(p.queue.size(), 1u);
        EXPECT_EQ(p.queue.entries().front().data, stamped);
    }
    // The new officer waits in the city's reserve.
    EXPECT_NE(FindUnitInList(city->reserve, 300), nullptr);
    EXPECT_EQ(FindUnitInList(city->reserve, 42), nullptr);
    // The same officer again (a repeated copy) makes nothing new.
    const int count = city->reserve.GetCount();
    std::vector<uint8_t> relay;
    EXPECT_EQ(ReceiveSubCommand(stamped, false, relay), CommandOutcome::Relay);
    EXPECT_EQ(city->reserve.GetCount(), count);
}

TEST_F(HostGuard, AChatLineIsEndedCutAtACharacterAndPassedOnToEveryone) {
    struct Case {
        const char* what;
        uint32_t kingdom;
        uint8_t alliance;
        uint32_t whisper;
        bool shownHere;
        int colour;
    } cases[] = {
        {"public", 2, 0, 0, true, 0},
        {"alliance of an enemy", 2, 1, 0, false, 0},
        {"alliance of the own kingdom", 1, 1, 0, true, 1},
        {"whisper to the host", 2, 0, 2, true, 2},
        {"whisper to peer 3", 2, 0, 4, false, 0},
        {"the game's own line", 0, 1, 4, false, 0},
        {"the game's line to all", 0, 0, 0, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        side.chat.clear();
        std::vector<uint8_t> p(kChatCommandSize, 0);
        // 98 plain bytes, then the lead byte of a double-byte character and no terminator.
        std::fill(p.begin(), p.begin() + 98, 'x');
        p[98] = 0xA4;
        p[99] = 0x40;
        const std::vector<uint8_t> tail = WireLayout{4, 1, -3, 4}.Write({c.kingdom, c.alliance, c.whisper});
        std::copy(tail.begin(), tail.end(), p.begin() + kChatTextBytes);
        const size_t queued = Queued();
        session.GameCommandDispatch(p.data(), p.size(), kChatCommand, kClientSocket);
        EXPECT_EQ(Queued(), queued + 2);
        ASSERT_EQ(side.chat.size(), c.shownHere ? 1u : 0u);
        if (c.shownHere) {
            EXPECT_EQ(side.chat[0].first, std::string(98, 'x'));
            EXPECT_EQ(side.chat[0].second, c.colour);
        }
    }
    // What goes on is the line as read here: ended within its field.
    const std::vector<uint8_t>& passed = session.peers.back().queue.entries().back().data;
    EXPECT_EQ(passed[98], 0);
    EXPECT_EQ(passed[99], 0);
}

} // namespace
