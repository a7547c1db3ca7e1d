#include "Program/ScreenControlsSeam.h"

#include "engine/LinkList.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/Widget.h"

#include <unordered_map>

namespace {

// Looks are keyed by the control's address and only ever compared, never followed.
std::unordered_map<const Widget*, ControlLook>& Looks() {
    static std::unordered_map<const Widget*, ControlLook> looks;
    return looks;
}

ScreenControlFactory Factory = nullptr;

} // namespace

LinkList* CreateScreenControls(GuiLayout* layout, GuiPanel* panel, Window* listener) {
    if (!panel) return nullptr;
    if (layout) {
        LinkList* made = layout->CreateControls(panel, listener);
        // The controls live in the panel's child list; any other list is only a copy.
        if (made && made != panel->children) delete made;
    }
    if (Factory) Factory(layout ? layout->name : std::string(), panel, listener);
    return panel->children;
}

Widget* FindScreenControl(LinkList* controls, int id) {
    if (!controls) return nullptr;
    return reinterpret_cast<Widget*>(controls->FindById<Widget>(id));
}

void ShowButtonNormal(Widget* button) {
    if (button) Looks()[button].state = 0;
}

void ShowButtonPressed(Widget* button) {
    if (button) Looks()[button].state = 1;
}

void SetButtonState(Widget* button, int state, int16_t groupWord) {
    if (!button) return;
    button->groupWord = groupWord;
    Looks()[button].state = state;
}

void EnableButton(Widget* button) {
    if (button) button->enabled = 1;
}

void DisableButton(Widget* button) {
    if (button) button->enabled = 0;
}

void SetLabelText(Widget* label, const ScreenText& text) {
    if (!label) return;
    ControlLook& look = Looks()[label];
    look.hasText = true;
    look.text = text;
}

void SetLabelBackground(Widget* label, const uint16_t* pixels, int width, int height) {
    if (!label || !pixels || width <= 0 || height <= 0) return;
    Looks()[label].hasBackground = true;
}

void SetLabelTextColour(Widget* label, int colourIndex) {
    if (label) Looks()[label].colourIndex = colourIndex;
}

void ClearLabel(Widget* label) {
    if (!label) return;
    ControlLook& look = Looks()[label];
    look.hasText = false;
    look.text = ScreenText{};
}

ControlLook LookOf(const Widget* control) {
    auto& looks = Looks();
    auto it = looks.find(control);
    return it == looks.end() ? ControlLook{} : it->second;
}

void ForgetControlLooks() {
    Looks().clear();
}

void SetScreenControlFactory(ScreenControlFactory factory) {
    Factory = factory;
}

void DrawScreenPanel(GuiPanel*) {}
