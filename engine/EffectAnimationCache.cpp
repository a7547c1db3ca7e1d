#include "engine/EffectAnimationCache.h"

#include "engine/AniFrame.h"
#include "engine/ByteReader.h"
#include "engine/ResourceStoreFiles.h"

#include <vector>

namespace {

constexpr EffectAnimationRow kCursorRows[30] = {
    {"Cursor18.ani", nullptr, 1, 1},
    {"Cursor18.ani", nullptr, 1, 1},
    {"Cursor02.ani", nullptr, 1, 1},
    {"Cursor03.ani", nullptr, 1, 1},
    {"Cursor04.ani", nullptr, 1, 1},
    {"Cursor27.ani", nullptr, 1, 1},
    {"Cursor06.ani", nullptr, 1, 1},
    {"Cursor07.ani", nullptr, 1, 1},
    {"Cursor08.ani", nullptr, 1, 1},
    {"Cursor09.ani", nullptr, 1, 1},
    {"Cursor10.ani", nullptr, 1, 1},
    {"Cursor11.ani", nullptr, 1, 1},
    {"Cursor12.ani", nullptr, 1, 1},
    {"Cursor13.ani", nullptr, 1, 1},
    {"Cursor14.ani", nullptr, 1, 1},
    {"Cursor15.ani", nullptr, 1, 1},
    {"Cursor16.ani", nullptr, 1, 1},
    {"Cursor17.ani", nullptr, 1, 1},
    {"Cursor18.ani", nullptr, 1, 1},
    {"Cursor19.ani", nullptr, 1, 1},
    {"Cursor20.ani", nullptr, 1, 1},
    {"Cursor21.ani", nullptr, 1, 1},
    {"Cursor22.ani", nullptr, 1, 1},
    {"Cursor23.ani", nullptr, 1, 1},
    {"Cursor24.ani", nullptr, 1, 1},
    {"Cursor25.ani", nullptr, 1, 1},
    {"", nullptr, 1, 1},
    {"", nullptr, 1, 1},
    {"", nullptr, 1, 1},
    {"g_story_cursor.ani", nullptr, 2, 2},
};

constexpr EffectAnimationRow kWeatherRows[4] = {
    {"rain(less).ani", nullptr, 1, 1},
    {"rain(middle).ani", nullptr, 1, 1},
    {"rain(large).ani", nullptr, 1, 1},
    {"Snow.ani", nullptr, 1, 1},
};

constexpr EffectAnimationRow kFireRows[1] = {{"fire.ani", nullptr, 1, 1}};

constexpr EffectAnimationRow kEffectRows[26] = {
    {"fire.ani", nullptr, 1, 1},        {"Special00.ani", nullptr, 1, 1},
    {"Special01.ani", nullptr, 1, 1},   {"Special02.ani", nullptr, 1, 1},
    {"AddHp.ani", nullptr, 1, 1},       {"DecHp.ani", nullptr, 1, 1},
    {"Ok.ani", nullptr, 1, 1},          {"No.ani", nullptr, 1, 1},
    {"Winning.ani", nullptr, 1, 1},     {"LvUp.ani", nullptr, 1, 1},
    {"Gift.ani", nullptr, 1, 1},        {"Order.ani", nullptr, 1, 1},
    {"Cursor07.ani", nullptr, 1, 1},    {"bomb1.ani", nullptr, 1, 1},
    {"AddHp.ani", nullptr, 1, 1},       {"Work.ani", nullptr, 1, 1},
    {"Ok.ani", nullptr, 1, 1},          {"No.ani", nullptr, 1, 1},
    {"b_fire.ani", nullptr, 1, 1},      {"m_fire.ani", nullptr, 1, 1},
    {"s_fire.ani", nullptr, 1, 1},      {"Work.ani", nullptr, 1, 1},
    {"rain(less).ani", nullptr, 1, 1},  {"rain(middle).ani", nullptr, 1, 1},
    {"rain(large).ani", nullptr, 1, 1}, {"Snow.ani", nullptr, 1, 1},
};

// Slots past a table's named rows have an empty name.
constexpr EffectAnimationRow kEmptyRow = {"", nullptr, 1, 1};

struct KindTable {
    const EffectAnimationRow* rows;
    int named;
};
constexpr KindTable kTables[EffectAnimationCache::kKinds] = {
    {kCursorRows, 30}, {kWeatherRows, 4}, {kFireRows, 1}, {kEffectRows, 26}};

} // namespace

EffectAnimation* DecodeEffectAnimation(std::span<const uint8_t> file, const EffectAnimationRow& row) {
    auto* anim = new EffectAnimation;
    anim->param = row.param;
    anim->paramWords = row.param ? row.paramWords : 0;
    anim->value1 = row.value1;
    anim->value2 = row.value2;
    ByteReader in(file);
    const uint32_t count = in.u32();
    in.u32(); // width and height of the file header: not used here
    in.u32();
    if (!in.ok()) return anim;
    AniFrameCell** tail = &anim->frames;
    // Each frame takes at least its 16-byte header and 3 bytes of pixel and mask.
    for (uint32_t i = 0; i < count && anim->frameCount < INT16_MAX && in.remaining() >= 19; ++i) {
        AniFrame* frame = ReadAniFrameRecord(in);
        if (!frame) break;
        *tail = new AniFrameCell{nullptr, frame};
        tail = &(*tail)->next;
        ++anim->frameCount;
    }
    return anim;
}

EffectAnimation* LoadEffectAnimation(const EffectAnimationRow& row) {
    std::vector<uint8_t> bytes;
    if (!row.fileName || !*row.fileName || !ReadGameFile(row.fileName, bytes)) bytes.clear();
    return DecodeEffectAnimation(bytes, row);
}

void FreeEffectAnimation(EffectAnimation* animation) {
    if (!animation) return;
    for (AniFrameCell* cell = animation->frames; cell;) {
        AniFrameCell* next = cell->next;
        FreeAniFrame(cell->frame);
        delete cell;
        cell = next;
    }
    delete animation;
}

EffectAnimationCache::EffectAnimationCache() {
    for (int i = 0; i <= 25; ++i)
        cursor[i] = LoadEffectAnimation(*Row(0, i));
}

EffectAnimationCache::~EffectAnimationCache() {
    // The program ends with the cache: nothing may be left behind for the leak checker.
    for (int kind = 0; kind < kKinds; ++kind)
        for (int i = 0; i < kSlots[kind]; ++i) {
            EffectAnimation** slot = Slot(kind, i);
            FreeEffectAnimation(*slot);
            *slot = nullptr;
        }
    for (EffectAnimation*& s : spare) {
        FreeEffectAnimation(s);
        s = nullptr;
    }
}

const EffectAnimationRow* EffectAnimationCache::Row(int kind, int index) {
    if (kind < 0 || kind >= kKinds || index < 0 || index >= kSlots[kind]) return nullptr;
    return index < kTables[kind].named ? &kTables[kind].rows[index] : &kEmptyRow;
}

EffectAnimation** EffectAnimationCache::Slot(int kind, int index) {
    if (kind < 0 || kind >= kKinds || index < 0 || index >= kSlots[kind]) return nullptr;
    switch (kind) {
    case 0:
        return &cursor[index];
    case 1:
        return &weather[index];
    case 2:
        return &fire[index];
    default:
        return &effects[index];
    }
}

EffectAnimation* EffectAnimationCache::Loaded(int kind, int index) const {
    EffectAnimation** slot = const_cast<EffectAnimationCache*>(this)->Slot(kind, index);
    return slot ? *slot : nullptr;
}

EffectAnimation* EffectAnimationCache::Acquire(int kind, int index) {
    EffectAnimation** slot = Slot(kind, index);
    if (!slot) return nullptr;
    if (!*slot) *slot = LoadEffectAnimation(*Row(kind, index));
    if ((*slot)->refCount < INT16_MAX) ++(*slot)->refCount;
    return *slot;
}

void EffectAnimationCache::Release(int kind, int index) {
    if (kind != 1 && kind != 3) return;
    EffectAnimation** slot = Slot(kind, index);
    if (!slot || !*slot || (*slot)->refCount <= 0) return;
    if (--(*slot)->refCount == 0) {
        FreeEffectAnimation(*slot);
        *slot = nullptr;
    }
}
