#include "gui/RootWidget.h"

#include "gui/DeferredDelete.h"

RootWidget* TheRootWidget = nullptr;

RootWidget::RootWidget(Rect* rect) : WidgetGroup(rect, nullptr, nullptr, 0) {}

void RootWidget::HandleMessage(GuiMessage* message) {
    DeferredDeleteScope scope;
    WidgetGroup::HandleMessage(message);
}
