#pragma once

#include "gui/RootObject.h"

class Widget;
class LinkList;

// The window framework's root: the window list, the mouse cursor, the input queue and the
// root widget sized to the settings' screen.
class GuiRoot : public RootObject {
public:
    GuiRoot();
    ~GuiRoot() override;
};

extern GuiRoot* TheGuiRoot;
extern Widget* TheRootWidget;
