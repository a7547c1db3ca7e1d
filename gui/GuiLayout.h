#pragma once

#include "gui/RootObject.h"

#include <cstdint>
#include <string>

namespace platform {
class Surface;
}

class GuiPanel;
class Window;
class LinkList;

// One element of a layout: its rectangle (16-bit fields) and its picture size and value.
struct GuiImage {
    int16_t left = 0, top = 0, right = 0, bottom = 0;
    int16_t width = 0, height = 0, value = 0;
    // The picture, colour-keyed black; null when the record has none.
    platform::Surface* surface = nullptr;
};

// A ".gui" window layout. A file that cannot be read gives an empty layout.
class GuiLayout : public RootObject {
public:
    explicit GuiLayout(const char* fileName);
    ~GuiLayout() override = default;

    // The background record (kind 0), or null when the layout has none.
    const GuiImage* FirstImage() const { return hasBackground ? &background : nullptr; }
    // Creates the controls of the layout on the panel with the window as listener.
    LinkList* CreateControls(GuiPanel* panel, Window* listener);

    std::string name;
    bool hasBackground = false;
    GuiImage background;
};
