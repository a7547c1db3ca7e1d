#include "platform/CRand.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace platform;

namespace {

std::vector<int> Draw(int n) {
    std::vector<int> values;
    for (int i = 0; i < n; ++i)
        values.push_back(platform::rand());
    return values;
}

TEST(CRand, FollowsTheRuntimeGeneratorSequence) {
    // A thread that never seeded starts from seed 1.
    std::vector<int> fresh;
    std::thread([&] { fresh = Draw(5); }).join();
    const std::vector<int> seedOne = {41, 18467, 6334, 26500, 19169};
    EXPECT_EQ(fresh, seedOne);

    platform::srand(1);
    EXPECT_EQ(Draw(5), seedOne);
    platform::srand(0);
    EXPECT_EQ(Draw(3), (std::vector<int>{38, 7719, 21238}));
    platform::srand(12345);
    const auto a = Draw(1000);
    platform::srand(12345);
    EXPECT_EQ(Draw(1000), a);
    for (int v : a) {
        ASSERT_GE(v, 0);
        ASSERT_LE(v, CRandMax);
    }
}

} // namespace
