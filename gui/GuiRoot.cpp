#include "gui/GuiRoot.h"

#include "Program/ScreenSettings.h"
#include "engine/LinkList.h"
#include "engine/Rect.h"
#include "gui/DeferredDelete.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "gui/Window.h"

GuiRoot* TheGuiRoot = nullptr;
LinkList* TheGuiWindowList = nullptr;

GuiRoot::GuiRoot() {
    if (TheRootWidget) {
        owner = 0;
        return;
    }
    owner = 1;
    const int32_t width = TheScreenSettings ? TheScreenSettings->screenWidth : 800;
    const int32_t height = TheScreenSettings ? TheScreenSettings->screenHeight : 600;
    TheGuiWindowList = new LinkList;
    if (!TheMouseCursor) TheMouseCursor = new MouseCursor;
    TheGuiMessageQueue = new GuiMessageQueue;
    TheRootWidget = new RootWidget(new Rect(0, 0, width, height));
}

GuiRoot::~GuiRoot() {
    if (owner != 1) return;
    for (uintptr_t v = TheGuiWindowList->First(); v != 0; v = TheGuiWindowList->Next())
        delete reinterpret_cast<Window*>(v);
    delete TheGuiWindowList;
    TheGuiWindowList = nullptr;
    delete TheGuiMessageQueue;
    TheGuiMessageQueue = nullptr;
    delete TheRootWidget;
    TheRootWidget = nullptr;
    // Windows closed during the last message go before the cursor they may still name.
    FlushDeferredDeletes();
    delete TheMouseCursor;
    TheMouseCursor = nullptr;
}
