#include "CityWorksFixture.h"

#include "troops/CastleGate.h"

#include <gtest/gtest.h>

using namespace cityworks;

namespace {

// A gate of the city's kingdom whose pieces stand at the given strengths out of 40.
CastleGate* AddGate(Works& w, const std::vector<int>& strengths) {
    auto* gate = new CastleGate;
    gate->ownerSide = 1;
    for (size_t i = 0; i < strengths.size() && i < CastleGate::kPieces; ++i) {
        auto* o = w.Officer(1, 1, 17);
        o->Set(OfficerLayout::kHp, strengths[i]);
        o->Set(OfficerLayout::kMaxHp, 40);
        gate->pieces[i] = new Troop(0, 10, 0, 0, 1, 0, 0, o);
    }
    w.kingdom->gates.Add(uintptr_t(gate));
    w.city->gates.Add(uintptr_t(gate));
    return gate;
}

std::vector<int> Strengths(const CastleGate* gate) {
    std::vector<int> out;
    for (const Troop* p : gate->pieces)
        if (p) out.push_back(p->officer->Get(OfficerLayout::kHp));
    return out;
}

// The gate bit flags the damaged gates only, mends each flagged gate every second day while the
// gold lasts, and ends itself (telling the peers) when nothing is left to mend or the gold is gone.
TEST(CityGateRepair, FlaggedGatesAreMendedEverySecondDayUntilWholeOrPoor) {
    struct Case {
        const char* what;
        int32_t gold;
        std::vector<int> flagsByDay;       // the active word after each day
        std::vector<int> damagedStrengths; // the damaged gate's pieces after the days
        int32_t goldAfter;
    };
    const Case cases[] = {
        // Day 2: 20 + 4 over eight pieces averages to 38; day 4 all reach 40; day 6 finds nothing
        // to mend and restores the gate; day 7 finds no gate flagged.
        {"enough gold", 100, {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0}, std::vector<int>(8, 40), 92},
        {"gold at the cost", 4, {0x10, 0}, {20, 40, 40, 40, 40, 40, 40, 40}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Works w;
        w.NetworkHost();
        GameParams().repair_castle_freq = 1;
        GameParams().repair_castle_cost = 4;
        GameParams().repair_castle_hp = 4;
        CastleGate* damaged = AddGate(w, {20, 40, 40, 40, 40, 40, 40, 40});
        CastleGate* whole = AddGate(w, std::vector<int>(8, 40));
        w.city->SetInt(CityLayout::kGold, c.gold);
        ASSERT_EQ(w.city->ComputeNeedFlags() & 0x10, 0x10);
        w.city->pendingStatus = 0x10;
        w.city->CommitStatusFlags();
        EXPECT_EQ(damaged->repairFlag, 1);
        EXPECT_EQ(whole->repairFlag, 0) << "a whole gate is not flagged";
        std::vector<int> flags;
        for (size_t day = 0; day < c.flagsByDay.size(); ++day) {
            w.city->TickRepairs();
            flags.push_back(w.city->statusFlags);
        }
        EXPECT_EQ(flags, c.flagsByDay);
        EXPECT_EQ(Strengths(damaged), c.damagedStrengths);
        EXPECT_EQ(Strengths(whole), std::vector<int>(8, 40));
        EXPECT_EQ(w.city->Int(CityLayout::kGold), c.goldAfter);
        const int32_t id = w.city->id;
        EXPECT_EQ(Sent(), (std::vector<SentRecord>{{0x802, id, 0x10, 0, 0}, {0x802, id, 0, 4, 0}}));
    }
}

// A gate flagged once is not flagged again while the bit stays set, so its period runs on.
TEST(CityGateRepair, OnlyANewlySetBitFlagsTheGates) {
    Works w;
    CastleGate* gate = AddGate(w, {20, 40, 40, 40, 40, 40, 40, 40});
    w.city->ApplyStatusFlags(0x10);
    EXPECT_EQ(gate->repairFlag, 1);
    gate->repairFlag = 0;
    w.city->ApplyStatusFlags(0x10);
    EXPECT_EQ(gate->repairFlag, 0);
    w.city->statusFlags = 0;
    w.city->ApplyStatusFlags(0x10);
    EXPECT_EQ(gate->repairFlag, 1);
}

} // namespace
