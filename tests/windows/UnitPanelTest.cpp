// The selected-unit panel and its equipment page, built from the demo folder's layouts, on troops
// of a small battle: rows and strength bars, and item drags that go through the equipment command.
#include "troops/TroopFixture.h"

#include "Program/ScreenControls.h"
#include "fuzz/seeds/builders/TestDisplay.h"
#include "gui/DeferredDelete.h"
#include "gui/MouseCursor.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win99Window.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

using L = OfficerLayout;

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";

constexpr int32_t kSword = 300, kPotion = 301, kBag = 321;

class UnitPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(std::system((MakeDemo + " . > /dev/null").c_str()), 0);
        b.Animations({1});
        auto set = [](std::array<uint8_t, ItemRecord::kSize>& block, uint32_t offset, int32_t v) {
            std::memcpy(block.data() + offset, &v, 4);
        };
        set(items[0], ItemLayout::kCategory, 1); // a sword anyone may carry
        set(items[0], 40, 1);
        set(items[0], 24, 30);
        set(items[1], ItemLayout::kCategory, 7); // a potion: belt only
        set(items[1], 24, 31);
        set(items[2], ItemLayout::kCategory, 8);
        ItemTable[kSword] = items[0].data();
        ItemTable[kPotion] = items[1].data();
        ItemTable[kBag] = items[2].data();
        oldCount = ItemCount;
        ItemCount = 330;
        TheMouseCursor = &cursor;
        TheWin99 = new Win99Window(nullptr, nullptr);
        Kingdom* own = b.AddKingdom(1, true);
        for (int i = 0; i < 2; ++i) {
            Troop* t = b.AddTroop(own, 5 + i, 5);
            t->officer->Set(L::kMaxHp, 100);
            t->officer->Set(L::kClass, 1);
            troops[i] = t;
            list.Add(uintptr_t(t));
        }
        troops[0]->officer->Set(L::kHp, 30);
        troops[1]->officer->Set(L::kHp, 80);
    }
    void TearDown() override {
        delete TheWin99;
        TheWin99 = nullptr;
        TheMouseCursor = nullptr;
        FlushDeferredDeletes();
        ItemTable[kSword] = ItemTable[kPotion] = ItemTable[kBag] = nullptr;
        ItemCount = oldCount;
    }
    Win05Window& Panel() { return *TheWin99->GetPanel(); }
    // Presses a slot of the equipment page and drags it to another control of the page.
    void Drag(int fromId, int toId) {
        Win07Window& page = *Panel().equipmentPage;
        page.OnControlToggle(FindScreenControl(page.controls, fromId), nullptr);
        page.OnControlClick(FindScreenControl(page.controls, toId), nullptr);
    }

    // Layout pictures need surfaces.
    TestDisplay display{565};
    trooptest::Battle b;
    std::array<std::array<uint8_t, ItemRecord::kSize>, 3> items{};
    int32_t oldCount = 0;
    MouseCursor cursor;
    LinkList list;
    Troop* troops[2] = {};
};

// A field selection shows one row per troop with its strength bar in the share's colour; the
// right click on a row opens the equipment page on that troop.
TEST_F(UnitPanelTest, RowsShowStrengthColoursAndTheRightClickOpensTheEquipmentPage) {
    Panel().ShowUnits(&list, 0, 0, 0, 0);
    ASSERT_TRUE(Panel().Shown());
    EXPECT_EQ(Panel().RowTroop(0), troops[0]);
    EXPECT_EQ(Panel().RowTroop(1), troops[1]);
    EXPECT_EQ(Panel().RowTroop(2), nullptr);
    const struct {
        int row;
        uint8_t r, g;
    } bars[] = {{0, 0xF8, 0xFC}, {1, 0x00, 0xFC}}; // 30 %: yellow; 80 %: green
    for (const auto& bar : bars) {
        auto* label = dynamic_cast<TextLabel*>(FindScreenControl(Panel().rowControls[bar.row], 0x201));
        ASSERT_NE(label, nullptr);
        ASSERT_NE(label->barRecord, nullptr);
        EXPECT_EQ(label->barRecord->r, bar.r);
        EXPECT_EQ(label->barRecord->g, bar.g);
        EXPECT_EQ(label->barRecord->b, 0);
    }
    // Mode 0 hides the scroll controls: a field selection holds at most six.
    ASSERT_NE(Panel().controls, nullptr);
    ASSERT_NE(FindScreenControl(Panel().controls, 0x300), nullptr);
    EXPECT_EQ(FindScreenControl(Panel().controls, 0x300)->visible, 0);
    Panel().OnControlRightClick(FindScreenControl(Panel().controls, 0x106), nullptr);
    EXPECT_EQ(Panel().equipmentPage->GetShownTroop(), troops[1]);
    EXPECT_EQ(FindScreenControl(Panel().controls, 0x100)->enabled, 0);
    // An empty field selection builds nothing.
    LinkList none;
    Panel().ShowUnits(&none, 0, 0, 0, 0);
    EXPECT_FALSE(Panel().Shown());
}

// Dragging on the equipment page moves items through the equipment command: a sword from the belt
// to the armour slot lands in the weapon slot and the old weapon goes to the belt; the refusals
// leave every slot as it was and end the drag.
TEST_F(UnitPanelTest, EquipmentDragsSwapSlotsAndRefusalsChangeNothing) {
    Troop* t = troops[0];
    const uint32_t weapon = L::kWeapon, belt = L::kWeapon + 4 * 6;
    const struct Case {
        const char* what;
        int32_t weaponBefore, belt6, belt7;
        int from, to;
        int32_t weaponAfter, belt6After, belt7After;
    } cases[] = {
        {"sword from belt onto armour: worn", 0, kSword, 0, 0x406, 0x404, kSword, 0, 0},
        {"worn sword onto the belt", kSword, 0, 0, 0x400, 0x407, 0, kSword, 0},
        {"potion onto the weapon slot: it would stay on the belt, refused", 0, 0, kPotion, 0x407, 0x400, 0, 0,
         kPotion},
        {"belt to belt on one troop: refused", 0, kPotion, 0, 0x406, 0x407, 0, kPotion, 0},
        {"a bag never goes into a slot", 0, kBag, 0, 0x406, 0x400, 0, kBag, 0},
    };
    Panel().ShowUnits(&list, 1, 0, 0, 0); // opens the equipment page on row 0
    ASSERT_EQ(Panel().equipmentPage->GetShownTroop(), t);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t->officer->Set(weapon, c.weaponBefore);
        t->officer->Set(belt, c.belt6);
        t->officer->Set(belt + 4, c.belt7);
        Panel().equipmentPage->RefreshItems(t);
        const int32_t attack = t->officer->Get(L::kAttack);
        Drag(c.from, c.to);
        EXPECT_EQ(t->officer->Get(weapon), c.weaponAfter);
        EXPECT_EQ(t->officer->Get(belt), c.belt6After);
        EXPECT_EQ(t->officer->Get(belt + 4), c.belt7After);
        EXPECT_EQ(cursor.dragPayload, 0u);
        EXPECT_EQ(UnitDragSource, nullptr);
        if (c.weaponAfter == c.weaponBefore) EXPECT_EQ(t->officer->Get(L::kAttack), attack);
    }
}

} // namespace
