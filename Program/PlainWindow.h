#pragma once

#include "gui/Window.h"

// A window without layout: the stage editor's view.
class PlainWindow : public Window {
public:
    int Close(int result) override { return CloseWindowAndPanel(nullptr, result); }
};
