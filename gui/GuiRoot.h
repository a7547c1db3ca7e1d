#pragma once

#include "gui/RootObject.h"
#include "gui/RootWidget.h"

#include <cstdint>

class LinkList;

// Makes the window framework's globals once: the window list, the mouse cursor, the input
// queue and the root widget sized to the settings' screen.
class GuiRoot : public RootObject {
public:
    GuiRoot();
    ~GuiRoot() override;
    GuiRoot(const GuiRoot&) = delete;
    GuiRoot& operator=(const GuiRoot&) = delete;

    // 1 for the instance that made the globals.
    int32_t owner = 0;
};

extern GuiRoot* TheGuiRoot;
// The window list; no window registers in it.
extern LinkList* TheGuiWindowList;
