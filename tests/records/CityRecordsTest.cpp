// The city unit records: what a station sends, what a receiving station applies and what it drops.
#include "CityUnitsFixture.h"

#include "net/SubCommands.h"
#include "troops/CastleGate.h"

#include <gtest/gtest.h>

using namespace cityunits;

namespace {

TEST(CityRecords, DeployWithOrderCarriesItsTargetByOrderKind) {
    struct Case {
        int kind;
        bool sent;
    };
    for (const Case c : {Case{1, true}, {3, true}, {4, true}, {5, true}, {1, false}}) {
        SCOPED_TRACE(c.kind);
        Stage s;
        City* city = s.City(s.own, 20, 20, 0);
        City* goal = s.City(s.foe, 30, 60, 0);
        Troop* unit = s.Inside(city);
        Troop* enemy = s.Field(s.foe, 30, 25);
        unit->targetTroop = c.sent ? enemy : nullptr;
        unit->targetCity = goal;
        unit->goalX = 7;
        unit->goalY = 9;
        city->deployOrder = int16_t(c.kind);
        s.Networked(true);
        testsupport::CaptureSentCommands();
        EXPECT_EQ(city->RequestDeployUnitWithOrder(unit), 1);
        EXPECT_FALSE(s.InUnits(city, unit));
        const auto sent = testsupport::SentRecords();
        // An attack order without its troop names nothing: it is not sent.
        if (!c.sent) {
            EXPECT_TRUE(sent.empty());
            continue;
        }
        ASSERT_EQ(sent.size(), 1u);
        const auto v = UnpackGameRecord(sent[0]);
        ASSERT_TRUE(v);
        const uint32_t target = c.kind == 1 ? enemy->UnitId() : c.kind == 3 ? Stage::Index(goal) : 0;
        EXPECT_EQ(*v, (std::vector<uint32_t>{uint32_t(c.kind), Stage::Index(city), 0, unit->UnitId(), target,
                                             0, 7, 9}));
    }
}

std::vector<uint8_t> Patched(std::vector<uint8_t> r, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        r[at + i] = uint8_t(v >> (8 * i));
    return r;
}

TEST(CityRecords, ReceiverDropsWhatNamesNothingHere) {
    Stage s;
    City* city = s.City(s.own, 20, 20, 0);
    Troop* unit = s.Inside(city);
    Troop* field = s.Field(s.own, 5, 5);
    const uint32_t id = unit->UnitId();
    const uint32_t at = Stage::Index(city);
    s.Networked(false);
    using O = CommandOutcome;
    const auto deploy = PackGameRecord(kRecordDeployUnit, {at, id, 0});
    const auto order = [&](uint32_t kind, uint32_t target, uint32_t target2, uint32_t x, uint32_t y) {
        return PackGameRecord(kRecordDeployWithOrder, {kind, at, 0, id, target, target2, x, y});
    };
    struct Case {
        std::vector<uint8_t> record;
        O outcome;
    };
    // A record naming what this station lacks is still passed on: another station may hold it.
    const Case cases[] = {
        {Patched(deploy, 8, 1), O::Relay},                                 // no city at that index
        {Patched(deploy, 8, 257), O::Relay},                               // past the city table
        {Patched(deploy, 8, ~0u), O::Relay},                               // negative
        {Patched(deploy, 4, 24), O::Drop},                                 // a size that is not the record's
        {Patched(deploy, 0, 0x203), O::Relay},                             // an unknown id
        {std::vector<uint8_t>(deploy.begin(), deploy.end() - 1), O::Drop}, // cut short
        {PackGameRecord(kRecordDeployUnit, {at, 9999, 0}), O::Relay},      // no such unit here
        {PackGameRecord(kRecordAdmitUnit, {at, id}), O::Relay},            // no sub-castle holds it
        {PackGameRecord(kRecordTroopEntry, {at, 0, 9999}), O::Relay},      // nobody on the field
        {PackGameRecord(kRecordTroopEntry, {at, 11, field->UnitId()}), O::Drop}, // no such kind
        // A sub-castle kind the city neither has nor is.
        {PackGameRecord(kRecordTroopEntry, {at, 5, field->UnitId()}), O::Relay},
        {PackGameRecord(kRecordCityDestroy, {77, 1, 1, 1}), O::Relay},
        {PackGameRecord(kRecordCityDestroy, {at, 300, 1, 1}), O::Drop}, // no such side
        {PackGameRecord(kRecordDeployFollow, {at, id, 40}), O::Drop},   // no target city
        {order(1, 4242, 0, 0, 0), O::Drop},                             // a troop that is not here
        {order(2, at, 4, 0, 0), O::Drop},                               // a sub-castle the city does not have
        {order(3, 99, 0, 0, 0), O::Drop},                               // no such city
        {order(5, 0, 0, 5000, 3), O::Drop},                             // a destination off the map
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Stage::Receive(cases[i].record), cases[i].outcome) << i;
    EXPECT_TRUE(s.InUnits(city, unit));
    EXPECT_EQ(unit->hidden, 1);
    EXPECT_EQ(city->dead, 0);
    EXPECT_TRUE(s.InField(s.own, field));
    EXPECT_EQ(field->homeCity, 0);
}

TEST(CityRecords, EntryOfAKindFourCityIsASubCastleEntryOnlyWhenItHasOne) {
    for (bool hasKeep : {false, true}) {
        SCOPED_TRACE(hasKeep);
        Stage s;
        City* city = s.City(s.own, 20, 20, 4);
        SubCastle* keep = nullptr;
        if (hasKeep) {
            keep = new SubCastle(0);
            keep->SetInt(SubCastleLayout::kKind, 4);
            keep->ownerSide = 1;
            keep->cityId = city->id;
            city->subCastles.Add(uintptr_t(keep));
        }
        Troop* t = s.Field(s.foe, 5, 5);
        s.Networked(false);
        ASSERT_EQ(Stage::Receive(PackGameRecord(kRecordTroopEntry, {Stage::Index(city), 4, t->UnitId()})),
                  CommandOutcome::Relay);
        if (hasKeep) {
            EXPECT_TRUE(Stage::Holds(keep->units, t));
            EXPECT_FALSE(s.InUnits(city, t));
        } else {
            EXPECT_TRUE(s.InUnits(city, t));
            EXPECT_EQ(t->homeCity, city->id);
        }
    }
}

TEST(CityRecords, DeployAndFollowRecordsPutTheUnitOut) {
    Stage s;
    City* city = s.City(s.own, 20, 20, 0);
    City* goal = s.City(s.own, 30, 60, 2);
    Troop* a = s.Inside(city);
    Troop* b = s.Inside(city);
    s.Networked(false);
    const uint32_t at = Stage::Index(city);
    ASSERT_EQ(Stage::Receive(PackGameRecord(kRecordDeployUnit, {at, a->UnitId(), 1})), CommandOutcome::Relay);
    ASSERT_EQ(Stage::Receive(PackGameRecord(kRecordDeployFollow, {at, b->UnitId(), Stage::Index(goal)})),
              CommandOutcome::Relay);
    for (Troop* t : {a, b}) {
        EXPECT_FALSE(s.InUnits(city, t));
        EXPECT_TRUE(s.InField(s.own, t));
        EXPECT_EQ(t->hidden, 0);
    }
    EXPECT_EQ(b->targetCity, goal);
    EXPECT_EQ(b->state, 25);
}

} // namespace

namespace {

std::vector<uintptr_t> Stock(City* city) {
    std::vector<uintptr_t> out;
    for (uintptr_t v = city->ItemStock().First(); v != 0; v = city->ItemStock().Next())
        out.push_back(v);
    return out;
}

// The stock command takes the entry at its index out and appends its item; a command naming an
// entry or an item that is not there changes nothing.
TEST(CityRecords, StockCommandTakesOutAndAddsItems) {
    Stage s;
    for (int n : {10, 11, 12})
        s.Item(n, 1, {0});
    const int32_t itemCount = ItemCount;
    ItemCount = 13;
    City* city = s.City(s.own, 20, 20, 0);
    struct Case {
        const char* what;
        int32_t index;
        uint32_t item;
        CommandOutcome outcome;
        std::vector<uintptr_t> after;
    };
    const Case cases[] = {
        {"swap the middle entry", 1, 12, CommandOutcome::Relay, {10, 10, 12}},
        {"take the first out", 0, 0, CommandOutcome::Relay, {10, 12}},
        {"add only", -1, 11, CommandOutcome::Relay, {10, 12, 11}},
        {"an entry past the end", 3, 10, CommandOutcome::Drop, {10, 12, 11}},
        {"an item without a record", -1, 99, CommandOutcome::Drop, {10, 12, 11}},
    };
    for (uintptr_t v : {10, 11, 10})
        city->ItemStock().Add(v);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> relay;
        EXPECT_EQ(ReceiveSubCommand(
                      PackSubCommand(kSubCityItemList, {Stage::Index(city), uint32_t(c.index), c.item}),
                      false, relay),
                  c.outcome);
        EXPECT_EQ(Stock(city), c.after);
    }
    ItemCount = itemCount;
}

} // namespace

namespace {

// The host's gate strength and restore reach a peer as records naming the gate by its kingdom and
// first piece; a record naming no gate here changes nothing, a wrong kingdom or mode is dropped.
TEST(CityRecords, GateStrengthAndRestoreReachThePeers) {
    Stage s;
    auto* gate = new CastleGate;
    gate->ownerSide = 2;
    for (Troop*& p : gate->pieces) {
        p = new Troop(0, 10, 0, 0, 2, 0, 0, s.Officer(2, 1, 17));
        p->officer->Set(OfficerLayout::kHp, 40);
        p->officer->Set(OfficerLayout::kMaxHp, 40);
    }
    s.foe->gates.Add(uintptr_t(gate));
    auto strengths = [&] {
        std::vector<int> out;
        for (Troop* p : gate->pieces)
            out.push_back(p->officer->Get(OfficerLayout::kHp));
        return out;
    };
    auto setAll = [&](int hp) {
        for (Troop* p : gate->pieces) {
            p->officer->Set(OfficerLayout::kHp, hp);
            p->state = 13;
        }
    };
    const uint32_t first = gate->pieces[0]->UnitId();

    s.Networked(true);
    testsupport::CaptureSentCommands();
    gate->RequestStrength(25);
    gate->RequestRestore();
    std::vector<std::vector<uint8_t>> records;
    for (const auto& c : testsupport::SentCommands())
        if (c.code == kGameRecordCode) records.push_back(c.payload);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(*UnpackGameRecord(records[0]), (std::vector<uint32_t>{2, first, 25, 0}));
    EXPECT_EQ(*UnpackGameRecord(records[1]), (std::vector<uint32_t>{2, first, 0, 1}));

    s.Networked(false);
    setAll(10);
    EXPECT_EQ(Stage::Receive(records[0]), CommandOutcome::Relay);
    EXPECT_EQ(strengths(), std::vector<int>(8, 25));
    EXPECT_EQ(gate->strengthTotal, 200);
    EXPECT_EQ(Stage::Receive(records[1]), CommandOutcome::Relay);
    EXPECT_EQ(strengths(), std::vector<int>(8, 40));
    EXPECT_EQ(gate->pieces[7]->state, 10);

    struct Case {
        const char* what;
        std::vector<uint32_t> fields;
        CommandOutcome outcome;
    };
    const Case cases[] = {
        {"no such kingdom", {9, first, 5, 0}, CommandOutcome::Relay},
        {"an unknown mode", {2, first, 5, 2}, CommandOutcome::Drop},
        {"a gate of another kingdom", {1, first, 5, 0}, CommandOutcome::Relay},
        {"a piece that is not first", {2, gate->pieces[1]->UnitId(), 5, 0}, CommandOutcome::Relay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto& f = c.fields;
        EXPECT_EQ(Stage::Receive(PackGameRecord(kRecordGateStrength, {f[0], f[1], f[2], f[3]})), c.outcome);
        EXPECT_EQ(strengths(), std::vector<int>(8, 40));
    }
}

} // namespace
