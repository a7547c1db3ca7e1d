#include "engine/Tools.h"

#include "platform/CRand.h"

#include <algorithm>
#include <utility>
#include <vector>

// These draw from the C runtime's generator, like every machine-local draw of the game.

void Zu_Tools::ShuffleSequence(int32_t* array, int32_t n, int32_t base) {
    if (!array || n <= 0) return;
    for (int32_t i = 0; i < n; ++i)
        array[i] = base + i;
    for (int32_t k = 0; k < 2 * n; ++k) {
        const int32_t i = platform::rand() % n;
        const int32_t j = platform::rand() % n;
        std::swap(array[i], array[j]);
    }
}

// Flag 1: all picks differ. Flag 2: the entry at keepIndex stays and no pick equals it.
int Zu_Tools::RandomPicks(int32_t* array, int32_t n, int32_t low, int32_t high, int32_t flags,
                          int32_t keepIndex) {
    if (!array || n <= 0 || high < low) return 0;
    const int64_t range = static_cast<int64_t>(high) - low + 1;
    const bool distinct = (flags & 1) != 0;
    const bool keep = (flags & 2) != 0 && keepIndex >= 0 && keepIndex < n;
    if (distinct && range < n) return 0;
    // Never loop for a value that cannot be drawn: the generator's 15 bits reach only the first
    // 32768 values of a wider range.
    const int32_t kept = keep ? array[keepIndex] : 0;
    const int64_t reachable = std::min<int64_t>(range, 32768);
    const int64_t available = reachable - ((keep && kept >= low && kept - int64_t(low) < reachable) ? 1 : 0);
    const int64_t needed = distinct ? n - (keep ? 1 : 0) : 1;
    if (available < needed) return 0;

    // Every draw lands within the first `reachable` values above low: one mark each tells a
    // repeat at once, where a scan of the earlier picks made a full draw quadratic.
    std::vector<bool> picked(distinct ? static_cast<size_t>(reachable) : 0);
    for (int32_t i = 0; i < n; ++i) {
        if (keep && i == keepIndex) continue;
        int32_t v;
        for (;;) {
            const int64_t offset = platform::rand() % range;
            v = static_cast<int32_t>(low + offset);
            if (keep && v == kept) continue;
            if (distinct) {
                if (picked[static_cast<size_t>(offset)]) continue;
                picked[static_cast<size_t>(offset)] = true;
            }
            break;
        }
        array[i] = v;
    }
    return 1;
}

int32_t Zu_Tools::RandomFreeSlot(const int32_t* array, int32_t n) {
    if (!array || n <= 0) return -1;
    const int32_t start = platform::rand() % n;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t i = (start + k) % n;
        if (array[i] == 0) return i;
    }
    return -1;
}

int32_t Zu_Tools::RandomMostFrequent(int32_t n, int32_t draws) {
    if (n <= 0) return -1;
    std::vector<int32_t> counts(static_cast<size_t>(n), 0);
    for (int32_t k = 0; k < draws; ++k)
        ++counts[static_cast<size_t>(platform::rand() % n)];
    int32_t best = 0;
    for (int32_t i = 1; i < n; ++i) {
        if (counts[static_cast<size_t>(i)] > counts[static_cast<size_t>(best)]) best = i;
    }
    return best;
}
