#pragma once

#include <cstdint>

// Row loops of the 16-bit blits, eight pixels a step where the compiler has vector types.
namespace platform {

struct DDCOLORKEY;

// A source colour key as one range of 16-bit values: pixel p is transparent when
// uint16_t(p - lo) <= span.
struct KeyRange {
    uint16_t lo = 0;
    uint16_t span = 0;
    bool IsKey(uint16_t p) const { return uint16_t(p - lo) <= span; }
};

// The 16-bit values a surface's key covers; false when it covers none (an empty or inverted
// range, or one above every 16-bit value), so that nothing is transparent.
bool KeyRangeOf(const DDCOLORKEY& key, KeyRange& range);

// Copies n pixels from src to dst, leaving dst as it is where src holds a key pixel. The two rows
// must not overlap.
void KeyedCopyRow(uint16_t* dst, const uint16_t* src, int n, KeyRange key);

// Colours swapped on the way by KeyedRecolourRow: a pixel equal to from[i] is written as to[i],
// the first such i of `count`. The lists are kept by the caller.
struct ColourSwap {
    ColourSwap(const uint16_t* from, const uint16_t* to, int count);
    const uint16_t* from;
    const uint16_t* to;
    int count;
    uint16_t lowest = 0; // of `from`
    uint16_t span = 0;   // highest - lowest
};

// KeyedCopyRow with the colours of `swap` exchanged.
void KeyedRecolourRow(uint16_t* dst, const uint16_t* src, int n, KeyRange key, const ColourSwap& swap);

} // namespace platform
