#include "gui/GuiPanel.h"

#include "engine/Rect.h"
#include "gui/Window.h"

GuiPanel::GuiPanel(Rect* r, Widget* p, Window* l, int addToParent, int, int) : WidgetGroup(r, p, l, 0) {
    variant = -1;
    JoinParent(addToParent);
}

void GuiPanel::NotifyOutsidePress() {
    if (listener) listener->OnPanelIdle();
}
