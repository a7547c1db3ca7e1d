#include "windows/unit/UnitPanels.h"

#include "engine/LinkList.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"

namespace {

LinkList* DrawList() {
    return TheResourceStore ? TheResourceStore->drawList : nullptr;
}

} // namespace

GuiPanel* OpenLayoutPanel(GuiLayout* layout, Widget* parent, Window* listener, LinkList*& controls, int dx,
                          int dy) {
    if (!layout) return nullptr;
    GuiImage* background = layout->elements[0];
    Rect* rect = background ? new Rect(background->left + dx, background->top + dy, background->right + dx,
                                       background->bottom + dy)
                            : new Rect(0, 0, 0, 0);
    auto* panel = new GuiPanel(background, rect, parent, listener, 1, 1, 0);
    controls = layout->CreateControls(panel, listener);
    if (LinkList* list = DrawList()) list->Add(reinterpret_cast<uintptr_t>(panel));
    return panel;
}

GuiPanel* OpenRowPanel(GuiLayout* rowLayout, Widget* place, GuiPanel* page, Window* listener,
                       LinkList*& controls) {
    if (!rowLayout || !place || !page) return nullptr;
    GuiImage* background = rowLayout->elements[0];
    const int w = background ? background->right - background->left : 0;
    const int h = background ? background->bottom - background->top : 0;
    auto* rect = new Rect(place->rect.left, place->rect.top, place->rect.left + w, place->rect.top + h);
    auto* row = new GuiPanel(background, rect, page, listener, 1, 1, 0);
    controls = rowLayout->CreateControls(row, listener);
    row->result = 0;
    return row;
}

void DropPanel(GuiPanel*& panel) {
    if (!panel) return;
    if (LinkList* list = DrawList()) list->RemoveValue(reinterpret_cast<uintptr_t>(panel));
    panel->Close(0);
    DeferDelete(panel);
    panel = nullptr;
}

void DropRowPanels(GuiPanel** rows, LinkList** controls, int count) {
    for (int i = 0; i < count; ++i) {
        if (rows[i]) {
            rows[i]->Close(0);
            DeferDelete(rows[i]);
            rows[i] = nullptr;
        }
        controls[i] = nullptr;
    }
}

void SwitchPanel(GuiPanel* panel, bool on, bool drawn) {
    if (!panel) return;
    panel->enabled = on ? 1 : 0;
    LinkList* list = DrawList();
    if (on && drawn && list && !list->ContainsPtr(reinterpret_cast<uintptr_t>(panel)))
        list->Add(reinterpret_cast<uintptr_t>(panel));
}
