#pragma once

#include "gui/FontRecord.h"
#include "gui/LabelPortraits.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class GuiLayout;
class GuiPanel;
class LinkList;
class Widget;
class Window;

// Small null-safe helpers over the buttons and labels that a layout makes, for the screens.

// A label's text with its looks; the holder keeps the text alive while the label points at it.
struct LabelText {
    FontRecord record;
    std::string text;
};

// Texts and pictures that a screen hands to its labels, kept until the screen goes.
class LabelKeeper {
public:
    // Sets the text on the label (a text label) and draws it. Colour, size and style as given.
    void SetText(Widget* label, uint8_t r, uint8_t g, uint8_t b, int8_t size, uint8_t style,
                 const std::string& text, uint8_t face = 0);
    // Sets a picture of width x height pixels as the label's background.
    void SetPicture(Widget* label, std::vector<uint16_t> pixels, int width, int height);
    // The text last set on the label, or null.
    const LabelText* TextOf(const Widget* label) const;

private:
    std::unordered_map<const Widget*, std::unique_ptr<LabelText>> texts_;
    std::vector<std::pair<std::unique_ptr<LabelPicture>, std::vector<uint16_t>>> pictures_;
};

// The first control of the list whose 16-bit id is id; null when none.
Widget* FindScreenControl(LinkList* controls, int id);

// Buttons and toggles; null and other controls are ignored.
void ShowButtonNormal(Widget* button);
void ShowButtonPressed(Widget* button);
// A button's mode (0 push, 1 radio, 2 check) and its shown state, with its group word.
void SetButtonState(Widget* button, int mode, int pressed, int16_t groupWord);
void EnableButton(Widget* button);
void DisableButton(Widget* button);
// 1 when a button or toggle shows pressed, 0 normal, -1 not a button.
int ButtonShownPressed(const Widget* button);

void SetLabelTextColour(Widget* label, int16_t mode);
// Draws the label by its draw mode.
void DrawLabel(Widget* label);
// Erases the label's area to the panel's background.
void ClearLabel(Widget* label);

// Draws an open panel of the store's draw list onto the back surface.
void DrawScreenPanel(GuiPanel* panel);
