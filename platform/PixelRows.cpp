#include "platform/PixelRows.h"

#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

namespace platform {

bool KeyRangeOf(const DDCOLORKEY& key, KeyRange& range) {
    const uint32_t lo = key.dwColorSpaceLowValue, hi = std::min<uint32_t>(key.dwColorSpaceHighValue, 0xFFFF);
    if (lo > hi) return false;
    range.lo = uint16_t(lo);
    range.span = uint16_t(hi - lo);
    return true;
}

#if defined(__GNUC__)
namespace {
typedef uint16_t Pixels8 __attribute__((vector_size(16)));
} // namespace
#endif

void KeyedCopyRow(uint16_t* __restrict dst, const uint16_t* __restrict src, int n, KeyRange key) {
    int i = 0;
#if defined(__GNUC__)
    // Every destination pixel is read and written back, the transparent ones unchanged: a blend
    // without branches.
    const Pixels8 lo = Pixels8{} + key.lo, span = Pixels8{} + key.span;
    for (; i + 8 <= n; i += 8) {
        Pixels8 s, d;
        std::memcpy(&s, src + i, sizeof s);
        std::memcpy(&d, dst + i, sizeof d);
        const Pixels8 transparent = (Pixels8)((s - lo) <= span);
        d = (d & transparent) | (s & ~transparent);
        std::memcpy(dst + i, &d, sizeof d);
    }
#endif
    for (; i < n; ++i)
        if (!key.IsKey(src[i])) dst[i] = src[i];
}

ColourSwap::ColourSwap(const uint16_t* from, const uint16_t* to, int count)
    : from(from), to(to), count(count) {
    if (count <= 0) return;
    const auto [low, high] = std::minmax_element(from, from + count);
    lowest = *low;
    span = uint16_t(*high - *low);
}

void KeyedRecolourRow(uint16_t* __restrict dst, const uint16_t* __restrict src, int n, KeyRange key,
                      const ColourSwap& swap) {
    if (swap.count <= 0) return KeyedCopyRow(dst, src, n, key);
    auto one = [&](int i) {
        uint16_t p = src[i];
        if (key.IsKey(p)) return;
        for (int k = 0; k < swap.count; ++k)
            if (p == swap.from[k]) {
                p = swap.to[k];
                break;
            }
        dst[i] = p;
    };
    int i = 0;
#if defined(__GNUC__)
    // Eight pixels none of which lies between the lowest and the highest colour to swap are a
    // plain keyed copy; the others go one by one.
    const Pixels8 lo = Pixels8{} + key.lo, span = Pixels8{} + key.span;
    const Pixels8 swapLo = Pixels8{} + swap.lowest, swapSpan = Pixels8{} + swap.span;
    for (; i + 8 <= n; i += 8) {
        Pixels8 s, d;
        std::memcpy(&s, src + i, sizeof s);
        const Pixels8 transparent = (Pixels8)((s - lo) <= span);
        const Pixels8 swapped = (Pixels8)((s - swapLo) <= swapSpan) & ~transparent;
        uint64_t any[2];
        std::memcpy(any, &swapped, sizeof any);
        if (any[0] | any[1]) {
            for (int j = i; j < i + 8; ++j)
                one(j);
            continue;
        }
        std::memcpy(&d, dst + i, sizeof d);
        d = (d & transparent) | (s & ~transparent);
        std::memcpy(dst + i, &d, sizeof d);
    }
#endif
    for (; i < n; ++i)
        one(i);
}

} // namespace platform
