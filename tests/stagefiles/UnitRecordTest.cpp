#include "stagefiles/UnitRecord.h"
#include "records/SubCastle.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "stagefiles/UnitRows.h"
#include "support/StageBytes.h"
#include "troops/TroopFixture.h"
#include "world/RouteGraph.h"
#include "world/UnitPath.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <type_traits>
#include <vector>

using testsupport::StageBytes;
using U = UnitRecordLayout;
using unitrows::Distinct;
using unitrows::Row;
using unitrows::UnitRows;

namespace {

std::vector<uint8_t> Packed(const Troop& t) {
    StageWriter out;
    PackUnitRecord(out, t);
    return out.bytes();
}

class UnitRecordTest : public ::testing::Test {
protected:
    trooptest::Battle battle;
};

// Every carried field at its offset and width; every other byte of both records is zero.
TEST_F(UnitRecordTest, UnitRecordLayout) {
    Troop t(-1, 0, 1, 1, 1, 0, 0, nullptr);
    std::array<bool, U::kSize> named{};
    for (const Row& r : UnitRows())
        r.set(t, Distinct(r));
    const std::vector<uint8_t> b = Packed(t);
    ASSERT_EQ(b.size(), U::kSize + U::kOrderSize);
    for (const Row& r : UnitRows()) {
        EXPECT_EQ(StageBytes::Field(b, r.offset, r.width), Distinct(r)) << r.name << " at " << r.offset;
        for (int i = 0; i < r.width; ++i) {
            EXPECT_FALSE(named[r.offset + size_t(i)]) << r.name << " overlaps";
            named[r.offset + size_t(i)] = true;
        }
    }
    for (uint32_t at : {U::kTargetCells, U::kTargetCells + 4, U::kPathCount, U::kSearchCount,
                        U::kTargetSerials, U::kTargetSerials + 4})
        for (int i = 0; i < 4; ++i)
            named[at + size_t(i)] = true;
    for (size_t i = 0; i < U::kSize; ++i)
        if (!named[i]) EXPECT_EQ(b[i], 0) << "reserved byte " << i;
}

// The order record's named fields at their offsets; bytes 5-7, 21, 26-27 and 39-47 stay zero
// whatever the order holds there.
TEST_F(UnitRecordTest, OrderRecordLayout) {
    Troop t(-1, 0, 1, 1, 1, 0, 0, nullptr);
    TroopOrder& o = *t.order;
    o.alert = 0x11;
    o.pursue = 0x22;
    o.spare[0] = 0x33;
    o.spare[1] = 0x44;
    o.stormThenRoam = 0x55;
    std::memset(o.reserved1, 0xEE, sizeof o.reserved1);
    o.secondX = 0x01020304;
    o.secondY = 0x05060708;
    o.postX = 0x0A0B;
    o.postY = 0x0C0D;
    o.orderState = 14;
    o.gatherX = 0x0E0F;
    o.gatherY = 0x1011;
    o.targetCityId = -1;
    o.wanderDirection = 0x66;
    for (size_t i = 0; i < sizeof o.reserved2; ++i)
        o.reserved2[i] = uint8_t(0x70 + i);
    const std::vector<uint8_t> all = Packed(t);
    const std::vector<uint8_t> b(all.begin() + U::kSize, all.end());
    const std::vector<std::tuple<uint32_t, int, uint32_t>> fields = {
        {0, 1, 0x11},       {1, 1, 0x22},        {2, 1, 0x33},        {3, 1, 0x44},    {4, 1, 0x55},
        {8, 4, 0x01020304}, {12, 4, 0x05060708}, {16, 2, 0x0A0B},     {18, 2, 0x0C0D}, {20, 1, 14},
        {22, 2, 0x0E0F},    {24, 2, 0x1011},     {28, 4, 0xFFFFFFFF}, {32, 1, 0x66},   {33, 1, 0x70},
        {34, 2, 0x7271},    {36, 2, 0x7473},     {38, 1, 0x75},
    };
    for (auto [at, width, value] : fields)
        EXPECT_EQ(StageBytes::Field(b, at, width), value) << "order offset " << at;
    for (uint32_t at : {5u, 6u, 7u, 21u, 26u, 27u, 39u, 40u, 45u, 47u})
        EXPECT_EQ(b[at], 0) << "order offset " << at;

    Troop back(-1, 0, 1, 1, 1, 0, 0, nullptr);
    UnpackOrderRecord(b.data(), back);
    StageWriter again;
    PackUnitRecord(again, back);
    EXPECT_EQ(std::vector<uint8_t>(again.bytes().begin() + U::kSize, again.bytes().end()), b);
}

// The two node lists follow the order record, counted at 332 and 336, with zero link words, and
// read back linked in file order.
TEST_F(UnitRecordTest, NodeListsAreCountedAndRelinked) {
    Troop t(-1, 0, 1, 1, 1, 0, 0, nullptr);
    t.waypoints = new PathWaypoint{100, 200, 2, new PathWaypoint{-5, 7, 1, nullptr}};
    t.route = new RouteStep{9, 8, nullptr};
    const std::vector<uint8_t> b = Packed(t);
    ASSERT_EQ(b.size(), U::kSize + U::kOrderSize + 2 * 16 + 12);
    EXPECT_EQ(StageBytes::Field(b, U::kPathCount, 4), 2u);
    EXPECT_EQ(StageBytes::Field(b, U::kSearchCount, 4), 1u);
    const size_t nodes = U::kSize + U::kOrderSize;
    const std::vector<uint8_t> expected =
        StageBytes().words({100, 200, 2, 0}).words({uint32_t(-5), 7, 1, 0}).words({9, 8, 0}).data();
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(nodes), b.end()), expected);

    Troop back(-1, 0, 1, 1, 1, 0, 0, nullptr);
    StageReader in(std::span<const uint8_t>(b).subspan(nodes), StageLoadMode::Restore);
    ASSERT_TRUE(ReadUnitNodes(in, back, 2, 1));
    ASSERT_TRUE(back.waypoints && back.waypoints->next);
    EXPECT_EQ(back.waypoints->next->x, -5);
    EXPECT_EQ(back.waypoints->next->next, nullptr);
    ASSERT_TRUE(back.route);
    EXPECT_EQ(back.route->y, 8);
    EXPECT_EQ(back.route->next, nullptr);

    Troop damaged(-1, 0, 1, 1, 1, 0, 0, nullptr);
    StageReader short_(std::span<const uint8_t>(b).subspan(nodes), StageLoadMode::Restore);
    EXPECT_FALSE(ReadUnitNodes(short_, damaged, 3, 0x40000000));
    EXPECT_EQ(damaged.waypoints, nullptr) << "nothing is made for counts the file cannot hold";
}

// Targets: a city, a sub-castle of attribute 4 (the word gets 0x0F000000) or 5, none; the target
// troop by cell and serial. A fresh stage drops them.
TEST_F(UnitRecordTest, TargetsAreWrittenAndFoundAgain) {
    Kingdom* k = battle.AddKingdom(1, true);
    battle.AddCity(k, 10, 20);
    City* city = battle.AddCity(k, 12, 24);
    auto* keep = new SubCastle(0);
    keep->SetInt(SubCastleLayout::kKind, 4);
    auto* post = new SubCastle(0);
    post->SetInt(SubCastleLayout::kKind, 5);
    city->subCastles.Add(uintptr_t(post));
    city->subCastles.Add(uintptr_t(keep));
    Troop enemy(-1, 0, 7, 9, 2, 0, 0, nullptr);
    enemy.officer = battle.Officer(2, 1);
    enemy.officer->serial = 4711;

    struct Case {
        const char* name;
        uint32_t word;
        RootObject* object;
        uint32_t stored;
        RootObject* expected;
    };
    const uint32_t id = uint32_t(city->id);
    const Case cases[] = {
        {"city", id, city, id, city},
        {"keeper's place", 0x10000 | id, keep, 0x0F010000 | id, keep},
        {"garrison post", 0x10000 | id, post, 0x10000 | id, post},
        {"none", 0, nullptr, 0, nullptr},
    };
    for (const Case& c : cases) {
        Troop t(-1, 0, 3, 3, 1, 0, 0, nullptr);
        t.actionCode = 6;
        t.targetWord = c.word;
        t.targetObject = c.object;
        t.targetTroop = &enemy;
        const std::vector<uint8_t> b = Packed(t);
        EXPECT_EQ(StageBytes::Field(b, U::kTargetWord, 4), c.stored) << c.name;
        EXPECT_EQ(StageBytes::Field(b, U::kTargetCells, 4), 7u | 9u << 16) << c.name;
        EXPECT_EQ(StageBytes::Field(b, U::kTargetSerials, 4), 4711u) << c.name;

        Troop back(-1, 0, 3, 3, 1, 0, 0, nullptr);
        UnpackUnitRecord(b.data(), back, 5, false);
        EXPECT_EQ(back.targetObject, c.expected) << c.name;
        EXPECT_EQ(back.targetWord, c.word) << c.name;
        EXPECT_EQ(back.targetTroop, nullptr) << c.name << ": found again by the soldier file";
        EXPECT_EQ(back.storedTargetCells[0][0], 7) << c.name;
        EXPECT_EQ(back.storedTargetCells[0][1], 9) << c.name;
        EXPECT_EQ(back.storedTargetSerials[0], 4711u) << c.name;

        Troop fresh(-1, 0, 3, 3, 1, 0, 0, nullptr);
        UnpackUnitRecord(b.data(), fresh, 5, true);
        EXPECT_EQ(fresh.targetObject, nullptr) << c.name;
        EXPECT_EQ(fresh.targetWord, 0u) << c.name;
    }
    Troop lone(-1, 0, 3, 3, 1, 0, 0, nullptr);
    const std::vector<uint8_t> b = Packed(lone);
    for (uint32_t at : {U::kTargetCells, U::kTargetCells + 4, U::kTargetSerials, U::kTargetSerials + 4})
        EXPECT_EQ(StageBytes::Field(b, at, 4), 0u);
}

// What loading changes: selection and byte 96 go, drawing mode 3 becomes 0, a hot-key group
// outside 0..9 becomes none, soldier type 123
// takes its pixel from the cell, range and missile come from the soldier type, the visible mark
// goes on a fresh stage, and the home city follows the file's version.
TEST_F(UnitRecordTest, UnpackingAppliesTheLoadRules) {
    battle.Type(
        2, {{SoldierColumn::kRangeStart, 3}, {SoldierColumn::kRangeEnd, 6}, {SoldierColumn::kMissile, 9}});
    StageBytes record(std::vector<uint8_t>(U::kSize, 0));
    record.put(U::kSelected, 1, 1).put(U::kTransient, 0x77, 1).put(U::kDrawingMode, 3, 1);
    record.put(U::kVisibleMark, 1, 1).put(48, 20, 2).put(50, 21, 2).put(52, 22, 1);
    record.put(U::kCellX, 5, 2).put(U::kCellY, 8, 2).put(U::kPixel, 1, 2).put(U::kPixel + 2, 1, 2);
    record.put(U::kOldHomeCity, 0x34, 1).put(U::kHomeCity, 0x1234, 2);
    const int8_t groups[4][2] = {{9, 9}, {12, -1}, {-1, -1}, {0, 0}};
    struct Case {
        int32_t type;
        int32_t version;
        bool fresh;
        int16_t range[2];
        uint8_t missile;
        int16_t pixel[2];
        int16_t home;
        uint8_t visible;
    };
    const Case cases[] = {
        {2, 5, false, {3, 6}, 9, {1, 1}, 0x1234, 1},
        {77, 2, false, {20, 21}, 22, {1, 1}, 0x34, 1},
        {123, 3, true, {20, 21}, 22, {5 * 40 - 100, 8 * 20 - 175}, 0x34, 0},
        {2, 0, true, {3, 6}, 9, {1, 1}, 0x34, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        record.put(U::kBaseType, uint32_t(c.type), 4).put(260, uint32_t(c.type), 4);
        record.put(7, uint8_t(groups[i][0]), 1);
        Troop t(-1, 0, 0, 0, 1, 0, 0, nullptr);
        UnpackUnitRecord(record.data().data(), t, c.version, c.fresh);
        const std::string label = "type " + std::to_string(c.type) + " version " + std::to_string(c.version);
        EXPECT_EQ(t.selected, 0) << label;
        EXPECT_EQ(t.recordBytes[0], 0) << label;
        EXPECT_EQ(t.drawingMode, 0) << label;
        EXPECT_EQ(t.rangeStart, c.range[0]) << label;
        EXPECT_EQ(t.rangeEnd, c.range[1]) << label;
        EXPECT_EQ(t.missileKind, c.missile) << label;
        EXPECT_EQ(t.pixelX, c.pixel[0]) << label;
        EXPECT_EQ(t.pixelY, c.pixel[1]) << label;
        EXPECT_EQ(t.homeCity, c.home) << label;
        EXPECT_EQ(t.visibleMark, c.visible) << label;
        EXPECT_EQ(t.hotKeyGroup, groups[i][1]) << label;
    }
}

} // namespace
