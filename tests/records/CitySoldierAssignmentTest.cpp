#include "CityWorksFixture.h"

#include "net/SubCommands.h"
#include "support/SentCommands.h"

#include <gtest/gtest.h>

using namespace cityworks;

namespace {

std::vector<uint32_t> Serials(LinkList* list) {
    std::vector<uint32_t> out;
    if (list)
        for (uintptr_t v = list->First(); v != 0; v = list->Next())
            out.push_back(reinterpret_cast<Troop*>(v)->officer->serial);
    return out;
}

// A city with three units (class, troop capacity) and four reserve soldiers (soldier type); the
// serials are the same on every station that builds it.
struct Garrisoned {
    Garrisoned() {
        w.city->SetInt(CityLayout::kScale, 4);
        for (auto [cls, capacity] : {std::pair{0, 0}, {1, 2}, {0, 1}}) {
            auto* o = w.Officer(1, 1);
            o->Set(OfficerLayout::kClass, cls);
            o->Set(OfficerLayout::kTroopCapacity, capacity);
            auto* unit = new Troop(0, 10, 0, 0, 1, int16_t(w.city->id), 0, o);
            unit->unitNumber = 30 + w.city->units.GetCount();
            w.city->units.Add(uintptr_t(unit));
            units.push_back(unit);
        }
        for (int type : {429, 420, 420, 431}) {
            auto* soldier = new Troop(0, 10, 0, 0, 1, int16_t(w.city->id), 0, w.Officer(1, type));
            w.city->reserve.Add(uintptr_t(soldier));
            soldiers.push_back(soldier->officer->serial);
        }
        w.city->RefreshReserveCount();
    }
    Works w;
    std::vector<Troop*> units;
    std::vector<uint32_t> soldiers;
};

// Each soldier goes to the first unit with room whose class wants its type most, else to the first
// unit with room; one without any room stays. The peers receive the same moves and end alike.
TEST(CitySoldierAssignment, SoldiersGoToTheirClassFirstAndPeersFollow) {
    std::vector<std::vector<uint8_t>> moves;
    std::vector<uint32_t> expectedA, expectedB, expectedReserve;
    {
        Garrisoned host;
        host.w.NetworkHost();
        testsupport::CaptureSentCommands();
        host.w.city->AssignSoldiersToUnits();
        const auto& s = host.soldiers;
        // 429 wants class 1 (the unit with room 2); the first 420 wants class 0, whose first unit
        // has no room, so the second class-0 unit takes it; the next 420 finds class 0 full and
        // goes to the first unit with room; 431 finds no room anywhere.
        expectedA = {s[0], s[2]};
        expectedB = {s[1]};
        expectedReserve = {s[3]};
        EXPECT_EQ(Serials(host.units[1]->followers), expectedA);
        EXPECT_EQ(Serials(host.units[2]->followers), expectedB);
        EXPECT_EQ(Serials(host.units[0]->followers), std::vector<uint32_t>{});
        EXPECT_EQ(Serials(&host.w.city->reserve), expectedReserve);
        EXPECT_EQ(host.w.city->reserveTroopCount, 1);
        auto* moved = reinterpret_cast<Troop*>(host.units[1]->followers->First());
        EXPECT_EQ(moved->mainTroop, host.units[1]);
        EXPECT_EQ(moved->unitNumber, host.units[1]->unitNumber);
        for (const auto& c : testsupport::SentCommands()) {
            ASSERT_EQ(c.code, kSubCommandCode);
            moves.push_back(c.payload);
        }
        ASSERT_EQ(moves.size(), 3u);
        const auto fields = UnpackSubCommand(moves[0]);
        ASSERT_TRUE(fields);
        EXPECT_EQ(*fields, (std::vector<uint32_t>{0, s[0], 0, host.units[1]->officer->serial, 0, 0, 0}));
    }
    Garrisoned client;
    TheGameController->networked = 1;
    for (const auto& payload : moves) {
        std::vector<uint8_t> relay;
        EXPECT_EQ(ReceiveSubCommand(payload, false, relay), CommandOutcome::Relay);
    }
    EXPECT_EQ(Serials(client.units[1]->followers), expectedA);
    EXPECT_EQ(Serials(client.units[2]->followers), expectedB);
    EXPECT_EQ(Serials(&client.w.city->reserve), expectedReserve);
    // The same move again finds the soldier gone from the reserve.
    std::vector<uint8_t> relay;
    EXPECT_EQ(ReceiveSubCommand(moves[0], false, relay), CommandOutcome::Drop);
}

// Kind 2 hands a unit's follower back to the reserve; moves naming troops the city does not hold
// are dropped and change nothing.
TEST(CitySoldierAssignment, FollowersGoBackToTheReserveOnlyFromTheCitysUnits) {
    Garrisoned g;
    g.w.city->AssignSoldiersToUnits();
    Troop* a = g.units[1];
    Troop* field = g.w.AddTroop(g.w.kingdom, 5, 5);
    const uint32_t s0 = g.soldiers[0], s3 = g.soldiers[3];
    struct Case {
        const char* what;
        uint32_t unit, source, destination;
        uint8_t kind;
        CommandOutcome outcome;
    };
    const Case cases[] = {
        {"a soldier not in the reserve", s0, 0, g.units[2]->officer->serial, 0, CommandOutcome::Drop},
        {"a destination on the field", s3, 0, field->officer->serial, 0, CommandOutcome::Drop},
        {"a unit without room", s3, 0, g.units[2]->officer->serial, 0, CommandOutcome::Drop},
        {"a follower of a troop on the field", s0, field->officer->serial, 0, 2, CommandOutcome::Drop},
        {"a soldier the source does not carry", s3, a->officer->serial, 0, 2, CommandOutcome::Drop},
        {"back to the reserve", s0, a->officer->serial, 0, 2, CommandOutcome::Relay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> relay;
        EXPECT_EQ(ReceiveSubCommand(
                      PackSubCommand(kSubCityTroopMove, {0, c.unit, c.source, c.destination, 0, c.kind, 0}),
                      false, relay),
                  c.outcome);
    }
    EXPECT_EQ(Serials(a->followers), std::vector<uint32_t>{g.soldiers[2]});
    EXPECT_EQ(Serials(&g.w.city->reserve), (std::vector<uint32_t>{s3, s0}));
    EXPECT_EQ(g.w.city->reserveTroopCount, 2);
    auto* back = reinterpret_cast<Troop*>(g.w.city->reserve.Last());
    EXPECT_EQ(back->mainTroop, nullptr);
}

// Each month a marked city other than the main one, with soldiers in its reserve, raises city
// event 15 for the peers.
TEST(CitySoldierAssignment, AMarkedCityWithAReserveRaisesItsEvent) {
    struct Case {
        const char* what;
        bool marked, reserve, elsewhere;
        bool raised;
    };
    const Case cases[] = {
        {"marked, with a reserve, not the main city", true, true, true, true},
        {"not marked", false, true, true, false},
        {"no reserve", true, false, true, false},
        {"the main city itself", true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Works w;
        w.NetworkHost();
        testsupport::CaptureSentCommands();
        City* main = w.AddCity(w.kingdom, 30, 40);
        w.kingdom->mainCity = c.elsewhere ? main : w.city;
        w.city->markedCity = c.marked ? 1 : 0;
        if (c.reserve)
            w.city->reserve.Add(
                uintptr_t(new Troop(0, 10, 0, 0, 1, int16_t(w.city->id), 0, w.Officer(1, 1))));
        w.city->CountTick();
        bool raised = false;
        for (const auto& s : testsupport::SentCommands())
            if (s.code == kSubCommandCode && s.payload[0] == kSubCityEvent) {
                // Field 1 carries the id drawn for the convoy's officer.
                std::vector<uint32_t> fields = *UnpackSubCommand(s.payload);
                raised = fields.size() == 7 && fields[1] != 0;
                if (raised) fields[1] = 0;
                raised = raised && fields == std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 15};
            }
        EXPECT_EQ(raised, c.raised);
    }
}

// The one-step assignment deals the reserve out in turn over the units with room, whatever their
// class, skipping a unit out of play; the host's command brings a peer to the same hands.
TEST(CitySoldierAssignment, OneStepAssignmentDealsSoldiersInTurnAndPeersFollow) {
    struct Case {
        const char* what;
        std::vector<int32_t> capacities;
        int outOfPlay;                       // index of a unit flagged out of play, or -1
        std::vector<std::vector<int>> hands; // per unit, the indexes of the soldiers it gets
        std::vector<int> left;
    };
    const Case cases[] = {
        {"room everywhere", {2, 2, 2}, -1, {{0, 3}, {1}, {2}}, {}},
        {"the first unit out of play", {2, 2, 2}, 0, {{}, {0, 2}, {1, 3}}, {}},
        {"everybody full before the end", {0, 2, 1}, -1, {{}, {0, 2}, {1}}, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto prepare = [&](Garrisoned& g) {
            for (size_t i = 0; i < g.units.size(); ++i) {
                g.units[i]->officer->Set(OfficerLayout::kTroopCapacity, c.capacities[i]);
                if (int(i) == c.outOfPlay) g.units[i]->flags |= 0x40;
            }
        };
        auto check = [&](Garrisoned& g) {
            for (size_t i = 0; i < g.units.size(); ++i) {
                std::vector<uint32_t> want;
                for (int k : c.hands[i])
                    want.push_back(g.soldiers[size_t(k)]);
                EXPECT_EQ(Serials(g.units[i]->followers), want) << "unit " << i;
            }
            std::vector<uint32_t> left;
            for (int k : c.left)
                left.push_back(g.soldiers[size_t(k)]);
            EXPECT_EQ(Serials(&g.w.city->reserve), left);
            EXPECT_EQ(g.w.city->reserveTroopCount, int(c.left.size()));
        };
        std::vector<std::vector<uint8_t>> sent;
        {
            Garrisoned host;
            prepare(host);
            host.w.NetworkHost();
            testsupport::CaptureSentCommands();
            NetCmdSub24(host.w.city);
            check(host);
            for (const auto& cmd : testsupport::SentCommands())
                sent.push_back(cmd.payload);
        }
        ASSERT_EQ(sent.size(), 1u) << "one command for the whole assignment";
        Garrisoned client;
        prepare(client);
        TheGameController->networked = 1;
        std::vector<uint8_t> relay;
        EXPECT_EQ(ReceiveSubCommand(sent[0], false, relay), CommandOutcome::Relay);
        check(client);
    }
}

TEST(CitySoldierAssignment, CarryRoomFollowsTheTroopCapacity) {
    Works w;
    struct Case {
        int32_t capacity, carried, expected;
    };
    for (const Case& c : {Case{0, 0, -1}, Case{2, 0, 0}, Case{2, 1, 1}, Case{2, 2, -1}, Case{1, 3, -1}}) {
        SCOPED_TRACE(testing::Message() << c.capacity << " " << c.carried);
        auto* o = w.Officer(1, 1);
        o->Set(OfficerLayout::kTroopCapacity, c.capacity);
        Troop t(0, 10, 0, 0, 1, 0, 0, o);
        for (int i = 0; i < c.carried; ++i) {
            if (!t.followers) t.followers = new LinkList;
            t.followers->Add(uintptr_t(i + 1));
        }
        EXPECT_EQ(t.NextCarrySlot(), c.expected);
        EXPECT_NE(t.followers, nullptr) << "the list is made when missing";
    }
}

} // namespace
