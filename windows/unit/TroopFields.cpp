#include "windows/unit/TroopFields.h"

#include "gui/TextButton.h"

#include <algorithm>

namespace {

BarRecord* Gauge(std::unordered_map<const Widget*, std::unique_ptr<BarRecord>>& bars, TextLabel* label,
                 uint8_t r, uint8_t g, uint8_t b, int percent) {
    std::unique_ptr<BarRecord>& bar = bars[label];
    if (!bar) bar = std::make_unique<BarRecord>();
    bar->r = r;
    bar->g = g;
    bar->b = b;
    bar->percent = int16_t(std::clamp(percent, 0, 100));
    label->barRecord = bar.get();
    return bar.get();
}

} // namespace

void TroopFields::Text(Widget* label, uint8_t r, uint8_t g, uint8_t b, int8_t size, uint8_t style,
                       const std::string& text) {
    auto* l = dynamic_cast<TextLabel*>(label);
    if (!l) return;
    l->SetTextColor(TextLabel::Text);
    texts_.SetText(label, r, g, b, size, style, text);
    l->visible = 1;
}

void TroopFields::Bar(Widget* label, uint8_t r, uint8_t g, uint8_t b, int percent) {
    auto* l = dynamic_cast<TextLabel*>(label);
    if (!l) return;
    Gauge(bars_, l, r, g, b, percent);
    l->SetTextColor(TextLabel::Bar);
    l->DrawText();
    l->visible = 1;
}

void TroopFields::BarText(Widget* label, uint8_t r, uint8_t g, uint8_t b, int percent, int8_t size,
                          const std::string& text) {
    auto* l = dynamic_cast<TextLabel*>(label);
    if (!l) return;
    Gauge(bars_, l, r, g, b, percent);
    texts_.SetText(label, 255, 255, 255, size, 1, text);
    l->SetTextColor(TextLabel::BarText);
    l->DrawText();
    l->visible = 1;
}

void TroopFields::Caption(Widget* button, uint8_t r, uint8_t g, uint8_t b, int8_t size, uint8_t style,
                          const std::string& text) {
    auto* t = dynamic_cast<TextButton*>(button);
    if (!t) return;
    std::unique_ptr<LabelText>& held = captions_[button];
    if (!held) held = std::make_unique<LabelText>();
    held->text = text;
    held->record = FontRecord{r, g, b, 0, size, held->text.c_str(), style};
    t->SetCaption(&held->record, 0);
    t->ShowNormal();
}

void TroopFields::Forget() {
    texts_ = LabelKeeper();
    bars_.clear();
    captions_.clear();
}
