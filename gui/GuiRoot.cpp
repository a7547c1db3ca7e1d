#include "gui/GuiRoot.h"

#include "gui/MouseCursor.h"
#include "gui/Widget.h"

GuiRoot* TheGuiRoot = nullptr;
Widget* TheRootWidget = nullptr;
MouseCursor* TheMouseCursor = nullptr;

GuiRoot::GuiRoot() {
    TheMouseCursor = new MouseCursor;
    TheRootWidget = new Widget;
}

GuiRoot::~GuiRoot() {
    delete TheRootWidget;
    TheRootWidget = nullptr;
    delete TheMouseCursor;
    TheMouseCursor = nullptr;
    DestroyDerived();
}
