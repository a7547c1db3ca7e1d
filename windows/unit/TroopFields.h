#pragma once

#include "Program/ScreenControls.h"
#include "gui/TextLabel.h"

#include <memory>
#include <string>
#include <unordered_map>

class Widget;

// The texts and bars a unit window hands to its labels, kept while the window shows them (the
// window's font and colour records).
class TroopFields {
public:
    void Text(Widget* label, uint8_t r, uint8_t g, uint8_t b, int8_t size, uint8_t style,
              const std::string& text);
    // A gauge of `percent` in the colour; with text, the text is drawn over it.
    void Bar(Widget* label, uint8_t r, uint8_t g, uint8_t b, int percent);
    void BarText(Widget* label, uint8_t r, uint8_t g, uint8_t b, int percent, int8_t size,
                 const std::string& text);
    // A text button's caption.
    void Caption(Widget* button, uint8_t r, uint8_t g, uint8_t b, int8_t size, uint8_t style,
                 const std::string& text);
    // Forgets every label (their panel is gone).
    void Forget();

private:
    LabelKeeper texts_;
    std::unordered_map<const Widget*, std::unique_ptr<BarRecord>> bars_;
    std::unordered_map<const Widget*, std::unique_ptr<LabelText>> captions_;
};
