#include "Program/ScreenControls.h"

#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/GuiPanel.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"

void LabelKeeper::SetText(Widget* label, uint8_t r, uint8_t g, uint8_t b, int8_t size, uint8_t style,
                          const std::string& text, uint8_t face) {
    auto* l = dynamic_cast<TextLabel*>(label);
    if (!l) return;
    std::unique_ptr<LabelText>& held = texts_[label];
    if (!held) held = std::make_unique<LabelText>();
    held->text = text;
    held->record.r = r;
    held->record.g = g;
    held->record.b = b;
    held->record.face = face;
    held->record.size = size;
    held->record.style = style;
    held->record.text = held->text.c_str();
    l->SetFont(&held->record, 0);
    l->DrawText();
}

void LabelKeeper::SetPicture(Widget* label, std::vector<uint16_t> pixels, int width, int height) {
    auto* l = dynamic_cast<TextLabel*>(label);
    if (!l || width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height) return;
    auto picture = std::make_unique<LabelPicture>();
    pictures_.emplace_back(std::move(picture), std::move(pixels));
    LabelPicture* p = pictures_.back().first.get();
    p->width = width;
    p->height = height;
    p->pixels = pictures_.back().second.data();
    l->SetBackgroundImage(p);
}

const LabelText* LabelKeeper::TextOf(const Widget* label) const {
    auto it = texts_.find(label);
    return it == texts_.end() ? nullptr : it->second.get();
}

Widget* FindScreenControl(LinkList* controls, int id) {
    if (!controls) return nullptr;
    return reinterpret_cast<Widget*>(controls->FindById<Widget>(id));
}

void ShowButtonNormal(Widget* button) {
    if (auto* b = dynamic_cast<Button*>(button))
        b->ShowNormal();
    else if (auto* t = dynamic_cast<ToggleButton*>(button))
        t->ShowNormal();
}

void ShowButtonPressed(Widget* button) {
    if (auto* b = dynamic_cast<Button*>(button)) b->ShowPressed();
}

void SetButtonState(Widget* button, int mode, int pressed, int16_t groupWord) {
    auto* b = dynamic_cast<Button*>(button);
    if (!b) return;
    b->groupWord = groupWord;
    b->SetState(mode, pressed);
}

void EnableButton(Widget* button) {
    if (auto* b = dynamic_cast<Button*>(button))
        b->Enable();
    else if (auto* t = dynamic_cast<ToggleButton*>(button))
        t->Enable();
}

void DisableButton(Widget* button) {
    if (auto* b = dynamic_cast<Button*>(button))
        b->Disable();
    else if (auto* t = dynamic_cast<ToggleButton*>(button))
        t->Disable();
}

int ButtonShownPressed(const Widget* button) {
    if (auto* b = dynamic_cast<const Button*>(button)) return b->current == b->pressedIndex ? 1 : 0;
    return -1;
}

void SetLabelTextColour(Widget* label, int16_t mode) {
    if (auto* l = dynamic_cast<TextLabel*>(label)) l->SetTextColor(mode);
}

void DrawLabel(Widget* label) {
    if (auto* l = dynamic_cast<TextLabel*>(label)) l->DrawText();
}

void ClearLabel(Widget* label) {
    if (auto* l = dynamic_cast<TextLabel*>(label)) l->ClearArea();
}

void DrawScreenPanel(GuiPanel* panel) {
    if (panel) panel->Draw();
}
