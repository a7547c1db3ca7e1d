#pragma once

#include "gui/RootObject.h"

#include <cstdint>
#include <span>

struct AniFrame;

// A cell of an animation's frame list, in file order.
struct AniFrameCell {
    AniFrameCell* next = nullptr;
    AniFrame* frame = nullptr;
};

// One loaded ".ani" file, shared by its users through the reference count.
struct EffectAnimation {
    AniFrameCell* frames = nullptr;
    const void* param = nullptr; // the table row's parameter, kept for the users
    int16_t paramWords = 0;      // its length in 16-bit words
    int16_t frameCount = 0;
    int16_t value1 = 0;
    int16_t value2 = 0;
    int16_t refCount = 0;
};

// A row of a kind's file-name table.
struct EffectAnimationRow {
    const char* fileName;
    const void* param;
    int16_t value1;
    int16_t value2;
    int16_t paramWords = 0;
};

// Loads a ".ani" file whole; a missing or empty name gives a record with no frames. Frames are
// read while the file holds them; a frame out of range or cut short ends the list.
EffectAnimation* LoadEffectAnimation(const EffectAnimationRow& row);
// The same from bytes in memory.
EffectAnimation* DecodeEffectAnimation(std::span<const uint8_t> file, const EffectAnimationRow& row);
// Frees every frame, the cells and the record; null is ignored.
void FreeEffectAnimation(EffectAnimation* animation);

// The small frame animations (cursor, weather, fire, map effects), loaded on first use and shared.
// Kinds 1 and 3 are counted and freed when their last user lets go; kinds 0 and 2 stay.
class EffectAnimationCache : public RootObject {
public:
    static constexpr int kKinds = 4;
    static constexpr int kSlots[kKinds] = {30, 10, 60, 60};

    // Loads the cursor animations 0 to 25.
    EffectAnimationCache();
    // Frees whatever is still loaded.
    ~EffectAnimationCache() override;
    EffectAnimationCache(const EffectAnimationCache&) = delete;
    EffectAnimationCache& operator=(const EffectAnimationCache&) = delete;

    // The record of the slot, loaded on first use, with its count raised; null for a kind or
    // index out of range.
    EffectAnimation* Acquire(int kind, int index);
    // Kinds 1 and 3: lowers the count and frees the record at 0. A slot never loaded, or one whose
    // count is already 0, is left alone.
    void Release(int kind, int index);

    // The record in a slot without touching its count; null when not loaded or out of range.
    EffectAnimation* Loaded(int kind, int index) const;
    // The table row of a slot; null out of range.
    static const EffectAnimationRow* Row(int kind, int index);

private:
    EffectAnimation** Slot(int kind, int index);

    EffectAnimation* cursor[30] = {};
    EffectAnimation* weather[10] = {};
    EffectAnimation* fire[60] = {};
    EffectAnimation* effects[60] = {};
    EffectAnimation* spare[10] = {}; // nothing fills these
};
