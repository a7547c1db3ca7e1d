#pragma once

#include "windows/unit/UnitRowPage.h"

// The belt page: each panel row's four belt items, used, dragged and dropped.
class Win34Window : public UnitRowPage {
public:
    Win34Window(Widget* parent, Win05Window* owner);

    void ClearEquipSlot(int row, int slot);
    Troop* GetSlotTroop(int n) const;

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightPress(Widget* control, Point* point) override;
    void OnControlToggle(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

protected:
    void DrawRow(Troop* troop, int r) override;
};
