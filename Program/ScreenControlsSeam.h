#pragma once

#include <cstdint>
#include <string>

class GuiLayout;
class GuiPanel;
class LinkList;
class Widget;
class Window;

// What the screens ask of their buttons and labels. The button and label classes arrive with the
// window framework's controls; until then these act on the widget fields every control has and
// keep the texts a label was given, so that the screens' logic can run and be checked.

// A label's text and looks (colour, face, size, style as the label reads them).
struct ScreenText {
    uint8_t red = 255;
    uint8_t green = 255;
    uint8_t blue = 255;
    uint8_t face = 0;
    int8_t size = 16;
    uint8_t style = 0;
    uint8_t flags = 0;
    std::string text;
};

// The controls of a layout on the panel with the window as listener: the panel's child list.
LinkList* CreateScreenControls(GuiLayout* layout, GuiPanel* panel, Window* listener);
// The first control of the list whose 16-bit id is id; null when none.
Widget* FindScreenControl(LinkList* controls, int id);

void ShowButtonNormal(Widget* button);
void ShowButtonPressed(Widget* button);
// The button's state (0 normal, 1 pressed) and the group word of its radio group.
void SetButtonState(Widget* button, int state, int16_t groupWord);
void EnableButton(Widget* button);
void DisableButton(Widget* button);

// Sets the label's text record and draws it.
void SetLabelText(Widget* label, const ScreenText& text);
// Sets a 16-bit picture as the label's background (width x height pixels).
void SetLabelBackground(Widget* label, const uint16_t* pixels, int width, int height);
void SetLabelTextColour(Widget* label, int colourIndex);
// Erases the label's area to the panel's background.
void ClearLabel(Widget* label);

// What a test sees of a control: the button state (-1 never set) and the label's last text.
struct ControlLook {
    int state = -1;
    bool hasText = false;
    ScreenText text;
    bool hasBackground = false;
    int colourIndex = -1;
};
ControlLook LookOf(const Widget* control);
// Forgets every kept look (tests start clean).
void ForgetControlLooks();

// Tests put stand-in controls on a panel when a layout gives none: called with the layout's file
// name after the layout's own controls are made. Null removes it.
using ScreenControlFactory = void (*)(const std::string& layoutName, GuiPanel* panel, Window* listener);
void SetScreenControlFactory(ScreenControlFactory factory);

// Draws an open panel of the store's draw list onto the back surface.
void DrawScreenPanel(GuiPanel* panel);
