#include "gui/TextButton.h"

#include "engine/DisplayDevice.h"
#include "engine/LinkList.h"
#include "gui/ControlDrawing.h"
#include "gui/FontRecord.h"
#include "gui/GuiLayout.h"
#include "gui/TextLabel.h"
#include "gui/Window.h"
#include "platform/Surface.h"

#include <cstring>

TextButton::TextButton(GuiImage** imageTable, int n, Rect* r, Widget* p, Window* l, int addToParent)
    : Control(r, p, l, 0), table(imageTable) {
    normalIndex = int16_t(n);
    pressedIndex = int16_t(n + 1);
    hoverIndex = int16_t(n + 2);
    disabledIndex = int16_t(n + 3);
    // The caption label is the button's child.
    children = new LinkList;
    GuiImage* normal = (table && n >= 0 && n < GuiLayout::kSlots) ? table[n] : nullptr;
    if (normal) {
        id = normal->value;
        surface = CreateOffscreenSurface(normal->width, normal->height);
        if (surface) {
            platform::DDCOLORKEY key;
            surface->SetColorKey(platform::DDCKEY_SRCBLT, &key);
            if (normal->surface) surface->BltFast(0, 0, normal->surface, nullptr, platform::DDBLTFAST_WAIT);
        }
    }
    JoinParent(addToParent);
}

TextButton::~TextButton() {
    // A caption still listed was not closed with the button: it goes with it.
    if (caption && children && children->ContainsPtr(reinterpret_cast<uintptr_t>(caption))) {
        RemoveChild(caption);
        delete caption;
    }
    caption = nullptr;
    delete captionArea;
}

void TextButton::DrawImage(int n) {
    if (platform::Surface* image = DrawableImage(table, n); image && surface) {
        const platform::RECT src{0, 0, rect.right - rect.left, rect.bottom - rect.top};
        surface->BltFast(0, 0, image, &src, platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT);
    }
    if (caption) caption->DrawText();
    BlitOntoParent(this, surface);
}

void TextButton::Release() {
    pressed = 0;
    hover = 0;
    ReleaseMouse();
}

void TextButton::Enable() {
    enabled = 1;
    DrawImage(normalIndex);
}

void TextButton::EnablePressed() {
    enabled = 1;
    DrawImage(pressedIndex);
}

void TextButton::Disable() {
    enabled = 0;
    DrawImage(disabledIndex);
    if (HoldsCapture(this)) Release();
}

void TextButton::ShowNormal() {
    DrawImage(normalIndex);
}

void TextButton::ShowPressed() {
    DrawImage(pressedIndex);
}

void TextButton::ShowHover() {
    DrawImage(hoverIndex);
}

void TextButton::ShowDisabled() {
    DrawImage(disabledIndex);
}

void TextButton::SetCaption(FontRecord* record, int16_t value) {
    captionFont = record;
    if (!record || !record->text) return;
    const GuiImage* normal =
        (table && normalIndex >= 0 && normalIndex < GuiLayout::kSlots) ? table[normalIndex] : nullptr;
    const int w = normal ? normal->width : rect.right - rect.left;
    const int h = normal ? normal->height : rect.bottom - rect.top;
    const int s = record->size;
    if (!captionArea) captionArea = new GuiImage;
    const uint32_t product = uint32_t(s * int(std::strlen(record->text)));
    const int t = int(product / 2);
    GuiImage& area = *captionArea;
    if (t >= 0 && t < w) {
        area.left = int16_t(record->style == 2 ? 0 : (w - t) / 2);
        area.right = int16_t(area.left + t);
        area.width = int16_t(t);
    } else {
        area.left = 3;
        area.right = int16_t(w - 3);
        area.width = int16_t(w - 6);
    }
    if (h < 2 * s) {
        area.top = int16_t((h - s) / 2);
        area.bottom = int16_t(area.top + s);
        area.height = int16_t(s);
    } else {
        area.top = 3;
        area.bottom = int16_t(3 + s);
        area.height = int16_t(h - 3);
    }
    // One caption at a time: a new text replaces the label of the old one.
    if (caption) {
        RemoveChild(caption);
        delete caption;
        caption = nullptr;
    }
    caption = new TextLabel(captionArea, 0, new Rect(area.left, area.top, area.right, area.bottom), this,
                            listener, 1, 0);
    caption->SetFont(record, value);
    caption->SetTextColor(150);
    DrawImage(normalIndex);
}

void TextButton::OnLeftButtonDown(Point* p) {
    if (pressed) return;
    pressed = 1;
    ShowPressed();
    if (listener) listener->OnControlPress(this, p);
}

void TextButton::OnLeftButtonUp(Point* p) {
    if (!pressed) return;
    Release();
    ShowNormal();
    if (listener) listener->OnControlClick(this, p);
}

void TextButton::OnMouseMove(Point* p) {
    if (!hover) {
        hover = 1;
        CaptureMouse(this);
        ShowHover();
        if (listener) listener->OnControlHover(this, p);
        return;
    }
    if (p && rect.Contains(*p)) return;
    ShowNormal();
    Release();
    if (listener) listener->OnControlHover(this, nullptr);
}
