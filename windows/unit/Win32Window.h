#pragma once

#include "windows/unit/UnitRowPage.h"

// The skills page: each panel row's eight skills; a click casts one, with Shift the same group of
// skills on every shown troop.
class Win32Window : public UnitRowPage {
public:
    Win32Window(Widget* parent, Win05Window* owner);

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

protected:
    void DrawRow(Troop* troop, int r) override;

private:
    void GroupCast(Troop* clicked, int32_t skill);
};
