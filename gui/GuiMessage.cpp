#include "gui/GuiMessage.h"

GuiMessage::GuiMessage(uint32_t context, Widget* target, RootObject* source, uint16_t kind,
                       const Point* point, const Rect* rect, uint32_t param)
    : context(context), target(target), source(source), kind(kind), param(param) {
    if (point) this->point = *point;
    if (rect) this->rect = *rect;
}
