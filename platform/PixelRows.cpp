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

} // namespace platform
