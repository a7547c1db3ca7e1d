#include "net/TroopValueCommand.h"
#include "TroopFixture.h"
#include "engine/ByteReader.h"
#include "net/LevelUpCommand.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <vector>

using trooptest::Battle;

namespace {

std::vector<std::vector<uint8_t>>* sent = nullptr;
void Record(uint8_t code, const uint8_t* payload, size_t length) {
    if (code == kTroopValueCommand) sent->emplace_back(payload, payload + length);
}

std::vector<uint8_t> Payload(uint32_t id, uint32_t scope, int32_t value, uint32_t kind) {
    ByteWriter w;
    for (uint32_t v : {id, 1u, 0u, scope, uint32_t(value), kind})
        w.u32(v);
    return w.buffer();
}

struct TroopValue : testing::Test {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = b.AddTroop(k, 5, 5);
    std::vector<std::vector<uint8_t>> out;
    void SetUp() override {
        sent = &out;
        SetGameCommandSender(Record);
        t->officer->Set(OfficerLayout::kMaxHp, 80);
        t->officer->Set(OfficerLayout::kHp, 50);
        t->officer->Set(OfficerLayout::kMaxMp, 30);
        t->officer->Set(OfficerLayout::kMp, 10);
    }
    void TearDown() override { sent = nullptr; }
};

TEST_F(TroopValue, EntriesApplyWhereDecisionsAreMadeAndSendTheNewValue) {
    struct Case {
        const char* what;
        bool networked, host;
        int32_t delta, kind;
        int hp, mp;
        size_t sent;
    } cases[] = {
        {"single play", false, false, 5, 1, 55, 10, 0},
        {"host, over the maximum", true, true, 40, 1, 80, 10, 1},
        {"client only sends", true, false, 5, 2, 50, 10, 1},
        {"host, below zero", true, true, -20, 2, 50, 0, 1},
        {"a kind no receiver knows", true, true, 5, 7, 50, 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t->officer->Set(OfficerLayout::kHp, 50);
        t->officer->Set(OfficerLayout::kMp, 10);
        out.clear();
        TheGameController->networked = c.networked;
        TheGameController->isHost = c.host;
        NetCmdAddTroopValue(t, c.delta, c.kind);
        EXPECT_EQ(t->officer->Get(OfficerLayout::kHp), c.hp);
        EXPECT_EQ(t->officer->Get(OfficerLayout::kMp), c.mp);
        ASSERT_EQ(out.size(), c.sent);
        if (c.sent) {
            const int32_t before = c.kind == 1 ? 50 : 10;
            EXPECT_EQ(out[0], Payload(t->UnitId(), 0, before + c.delta, uint32_t(c.kind)));
        }
    }
}

TEST_F(TroopValue, TheReceiverClampsAndDropsWhatNamesNothing) {
    EXPECT_TRUE(ReceiveTroopValueCommand(Payload(t->UnitId(), 0, 500, 1)));
    EXPECT_EQ(t->officer->Get(OfficerLayout::kHp), 80);
    EXPECT_TRUE(ReceiveTroopValueCommand(Payload(t->UnitId(), 0, -3, 2)));
    EXPECT_EQ(t->officer->Get(OfficerLayout::kMp), 0);
    const std::vector<uint8_t> bad[] = {
        Payload(t->UnitId() + 100, 0, 1, 1), // no such troop
        Payload(t->UnitId(), 0, 1, 7),       // no such kind
        Payload(t->UnitId(), 2, 1, 1),       // not on the field
        std::vector<uint8_t>(23, 0),         // short
    };
    for (const auto& p : bad)
        EXPECT_FALSE(ReceiveTroopValueCommand(p));
    EXPECT_EQ(t->officer->Get(OfficerLayout::kHp), 80);
    EXPECT_EQ(t->officer->Get(OfficerLayout::kMp), 0);
}

} // namespace

namespace {

TEST_F(TroopValue, ALevelUpArrivesOnTheFieldTroopByItsIdOnly) {
    ByteWriter w;
    for (uint32_t v : {t->UnitId(), 1u, 0u, 0u, 0u, 30000u, 40000u})
        w.u32(v);
    t->officer->Set(OfficerLayout::kLoyalty, 40);
    std::vector<uint8_t> wrongId = w.buffer();
    wrongId[0] ^= 0x55;
    std::vector<uint8_t> inCity = w.buffer();
    inCity[12] = 1;
    for (const auto& p : {wrongId, inCity, std::vector<uint8_t>(w.buffer().begin(), w.buffer().end() - 1)})
        EXPECT_FALSE(ReceiveLevelUpCommand(p));
    EXPECT_EQ(t->officer->Get(OfficerLayout::kLoyalty), 40);
    EXPECT_TRUE(ReceiveLevelUpCommand(w.buffer()));
    EXPECT_EQ(t->officer->Get(OfficerLayout::kLoyalty), 43);
}

} // namespace
