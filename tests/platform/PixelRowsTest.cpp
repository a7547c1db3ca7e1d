#include "platform/PixelRows.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace platform;

// A keyed copy that swaps colours, against the per-pixel rule: rows of every length around the
// eight-pixel steps, colour lists with repeats, with 0s, clustered or far apart.
TEST(PixelRowsTest, KeyedRecolourRowMatchesPerPixelRule) {
    std::mt19937 rng(5);
    for (int round = 0; round < 600; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int n = int(rng() % 41), count = round % 5 == 0 ? 0 : 1 + int(rng() % 16);
        const uint16_t base = uint16_t(rng());
        auto colour = [&] {
            switch (rng() % 4) {
            case 0:
                return uint16_t(0);
            case 1:
                return uint16_t(base + rng() % 4);
            case 2:
                return uint16_t(rng());
            default:
                return uint16_t(rng() % 8);
            }
        };
        const size_t colours = static_cast<size_t>(count), pixels = static_cast<size_t>(n);
        std::vector<uint16_t> from(colours), to(colours), src(pixels), dst(pixels);
        for (int i = 0; i < count; ++i) {
            from[size_t(i)] = round % 3 == 0 ? uint16_t(base + rng() % 4) : colour();
            to[size_t(i)] = colour();
        }
        for (int i = 0; i < n; ++i) {
            src[size_t(i)] = rng() % 4 == 0 && count > 0 ? from[rng() % size_t(count)] : colour();
            dst[size_t(i)] = uint16_t(rng());
        }
        DDCOLORKEY ck{0, 0};
        if (round % 4 == 1) ck = DDCOLORKEY{base, uint32_t(base) + 2};
        KeyRange key;
        ASSERT_TRUE(KeyRangeOf(ck, key));

        std::vector<uint16_t> want = dst;
        for (int i = 0; i < n; ++i) {
            uint16_t p = src[size_t(i)];
            if (p >= ck.dwColorSpaceLowValue && p <= ck.dwColorSpaceHighValue) continue;
            for (int k = 0; k < count; ++k)
                if (p == from[size_t(k)]) {
                    p = to[size_t(k)];
                    break;
                }
            want[size_t(i)] = p;
        }
        KeyedRecolourRow(dst.data(), src.data(), n, key, ColourSwap(from.data(), to.data(), count));
        ASSERT_EQ(dst, want);
    }
}
