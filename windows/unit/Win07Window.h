#pragma once

#include "gui/Window.h"
#include "windows/unit/TroopTexts.h"

#include <cstdint>

class GuiLayout;
class GuiPanel;
class LinkList;
class Troop;
class Widget;
class Win05Window;
class Win30Window;

// Casts skill slot s of the troop at its own cell (the skill of its class, slot and level); nothing
// for a skill it has not learned.
void CastSkillSlot(Troop* troop, int s);

// The equipment page: one troop in full, its ten item slots, its skills, the troops it carries
// and its order settings.
class Win07Window : public Window {
public:
    Win07Window(Widget* parent, Win05Window* owner);
    ~Win07Window() override;
    Win07Window(const Win07Window&) = delete;
    Win07Window& operator=(const Win07Window&) = delete;

    void Show(Troop* troop);
    void Close();
    bool Shows(const Troop* troop) const { return panel && troop && shown == troop; }
    void RefreshInfo(Troop* troop);
    void RefreshForTroop(Troop* troop);
    void RefreshSkills(Troop* troop);
    void RefreshItems(Troop* troop);
    void ClearEquipSlot(int slot);
    Troop* GetShownTroop() const { return shown; }
    void PressClose();

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightPress(Widget* control, Point* point) override;
    void OnControlToggle(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;
    void OnNotify(Window* child, int code) override;

    GuiPanel* panel = nullptr;
    Win30Window* orderPage = nullptr;
    Troop* shown = nullptr;
    Win05Window* owner = nullptr;
    Widget* parent = nullptr;
    GuiLayout* layout = nullptr;
    LinkList* controls = nullptr;
    TroopTexts texts;
    uint8_t orderOpen = 0;
};
