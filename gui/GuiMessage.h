#pragma once

#include "engine/Point.h"
#include "engine/Rect.h"
#include "gui/RootObject.h"

#include <cstdint>

class Widget;

// One input record. Mouse messages come from the cursor; their point is translated in place
// into each widget group's coordinates as the message travels down the tree.
class GuiMessage : public RootObject {
public:
    // Message kinds.
    static constexpr uint16_t kMouseMove = 1;
    static constexpr uint16_t kLeftDown = 2;
    static constexpr uint16_t kLeftUp = 3;
    static constexpr uint16_t kFocusLost = 4;
    static constexpr uint16_t kRightDown = 5;
    static constexpr uint16_t kRightUp = 6;

    GuiMessage() = default;
    // The point and the rectangle are copied when given, else left zero.
    GuiMessage(uint32_t context, Widget* target, RootObject* source, uint16_t kind, const Point* point,
               const Rect* rect, uint32_t param);
    GuiMessage(const GuiMessage& other) = default;
    GuiMessage& operator=(const GuiMessage& other) = default;
    ~GuiMessage() override = default;

    uint32_t context = 0;
    Widget* target = nullptr;
    RootObject* source = nullptr;
    uint16_t kind = 0;
    Point point;
    Rect rect;
    // 1 for a message to a captured widget: the receivers skip their bounds tests.
    uint32_t param = 0;
};
