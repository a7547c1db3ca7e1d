#include "windows/main/Win11Window.h"

#include "Program/GameController.h"
#include "Program/SaveLoadScreen.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/WindowHosts.h"
#include "windows/main/FieldText.h"

#include <string>

namespace {

bool GroupFilled(const GameController& c, int n) {
    return c.groupHeaders[n] && c.groups[n] && c.groups[n]->GetCount() >= 1;
}

} // namespace

Win11Window::Win11Window(Widget* parentWidget, void* ownerObject) : owner(ownerObject), parent(parentWidget) {
    LayoutWindowParts parts = BuildLayoutPanel("Win11.gui", parent, this);
    layout = parts.layout;
    panel = parts.panel;
    controls = layout->CreateControls(panel, this);
    if (TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(panel));
    RefreshGroupRows();
}

Win11Window::~Win11Window() {
    if (panel) {
        if (TheResourceStore && TheResourceStore->drawList)
            TheResourceStore->drawList->RemoveValue(reinterpret_cast<uintptr_t>(panel));
        panel->Close(0);
        DeferDelete(panel);
    }
    panel = nullptr;
    // Controls made from the layout may still wait for deletion: the layout goes after them.
    DeferDelete(layout);
    layout = nullptr;
}

void Win11Window::RefreshGroupRows() {
    const GameController* c = TheGameController;
    for (int n = 0; n < 10; ++n) {
        rowText[n][0] = 0;
        bool current = false;
        if (c && GroupFilled(*c, n)) {
            const auto* first = reinterpret_cast<Troop*>(c->groups[n]->GetAt(0));
            const std::string name =
                first && first->officer ? std::string(first->officer->Name()) : std::string();
            std::string text(1, char(n < 9 ? '1' + n : '0'));
            text += name;
            CopyBig5Bounded(rowText[n], sizeof rowText[n], text.c_str());
            current = c->currentGroup == n;
        }
        ShowFieldTextColored(rowText[n], &rows[n], controls, n, 2, 14, 0, current ? 255 : 254,
                             current ? 0 : 254, current ? 0 : 254);
    }
}

int Win11Window::SelectNextGroup() {
    GameController* c = TheGameController;
    if (!c || c->currentGroup < 0) return 0;
    if (TheMouseCursor) {
        TheMouseCursor->dragPayload = 0;
        TheMouseCursor->dragValue = 0;
    }
    const int start = c->currentGroup;
    int n = start;
    do {
        n = (n + 1) % 10;
    } while (n != start && !GroupFilled(*c, n));
    if (n == start) return 1;
    if (c->SelectGroup(n)) c->FocusGroup(n);
    RefreshGroupRows();
    return 1;
}

void RefreshGroupRows() {
    if (TheWin01Host && TheWin01Host->groupList) TheWin01Host->groupList->RefreshGroupRows();
}
