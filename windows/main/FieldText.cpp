#include "windows/main/FieldText.h"

#include "engine/LinkList.h"
#include "gui/FontRecord.h"
#include "gui/TextLabel.h"
#include "gui/Widget.h"

#include <algorithm>

namespace {

void FillRecord(FontRecord* record, const char* text, uint8_t style, int8_t size, uint8_t face, uint8_t r,
                uint8_t g, uint8_t b) {
    record->r = r;
    record->g = g;
    record->b = b;
    record->face = face;
    record->size = size;
    record->text = text;
    record->style = style;
}

// Attaches the label's own bar record with the colour and share, in the draw mode given.
void AttachBar(TextLabel* label, int value, uint8_t r, uint8_t g, uint8_t b, int16_t mode) {
    label->ownBar = ColorRecord{r, g, b, int16_t(std::clamp(value, 0, 100))};
    label->SetColorRecord(&label->ownBar);
    label->SetTextColor(mode);
}

} // namespace

TextLabel* FieldLabel(LinkList* controls, int index) {
    if (!controls) return nullptr;
    auto* widget = reinterpret_cast<Widget*>(controls->FindById<Widget>(0x200 + index));
    return dynamic_cast<TextLabel*>(widget);
}

void ShowFieldText(const char* text, FontRecord* fontRecord, LinkList* controls, int index, uint8_t style,
                   int8_t size) {
    ShowFieldTextColored(text, fontRecord, controls, index, style, size, 0, 255, 255, 255);
}

void ShowFieldTextColored(const char* text, FontRecord* fontRecord, LinkList* controls, int index,
                          uint8_t style, int8_t size, uint8_t face, uint8_t red, uint8_t green,
                          uint8_t blue) {
    if (!fontRecord) return;
    FillRecord(fontRecord, text, style, size, face, red, green, blue);
    TextLabel* label = FieldLabel(controls, index);
    if (!label) return;
    label->SetFont(fontRecord, 0);
    label->DrawText();
}

void ShowFieldColor(int value, uint8_t red, uint8_t green, uint8_t blue, LinkList* controls, int index,
                    int flags) {
    TextLabel* label = FieldLabel(controls, index);
    if (!label) return;
    AttachBar(label, value, red, green, blue, TextLabel::Bar);
    label->flagWord = uint8_t(flags & 0xFF);
    label->DrawText();
}

void ShowFieldColorText(int value, uint8_t red, uint8_t green, uint8_t blue, const char* text,
                        FontRecord* fontRecord, LinkList* controls, int index, uint8_t style, int8_t size) {
    TextLabel* label = FieldLabel(controls, index);
    if (!label || !fontRecord) return;
    FillRecord(fontRecord, text, style, size, 0, 255, 255, 255);
    label->SetFont(fontRecord, 0);
    AttachBar(label, value, red, green, blue, TextLabel::BarText);
    label->DrawText();
}
