#include "windows/Win04Window.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "gui/Button.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiMessage.h"
#include "gui/GuiPanel.h"

namespace {

constexpr int kPageSwitch = 0x100;
constexpr int kPicture = 0x101;
constexpr int kPictureToggle = 0x102;

// The panel leaves the drawing list and the widget tree now; it goes once the current message has
// finished, since a page switch comes from one of its own buttons.
void ClosePanel(GuiPanel* panel, int result) {
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->RemoveValue(reinterpret_cast<uintptr_t>(panel));
    panel->result = result;
    panel->Close(0);
    DeferDelete(panel);
}

} // namespace

Win04Window::Win04Window(Widget* parent, GameController* owner) : owner(owner), parent(parent) {
    minimapLayout = new GuiLayout("Win04.gui");
    secondLayout = new GuiLayout("Win06.gui");
    ShowPage(1);
}

Win04Window::~Win04Window() {
    Finish(1);
    // Controls made from the layouts may still wait for deletion: the layouts go after them.
    DeferDelete(minimapLayout);
    DeferDelete(secondLayout);
    minimapLayout = secondLayout = currentLayout = nullptr;
}

void Win04Window::ShowPage(int newPage) {
    page = newPage;
    if (panel) ClosePanel(panel, 1);
    currentLayout = page == 1 ? minimapLayout : secondLayout;
    GuiImage* background = currentLayout->elements[0];
    Rect* rect = background
                     ? new Rect(background->left, background->top, background->right, background->bottom)
                     : new Rect(0, 0, 0, 0);
    panel = new GuiPanel(background, rect, parent, this, 1, 1, 0);
    controls = currentLayout->CreateControls(panel, this);
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(panel));
    if (owner) {
        owner->minimapAreaX = panel->rect.left;
        owner->minimapAreaY = panel->rect.top;
    }
    if (Widget* toggle = FindScreenControl(controls, kPictureToggle))
        SetButtonState(toggle, Button::Check, owner && owner->minimapToggle == 1 ? 1 : 0, toggle->groupWord);
}

void Win04Window::ToController(Point* point, void (GameController::*operation)(const GuiMessage*)) {
    if (!owner || !point || !panel) return;
    GuiMessage message;
    message.point = *point;
    message.point.Offset(panel->rect.left, panel->rect.top);
    (owner->*operation)(&message);
}

void Win04Window::OnControlClick(Widget* control, Point* point) {
    if (!control || (control->id & 0xFF00) != 0x100) return;
    switch (control->id) {
    case kPageSwitch:
        ShowPage(page == 1 ? 0 : 1);
        break;
    case kPicture:
        ToController(point, &GameController::ClickSelect);
        break;
    case kPictureToggle:
        if (!owner) break;
        owner->minimapToggle = owner->minimapToggle == 0 ? 1 : 0;
        SetButtonState(control, Button::Check, owner->minimapToggle, control->groupWord);
        break;
    default:
        break;
    }
}

void Win04Window::OnControlHover(Widget* control, Point* point) {
    auto* picture = dynamic_cast<Button*>(control);
    if (!picture || picture->id != kPicture || picture->pressed == 0) return;
    ToController(point, &GameController::ClickSelect);
}

void Win04Window::OnControlRightClick(Widget*, Point* point) {
    ToController(point, &GameController::DragSelect);
}

void Win04Window::DrawMiniMap() {
    if (currentLayout != minimapLayout || !panel || !owner) return;
    owner->DrawMiniMap(panel->surface);
}

int Win04Window::Finish(int result) {
    if (!panel) return 1;
    ClosePanel(panel, result);
    panel = nullptr;
    controls = nullptr;
    return 1;
}
