#include "windows/unit/Win99Window.h"

#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "windows/unit/Win05Window.h"

Win99Window* TheWin99 = nullptr;

Win99Window::Win99Window(Widget* parent, GameController*)
    : panel(new Win05Window(parent, this)), skillIconLayout(new GuiLayout("Win99.gui")),
      iconLayout(new GuiLayout("Win97.gui")) {}

Win99Window::~Win99Window() {
    delete panel;
    panel = nullptr;
    // Buttons still waiting for deletion may point at the icons: the sets go after them.
    DeferDelete(skillIconLayout);
    DeferDelete(iconLayout);
    skillIconLayout = iconLayout = nullptr;
    FlushDeferredDeletes();
}
