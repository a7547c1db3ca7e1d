#include "gui/GuiPanel.h"

#include "engine/Rect.h"

GuiPanel::GuiPanel(Rect* r, Widget* p, Window* l, int, int, int) : rect(r), parent(p), listener(l) {}

GuiPanel::~GuiPanel() {
    delete rect;
}

void GuiPanel::Close(int) {
    parent = nullptr;
}
