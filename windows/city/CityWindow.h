#pragma once

#include "gui/Window.h"

#include <cstdint>

class GuiLayout;
class GuiPanel;
class LinkList;
class Widget;

// What every city window shares: its layout, and its view built from the layout's first image
// record while it is open.
class CityWindow : public Window {
public:
    CityWindow(Widget* parent, const char* layoutFile);
    ~CityWindow() override;
    CityWindow(const CityWindow&) = delete;
    CityWindow& operator=(const CityWindow&) = delete;

    bool IsOpen() const { return view != nullptr; }
    Widget* Find(int id) const;
    // Acts as a click on the control, when the view has it.
    void Press(int id);

    Widget* parent = nullptr;
    GuiLayout* layout = nullptr;
    GuiPanel* view = nullptr;
    LinkList* controls = nullptr;

protected:
    // Builds the view (moved by dx, dy) or puts a hidden one back on the drawing list.
    void OpenView(int dx = 0, int dy = 0, bool drawn = true);
    // Takes the view off the drawing list, stores the result in it and lets it go.
    void CloseView(int result);
    // Whether a click came from a button of this view (id 0x1nn).
    bool OwnButton(Widget* control) const;
};

// Enables the control when `on`, else disables it; a missing control is skipped.
void EnableIf(Widget* control, bool on);
// The button shown pressed and disabled.
void MarkPage(Widget* button);
// A slot shows icon k of the shared icon set (none below 1).
void SetSlotIcon(Widget* slot, int32_t icon, bool enabled = true);
// Orders item numbers by class, then by number.
class LinkList;
void SortItemList(LinkList& items);
