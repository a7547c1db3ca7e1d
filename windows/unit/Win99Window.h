#pragma once

#include "gui/Window.h"

#include <cstdint>
#include <string>

class GameController;
class GuiLayout;
class GuiPanel;
class LinkList;
class Troop;
struct FontRecord;
struct TroopTexts;
class Widget;
class Win05Window;

// The unit panel host: owns the selected-unit panel and the two icon sets, and carries the troop
// drawing and the item and carried-troop drag rules every unit window shares. An icon number k
// names the four pictures (normal, pressed, hover, disabled) from element 4 (k - 1) + 1.
class Win99Window : public Window {
public:
    explicit Win99Window(Widget* parent = nullptr, GameController* owner = nullptr);
    ~Win99Window() override;
    Win99Window(const Win99Window&) = delete;
    Win99Window& operator=(const Win99Window&) = delete;

    Win05Window* GetPanel() const { return panel; }
    // The item icons ("Win97.gui") and the skill icons ("Win99.gui").
    GuiLayout* GetIconLayout() const { return iconLayout; }
    GuiLayout* GetSkillIconLayout() const { return skillIconLayout; }

    // ---- Drawing a troop into a window's controls (TroopDisplay.cpp) ----
    static void ShowTroopInfo(Troop* troop, LinkList* controls, TroopTexts& texts, bool full);
    static void ShowItemIcons(Troop* troop, LinkList* controls, int firstId, bool beltOnly);
    static void ShowSkillButtons(Troop* troop, LinkList* controls, int firstId);
    static void ShowCarryGrid(Troop* troop, GuiPanel* panel, LinkList* controls, Window* window,
                              int firstSlot, int frameLabel);
    static void ShowOrderCaption(Troop* troop, LinkList* controls, std::string& text, FontRecord& font);
    static void ShowPortrait(Troop* troop, LinkList* controls, int label, int pictureGroup);
    // The strength share's colour (RGB565): green from 50 %, yellow from 25 %, red below.
    static uint16_t StrengthColour(int percent);

    // ---- Item slots and drags (ItemDrag.cpp) ----
    static int FitEquipSlot(Troop* troop, int32_t item, int wantedSlot);
    static int FreeBeltSlot(Troop* troop);
    // The item id (slots 0-9) or the carried troop (slot 10 and up) in the slot; 0 / null for none.
    static int32_t GetSlotItem(Troop* troop, int slot);
    static Troop* GetSlotTroop(Troop* troop, int slot);
    static void BeginDrag(Window* window, Troop* troop, int slot, int row);
    static void DropOnSlot(Troop* target, Troop* source, int slot, int mode);
    static void DropOnTroop(Troop* target, Troop* source, int mode);

    Win05Window* panel = nullptr;
    // The unit panel's open page; null until the unit panels open one.
    GuiPanel* pagePanel = nullptr;
    GuiLayout* skillIconLayout = nullptr;
    GuiLayout* iconLayout = nullptr;
};

extern Win99Window* TheWin99;

// An item's icon number ("圖對應"), 0 for none.
int32_t ItemIconNumber(int32_t item);
// The normal picture of icon k of an icon set, or null.
struct GuiImage;
GuiImage** IconTable(GuiLayout* layout, int32_t icon);
