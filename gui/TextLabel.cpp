#include "gui/TextLabel.h"

#include "engine/Big5Font.h"
#include "engine/PixelFormat.h"
#include "gui/ControlDrawing.h"
#include "gui/FontRecord.h"
#include "gui/GuiLayout.h"
#include "gui/LabelPortraits.h"
#include "gui/Window.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

namespace {

// "細明體" and "標楷體".
constexpr char kMingFace[] = "\xB2\xD3\xA9\xFA\xC5\xE9";
constexpr char kKaiFace[] = "\xBC\xD0\xB7\xA2\xC5\xE9";

platform::LOGFONTA MakeDefaultFont() {
    return Big5FontSpec(-16, kMingFace);
}

// The part of [from, to) that lies inside [0, limit).
void ClipSpan(int& from, int& to, int limit) {
    from = std::max(from, 0);
    to = std::min(to, limit);
}

} // namespace

const platform::LOGFONTA TextLabelDefaultFont = MakeDefaultFont();

TextLabel::TextLabel(GuiImage* record, int16_t, Rect* r, Widget* p, Window* l, int addToParent, int)
    : Control(r, p, l, 0), font(TextLabelDefaultFont), layoutRecord(record) {
    enabled = 0;
    if (layoutRecord) id = layoutRecord->value;
    JoinParent(addToParent);
}

TextLabel::~TextLabel() {
    FreeCopy();
    DropOwnedSource();
}

void TextLabel::OnLeftButtonDown(Point* p) {
    if (listener) listener->OnControlPress(this, p);
}

void TextLabel::OnLeftButtonUp(Point* p) {
    if (listener) listener->OnControlClick(this, p);
}

void TextLabel::SetFont(FontRecord* record, int16_t) {
    if (!record) return;
    textRecord = record;
    switch (record->size) {
    case 10:
    case 12:
    case 14:
    case 16:
    case 18:
    case 20:
    case 24:
        font.lfHeight = -record->size;
        break;
    default:
        font.lfHeight = -16;
        break;
    }
    const char* face = (record->face == 1 || record->face == 2) ? kKaiFace : kMingFace;
    std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
    std::memcpy(font.lfFaceName, face, std::strlen(face));
}

void TextLabel::DrawText() {
    switch (drawMode) {
    case Bar:
        ClearArea();
        DrawBar();
        break;
    case BarText:
        ClearArea();
        DrawBar();
        DrawTextLines();
        break;
    case Text:
        ClearArea();
        DrawTextLines();
        break;
    case Picture:
    case PictureAlso:
        ClearArea();
        DrawPicture();
        break;
    default:
        break;
    }
    if (listener) listener->OnUpdate(0, 0);
}

void TextLabel::ClearArea() {
    // A caption's record has no picture: the button has drawn its face already.
    if (layoutRecord && !layoutRecord->surface) return;
    EraseToParentBackground(this);
}

int TextLabel::LineLength(const char* line, int length) {
    int n = 0;
    while (n < length) {
        const int step = (uint8_t(line[n]) >= 0x81 && n + 1 < length) ? 2 : 1;
        if (n + step > kLineBytes) break;
        n += step;
    }
    return n;
}

void TextLabel::DrawTextLines() {
    if (!textRecord || !textRecord->text || !parent || !parent->surface) return;
    platform::HDC dc = nullptr;
    if (platform::FAILED(parent->surface->GetDC(&dc)) || !dc) return;
    platform::HFONT f = platform::CreateFontIndirectA(&font);
    platform::SelectObject(dc, f);
    platform::SetBkMode(dc, platform::TRANSPARENT);
    const char* text = textRecord->text;
    const int s = textRecord->size;
    const int length = int(std::strlen(text));
    const int w = rect.right - rect.left;
    int x;
    switch (textRecord->style) {
    case 1:
        x = rect.left + (w - (s / 2) * length) / 2;
        break;
    case 2:
        x = rect.left;
        break;
    case 3:
        x = rect.left + 7;
        break;
    default:
        x = rect.left + w - (s / 2) * length;
        break;
    }
    const int d = textRecord->style == 3 ? 12 : 0;
    const platform::COLORREF colour = platform::RGB(textRecord->r, textRecord->g, textRecord->b);
    const char* at = text;
    for (int i = 0;; ++i) {
        const char* end = std::strchr(at, '\n');
        const int full = end ? int(end - at) : int(std::strlen(at));
        char line[kLineBytes + 1] = {};
        std::memcpy(line, at, size_t(LineLength(at, full)));
        const int y = rect.top + d + i * (s + 4);
        platform::SetTextColor(dc, platform::RGB(12, 12, 12));
        platform::TextOutA(dc, x + 1, y + 1, line, int(std::strlen(line)));
        platform::SetTextColor(dc, colour);
        platform::TextOutA(dc, x, y, line, int(std::strlen(line)));
        if (!end) break;
        at = end + 1;
    }
    platform::SelectObject(dc, platform::GetStockObject(platform::SYSTEM_FONT));
    platform::DeleteObject(f);
    parent->surface->ReleaseDC(dc);
}

void TextLabel::DrawBar() {
    if (!barRecord || !parent || !parent->surface || !parent->LockSurface()) return;
    auto* bytes = reinterpret_cast<uint8_t*>(parent->pixels);
    const int pitchBytes = parent->lockDesc.lPitch;
    const int surfaceWidth = parent->surface->width();
    const int surfaceHeight = parent->surface->height();
    const int w = rect.right - rect.left;
    const int percent = std::clamp<int>(barRecord->percent, 0, 100);
    const int filled = percent * w / 100;
    const BarRecord& bar = *barRecord;
    const uint16_t colour = uint16_t(((bar.r & 0xF8) << 8) | ((bar.g & 0xFC) << 3) | (bar.b >> 3));
    const uint16_t empty = colourKeyed ? 0x0800 : 0;
    int top = rect.top, bottom = rect.bottom;
    ClipSpan(top, bottom, surfaceHeight);
    for (int y = top; y < bottom && bytes; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(bytes + size_t(y) * size_t(pitchBytes));
        int from = rect.left, to = rect.left + filled;
        ClipSpan(from, to, surfaceWidth);
        for (int x = from; x < to; ++x)
            row[x] = colour;
        from = rect.left + filled;
        to = rect.left + w;
        ClipSpan(from, to, surfaceWidth);
        for (int x = from; x < to; ++x)
            row[x] = empty;
    }
    parent->UnlockSurface();
}

void TextLabel::DrawPicture() {
    if (copy && copy->pixels && parent && parent->surface && parent->LockSurface()) {
        auto* bytes = reinterpret_cast<uint8_t*>(parent->pixels);
        const int pitchBytes = parent->lockDesc.lPitch;
        int top = rect.top, bottom = rect.top + copy->height;
        ClipSpan(top, bottom, parent->surface->height());
        int from = rect.left, to = rect.left + copy->width;
        ClipSpan(from, to, parent->surface->width());
        for (int y = top; y < bottom && bytes && from < to; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(bytes + size_t(y) * size_t(pitchBytes));
            const uint16_t* src =
                copy->pixels + size_t(y - rect.top) * size_t(copy->width) + (from - rect.left);
            std::memcpy(row + from, src, size_t(to - from) * 2);
        }
        parent->UnlockSurface();
    }
    if (image) BlitOntoParent(this, image->surface);
}

void TextLabel::FreeCopy() {
    if (copyBlock) {
        platform::GlobalUnlock(copyBlock);
        platform::GlobalFree(copyBlock);
        copyBlock = nullptr;
    }
    delete copy;
    copy = nullptr;
}

void TextLabel::DropOwnedSource() {
    if (ownsSource && source && FreeLabelPortrait) FreeLabelPortrait(source);
    ownsSource = false;
    source = nullptr;
}

void TextLabel::MakeCopy(LabelPicture* picture) {
    FreeCopy();
    if (!picture || picture->width <= 0 || picture->height <= 0) return;
    const size_t count = size_t(picture->width) * size_t(picture->height);
    copyBlock = platform::GlobalAlloc(platform::GHND, count * 2);
    auto* pixels = static_cast<uint16_t*>(platform::GlobalLock(copyBlock));
    if (!pixels) {
        platform::GlobalFree(copyBlock);
        copyBlock = nullptr;
        return;
    }
    copy = new LabelPicture{picture->width, picture->height, pixels};
    if (picture->pixels) std::memcpy(pixels, picture->pixels, count * 2);
}

void TextLabel::SetBackgroundImage(LabelPicture* picture) {
    if (picture != source) DropOwnedSource();
    source = picture;
    MakeCopy(picture);
}

void TextLabel::SetBackgroundPicture(int size, int n) {
    LabelPicture* portrait = LoadLabelPortrait ? LoadLabelPortrait(size, n) : nullptr;
    DropOwnedSource();
    source = portrait;
    ownsSource = portrait != nullptr;
    MakeCopy(portrait);
}

void TextLabel::RestoreBackground(int mode) {
    if (!copy) return;
    const size_t count = size_t(copy->width) * size_t(copy->height);
    if (source && source->pixels && source->width == copy->width && source->height == copy->height)
        std::memcpy(copy->pixels, source->pixels, count * 2);
    if (mode != 1 && mode != 2) return;
    const bool layout555 = PixelFormat == 555;
    for (size_t i = 0; i < count; ++i) {
        const uint16_t p = copy->pixels[i];
        if (p == 0) continue;
        int r8, g8, b8;
        if (layout555) {
            r8 = (p >> 7) & 0xF8;
            g8 = (p >> 2) & 0xF8;
            b8 = (p << 3) & 0xF8;
        } else {
            r8 = (p >> 8) & 0xF8;
            g8 = (p >> 3) & 0xFC;
            b8 = (p << 3) & 0xF8;
        }
        const int g = (r8 * 9798 + g8 * 19235 + b8 * 3735) / 32768;
        uint16_t out;
        if (mode == 1)
            out = layout555 ? uint16_t(((g << 7) & 0x7C00) + 0x42) : uint16_t(((g << 8) & 0xF800) + 0x82);
        else if (layout555)
            out = uint16_t(((g << 7) & 0x7C00) + ((g << 2) & 0x3E0) + (g >> 3));
        else
            out = uint16_t(((g << 8) & 0xF800) + ((g << 3) & 0x7E0) + (g >> 3));
        copy->pixels[i] = out;
    }
}
