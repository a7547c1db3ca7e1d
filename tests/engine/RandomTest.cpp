#include "engine/Random.h"

#include "platform/CRand.h"
#include "platform/Time.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(Random, StepsSeedTimesMultiplierAndGivesFixedSequences) {
    RandomSeed = 78654;
    RandomMultiplier = 24681;
    for (int32_t n : {1, 0, -5, INT32_MIN}) {
        EXPECT_EQ(Random(n), 0u) << n;
        EXPECT_EQ(RandomSeed, 78654u) << n;
    }
    std::vector<uint32_t> values;
    for (int i = 0; i < 6; ++i)
        values.push_back(Random(100));
    EXPECT_EQ(values, (std::vector<uint32_t>{67, 72, 69, 10, 51, 0}));
    EXPECT_EQ(RandomSeed, 616690800u);

    // A caller seeding from a record's value.
    RandomSeed = 7 * 78654;
    EXPECT_EQ(Random(2), 1u);
    EXPECT_EQ(Random(3), 0u);
    EXPECT_EQ(Random(1000), 129u);
    EXPECT_EQ(Random(7), 1u);

    RandomSeed = 78654;
    RandomMultiplier = 24681;
}

TEST(Random, SyncRandomStepsTheSharedStateAlikeOnEveryPeer) {
    uint32_t peerA = 12345;
    uint32_t peerB = 12345;
    std::vector<uint32_t> a;
    std::vector<uint32_t> b;
    for (int32_t n : {3, 40, 277, 1, 15, 2, 0, 100}) {
        a.push_back(SyncRandom(peerA, n, 100641));
        b.push_back(SyncRandom(peerB, n, 100641));
    }
    EXPECT_EQ(a, (std::vector<uint32_t>{0, 3, 178, 0, 3, 0, 0, 79}));
    EXPECT_EQ(a, b);
    EXPECT_EQ(peerA, 2665080879u);
    EXPECT_EQ(peerB, peerA);

    // Through the controller's binding.
    uint32_t controllerState = 12345;
    uint8_t networked = 0;
    BindSyncRandom(&controllerState, &networked);
    EXPECT_EQ(SyncRandom(3, 100641), 0u);
    EXPECT_EQ(SyncRandom(40, 100641), 3u);
    EXPECT_EQ(controllerState, 12345u * 100641u * 100641u + 12345u * 100641u + 12345u);
    BindSyncRandom(nullptr, nullptr);
}

TEST(Random, NetworkedGameRandomKeepsThePeersStateButNeverGoesNegative) {
    uint32_t state = 5;
    std::vector<int32_t> values;
    std::vector<uint32_t> states;
    for (int i = 0; i < 6; ++i) {
        values.push_back(GameRandom(state, true));
        states.push_back(state);
    }
    EXPECT_EQ(values,
              (std::vector<int32_t>{1222621274, 1593238901, 695760630, 724710665, 25197810, 554492093}));
    EXPECT_EQ(states, (std::vector<uint32_t>{0x48DFB85A, 0x5EF6E575, 0x297876F6, 0x2B323509, 0x01807CF2,
                                             0x210CE0BD}));

    // The one state whose step is -2147483648: the state keeps that value, the draw is 0.
    state = 2088216195u;
    EXPECT_EQ(GameRandom(state, true), 0);
    EXPECT_EQ(state, 0x80000000u);
    EXPECT_EQ(GameRandom(state, true), 0x7FFFCFC7);
    EXPECT_EQ(state, 0x7FFFCFC7u);
}

TEST(Random, LocalGameRandomSkipsByTheClockThenDrawsTheRuntimeGenerator) {
    // srand(1) gives 41 18467 6334 26500 19169 15724; time() mod 5 values are skipped first.
    struct Case {
        int64_t seconds;
        int32_t expected;
    };
    const Case cases[] = {{1000000000, 41}, {1000000003, 26500}, {1000000004, 19169}, {1000000006, 18467}};
    uint32_t state = 77;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        platform::ManualClock clock(0, 0, c.seconds);
        platform::srand(1);
        EXPECT_EQ(GameRandom(state, false), c.expected);
        EXPECT_EQ(state, 77u); // the shared state is not touched
    }

    // The controller's network flag picks the generator.
    uint32_t controllerState = 5;
    uint8_t networked = 1;
    BindSyncRandom(&controllerState, &networked);
    EXPECT_EQ(GameRandom(), 1222621274);
    EXPECT_EQ(controllerState, 0x48DFB85Au);
    networked = 0;
    platform::ManualClock clock(0, 0, 1000000000);
    platform::srand(1);
    EXPECT_EQ(GameRandom(), 41);
    EXPECT_EQ(controllerState, 0x48DFB85Au);
    BindSyncRandom(nullptr, nullptr);
}

} // namespace
