#include "engine/Tools.h"

#include <utility>
#include <vector>

namespace {
int32_t Compact(int32_t* array, int32_t n, int32_t value, int32_t empty) {
    if (!array || n <= 0) return -1;
    int32_t used = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (array[i] == empty) continue;
        if (i != used) {
            array[used] = array[i];
            array[i] = empty;
        }
        ++used;
    }
    if (used >= n) return -1;
    array[used] = value;
    return used;
}

int32_t TieOf(const int32_t* ties, int32_t i) {
    return ties ? ties[i] : 0;
}
} // namespace

int32_t Zu_Tools::CompactAndAppend(int32_t* array, int32_t n, int32_t value) {
    return Compact(array, n, value, 0);
}

int32_t Zu_Tools::CompactAndAppendMarked(int32_t* array, int32_t n, int32_t value) {
    return Compact(array, n, value, -1);
}

int Zu_Tools::AddUnique(int32_t* array, int32_t* count, int32_t capacity, int32_t value) {
    if (!array || !count || *count < 0 || *count >= capacity - 1) return 0;
    for (int32_t i = 0; i < *count; ++i) {
        if (array[i] == value) return 0;
    }
    array[*count] = value;
    ++*count;
    return 1;
}

// Entries of -1 are skipped; on equal values the later entry wins when its tie value is at least
// the best one's.
int32_t Zu_Tools::IndexOfMax(const int32_t* values, const int32_t* ties, int32_t n) {
    int32_t best = -1;
    for (int32_t i = 0; values && i < n; ++i) {
        if (values[i] == -1) continue;
        if (best < 0 || values[i] > values[best] ||
            (values[i] == values[best] && TieOf(ties, i) >= TieOf(ties, best)))
            best = i;
    }
    return best;
}

// As IndexOfMax, the later entry winning a tie when its tie value is at most the best one's.
int32_t Zu_Tools::IndexOfMin(const int32_t* values, const int32_t* ties, int32_t n) {
    int32_t best = -1;
    for (int32_t i = 0; values && i < n; ++i) {
        if (values[i] == -1) continue;
        if (best < 0 || values[i] < values[best] ||
            (values[i] == values[best] && TieOf(ties, i) <= TieOf(ties, best)))
            best = i;
    }
    return best;
}

void Zu_Tools::SortInts(int32_t* array, int32_t n, int32_t order) {
    for (int32_t i = 0; array && i < n; ++i) {
        for (int32_t j = i + 1; j < n; ++j) {
            const bool swap = order == 0 ? array[j] < array[i] : array[j] > array[i];
            if (swap) std::swap(array[i], array[j]);
        }
    }
}

// Mode 0: how many entries are greater. Modes 1 and 2: greater, or equal and earlier, which
// gives every entry its own place; mode 2 then lists the entries by place.
void Zu_Tools::RankValues(const int32_t* values, int32_t* ranks, int32_t n, int32_t mode) {
    if (!values || !ranks || n <= 0) return;
    for (int32_t i = 0; i < n; ++i) {
        int32_t rank = 0;
        for (int32_t j = 0; j < n; ++j) {
            if (values[j] > values[i] || (mode != 0 && values[j] == values[i] && j < i)) ++rank;
        }
        ranks[i] = rank;
    }
    if (mode == 2) {
        std::vector<int32_t> inverse(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i)
            inverse[static_cast<size_t>(ranks[i])] = i;
        for (int32_t i = 0; i < n; ++i)
            ranks[i] = inverse[static_cast<size_t>(i)];
    }
}
