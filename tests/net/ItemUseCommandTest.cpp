// Carried items used through their command.
#include "troops/TroopFixture.h"

#include "net/SubCommands.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

// A potion restores its gauges up to their maxima and is spent; one whose gauge is already full
// stays in its slot.
TEST(ItemUse, APotionRestoresItsGaugesUpToTheirMaximaAndIsSpent) {
    std::array<std::array<uint8_t, ItemRecord::kSize>, 2> blocks{};
    auto set = [](std::array<uint8_t, ItemRecord::kSize>& block, uint32_t offset, int32_t v) {
        std::memcpy(block.data() + offset, &v, 4);
    };
    for (auto& block : blocks)
        set(block, ItemLayout::kCategory, 7);
    set(blocks[0], 180, 30); // strength
    set(blocks[1], 184, 10); // skill points
    ItemTable[300] = blocks[0].data();
    ItemTable[301] = blocks[1].data();
    const int32_t itemCount = ItemCount;
    ItemCount = 302;
    struct Case {
        const char* what;
        int32_t item, hp, mp;
        int32_t hpAfter, mpAfter;
        bool spent;
    };
    const Case cases[] = {
        {"strength restored", 300, 50, 5, 80, 5, true},
        {"strength capped at its maximum", 300, 90, 5, 100, 5, true},
        {"strength already full", 300, 100, 5, 100, 5, false},
        {"skill points restored", 301, 100, 5, 100, 15, true},
        {"skill points capped", 301, 50, 18, 50, 20, true},
    };
    trooptest::Battle b;
    Troop* own = b.AddTroop(b.AddKingdom(1, true), 5, 5);
    OfficerRecord& o = *own->officer;
    const uint32_t slot = 6, column = OfficerLayout::kWeapon + 4 * slot;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        o.Set(OfficerLayout::kMaxHp, 100);
        o.Set(OfficerLayout::kMaxMp, 20);
        o.Set(OfficerLayout::kHp, c.hp);
        o.Set(OfficerLayout::kMp, c.mp);
        o.Set(column, c.item);
        std::vector<uint8_t> relay;
        EXPECT_EQ(ReceiveSubCommand(PackSubCommand(kSubUseItem, {own->UnitId(), slot, 0}), false, relay),
                  CommandOutcome::Relay);
        EXPECT_EQ(o.Get(OfficerLayout::kHp), c.hpAfter);
        EXPECT_EQ(o.Get(OfficerLayout::kMp), c.mpAfter);
        EXPECT_EQ(o.Get(column), c.spent ? 0 : c.item);
    }
    ItemTable[300] = ItemTable[301] = nullptr;
    ItemCount = itemCount;
}

} // namespace
