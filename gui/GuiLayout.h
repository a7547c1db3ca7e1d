#pragma once

#include "gui/RootObject.h"

#include <cstdint>

namespace platform {
class Surface;
}
class LinkList;
class Widget;
class Window;

// One element of a layout: a rectangle, the size of its picture, a word for the control, and the
// picture itself (colour key black), or no surface when the element had no pixels. Buttons and
// scroll bars make elements of their own too.
struct GuiImage : public RootObject {
public:
    GuiImage() = default;
    ~GuiImage() override = default;

    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
    int16_t width = 0;
    int16_t height = 0;
    int16_t value = 0;
    platform::Surface* surface = nullptr;
};

// A ".gui" window layout read into a table of elements, and the controls made from it. A file that
// cannot be opened gives an empty layout; a damaged one gives the elements read before the damage.
class GuiLayout : public RootObject {
public:
    static constexpr int kSlots = 2000;
    // An element picture larger than this many pixels is skipped (its slot stays empty).
    static constexpr int32_t kMaxPictureArea = 2048 * 2048;

    explicit GuiLayout(const char* fileName);
    ~GuiLayout() override;
    GuiLayout(const GuiLayout&) = delete;
    GuiLayout& operator=(const GuiLayout&) = delete;

    // Makes the controls on the parent with the listener, in the order picture buttons, plain
    // buttons, text buttons, labels, scroll bars, toggles; returns the parent's child list.
    LinkList* CreateControls(Widget* parent, Window* listener);
    // The first control with this id, or null.
    Widget* FindControl(int id);

    // The background element (the file's first slot), or null.
    const GuiImage* FirstImage() const { return elements[0]; }

    int16_t panelCount = 0;
    int16_t pictureButtonCount = 0;
    int16_t toggleButtonCount = 0;
    int16_t plainButtonCount = 0;
    int16_t textButtonCount = 0;
    int16_t scrollBarCount = 0;
    int16_t labelCount = 0;
    int16_t pictureButtonFirst = 0;
    int16_t toggleButtonFirst = 0;
    int16_t plainButtonFirst = 0;
    int16_t textButtonFirst = 0;
    int16_t scrollBarFirst = 0;
    int16_t labelFirst = 0;
    GuiImage* elements[kSlots] = {};
    LinkList* controls = nullptr;

private:
    // The element at slot, or null when the slot (or one of `span` slots from it) is out of range.
    GuiImage* ElementAt(int slot, int span = 1) const;
};
