#include "gui/GuiLayout.h"

#include "engine/DisplayDevice.h"
#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "engine/Rect.h"
#include "gui/Button.h"
#include "gui/TextButton.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"
#include "gui/VScrollBar.h"
#include "gui/Widget.h"
#include "platform/Files.h"
#include "platform/Surface.h"

#include <bit>

// Pixels go from the file straight into the surface rows.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr uint32_t kEndMarker = 0xFFFFFFFFu;
constexpr int kLockTries = 10000;

// The open layout file with the number of bytes still unread, so that no read or skip ever
// reaches past its end.
class LayoutFile {
public:
    explicit LayoutFile(const char* name) : file_(platform::_lopen(name, platform::OF_READ)) {
        if (file_ == platform::HFILE_ERROR) return;
        const int32_t end = platform::_llseek(file_, 0, platform::FILE_END);
        left_ = end > 0 ? uint32_t(end) : 0;
        platform::_llseek(file_, 0, platform::FILE_BEGIN);
    }
    ~LayoutFile() {
        if (file_ != platform::HFILE_ERROR) platform::_lclose(file_);
    }
    LayoutFile(const LayoutFile&) = delete;
    LayoutFile& operator=(const LayoutFile&) = delete;

    bool IsOpen() const { return file_ != platform::HFILE_ERROR; }
    bool Has(uint64_t n) const { return n <= left_; }

    bool Read(void* out, uint32_t n) {
        if (!Has(n)) return false;
        if (platform::_lread(file_, out, n) != n) {
            left_ = 0;
            return false;
        }
        left_ -= n;
        return true;
    }
    bool U32(uint32_t& v) {
        uint8_t b[4];
        if (!Read(b, 4)) return false;
        v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    bool Skip(uint32_t n) {
        if (!Has(n)) return false;
        if (platform::_llseek(file_, int32_t(n), platform::FILE_CURRENT) == platform::HFILE_ERROR) {
            left_ = 0;
            return false;
        }
        left_ -= n;
        return true;
    }

private:
    platform::HFILE file_;
    uint32_t left_ = 0;
};

// Fills a new surface with the element's rows; null (pixel bytes consumed) when the surface cannot
// be made or locked. `ok` turns false when the file ends inside the pixels.
platform::Surface* ReadPicture(LayoutFile& file, int width, int height, bool& ok) {
    const uint32_t rowBytes = uint32_t(width) * 2;
    const uint32_t total = rowBytes * uint32_t(height);
    if (!file.Has(total)) {
        ok = false;
        return nullptr;
    }
    platform::Surface* surface = CreateOffscreenSurface(width, height);
    if (!surface) {
        ok = file.Skip(total);
        return nullptr;
    }
    platform::DDCOLORKEY key;
    surface->SetColorKey(platform::DDCKEY_SRCBLT, &key);
    platform::DDSURFACEDESC2 desc;
    platform::HRESULT hr = platform::DDERR_WASSTILLDRAWING;
    for (int i = 0; i < kLockTries && hr == platform::DDERR_WASSTILLDRAWING; ++i)
        hr = surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT);
    if (platform::FAILED(hr)) {
        surface->Release();
        ok = file.Skip(total);
        return nullptr;
    }
    auto* bytes = static_cast<uint8_t*>(desc.lpSurface);
    for (int y = 0; y < height && ok; ++y)
        ok = file.Read(bytes + size_t(y) * size_t(desc.lPitch), rowBytes);
    if (ok && PixelFormat == 555) {
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(bytes + size_t(y) * size_t(desc.lPitch));
            for (int x = 0; x < width; ++x)
                row[x] = ConvertPixel565To555(row[x]);
        }
    }
    surface->Unlock(nullptr);
    if (!ok) {
        surface->Release();
        return nullptr;
    }
    return surface;
}

// Reads one element record and its pixels. Returns false when the file ended (or its bytes can no
// longer be trusted); `element` is null when the record gave nothing to keep.
bool ReadElement(LayoutFile& file, GuiImage*& element) {
    element = nullptr;
    uint32_t words[7];
    for (uint32_t& w : words)
        if (!file.U32(w)) return false;
    auto* image = new GuiImage;
    image->left = int16_t(words[0]);
    image->top = int16_t(words[1]);
    image->right = int16_t(words[2]);
    image->bottom = int16_t(words[3]);
    image->width = int16_t(words[4]);
    image->height = int16_t(words[5]);
    image->value = int16_t(words[6]);
    if (image->width == 0 || image->height == 0) {
        element = image;
        return true;
    }
    // A negative size says nothing about the bytes that follow: keep nothing and read on, as a
    // record whose surface fails would.
    if (image->width < 0 || image->height < 0) {
        delete image;
        return true;
    }
    const int32_t area = int32_t(image->width) * int32_t(image->height);
    if (area > GuiLayout::kMaxPictureArea) {
        delete image;
        return file.Skip(uint32_t(area) * 2);
    }
    bool ok = true;
    image->surface = ReadPicture(file, image->width, image->height, ok);
    if (!image->surface) {
        delete image;
        return ok;
    }
    element = image;
    return true;
}

} // namespace

GuiLayout::GuiLayout(const char* fileName) {
    if (!fileName) return;
    LayoutFile file(fileName);
    if (!file.IsOpen()) return;
    int slot = 0;
    // Reads `records` elements into the next slots; false once the file or the table is used up.
    auto readRecords = [&](uint64_t records) {
        for (uint64_t i = 0; i < records; ++i) {
            if (slot >= kSlots) return false;
            GuiImage* element = nullptr;
            const bool more = ReadElement(file, element);
            elements[slot++] = element;
            if (!more) return false;
        }
        return slot < kSlots;
    };
    for (;;) {
        uint32_t kind = 0;
        uint32_t count = 0;
        if (!file.U32(kind) || kind == kEndMarker || !file.U32(count)) break;
        const int16_t count16 = int16_t(count);
        const int16_t first = int16_t(slot);
        bool more = true;
        switch (kind) {
        case 0:
            panelCount = count16;
            more = readRecords(1);
            break;
        case 1:
            pictureButtonCount = count16;
            pictureButtonFirst = first;
            more = readRecords(uint64_t(count) * 4);
            break;
        case 2:
            labelCount = count16;
            labelFirst = first;
            more = readRecords(count);
            break;
        case 3:
            scrollBarCount = count16;
            scrollBarFirst = first;
            more = readRecords(count);
            break;
        case 4:
            toggleButtonCount = count16;
            toggleButtonFirst = first;
            more = readRecords(count);
            break;
        case 5:
            plainButtonCount = count16;
            plainButtonFirst = first;
            more = readRecords(count);
            break;
        case 6:
            textButtonCount = count16;
            textButtonFirst = first;
            more = readRecords(uint64_t(count) * 4);
            break;
        default:
            break;
        }
        if (!more) break;
    }
}

GuiLayout::~GuiLayout() {
    for (GuiImage*& element : elements) {
        if (!element) continue;
        if (element->surface) element->surface->Release();
        delete element;
        element = nullptr;
    }
}

GuiImage* GuiLayout::ElementAt(int slot, int span) const {
    if (slot < 0 || span < 1 || slot > kSlots - span) return nullptr;
    return elements[slot];
}

LinkList* GuiLayout::CreateControls(Widget* parent, Window* listener) {
    if (!parent) return nullptr;
    auto rectOf = [](const GuiImage* e) { return new Rect(e->left, e->top, e->right, e->bottom); };
    // Slots that are empty or whose pictures would run past the table make no control.
    for (int n = 0; n < pictureButtonCount; ++n) {
        const int slot = pictureButtonFirst + 4 * n;
        if (GuiImage* e = ElementAt(slot, 4)) {
            auto* button = new Button(elements, slot, rectOf(e), parent, listener, 1);
            button->id = int16_t(0x100 + n);
        }
    }
    for (int n = 0; n < plainButtonCount; ++n) {
        if (GuiImage* e = ElementAt(plainButtonFirst + n)) {
            auto* button = new Button(nullptr, 0, rectOf(e), parent, listener, 1);
            button->id = int16_t(0x500 + n);
        }
    }
    for (int n = 0; n < textButtonCount; ++n) {
        const int slot = textButtonFirst + 4 * n;
        if (GuiImage* e = ElementAt(slot, 4)) {
            auto* button = new TextButton(elements, slot, rectOf(e), parent, listener, 1);
            button->id = int16_t(0x600 + n);
        }
    }
    for (int n = 0; n < labelCount; ++n) {
        if (GuiImage* e = ElementAt(labelFirst + n)) {
            auto* label = new TextLabel(e, 0, rectOf(e), parent, listener, 1, 0);
            label->SetTextColor(e->value);
            label->id = int16_t(0x200 + n);
        }
    }
    for (int n = 0; n < scrollBarCount; ++n) {
        if (GuiImage* e = ElementAt(scrollBarFirst + n)) {
            auto* bar = new VScrollBar(e, rectOf(e), parent, listener, 1, 1, 10, 10, 1);
            bar->id = int16_t(0x300 + n);
        }
    }
    for (int n = 0; n < toggleButtonCount; ++n) {
        if (GuiImage* e = ElementAt(toggleButtonFirst + n)) {
            auto* toggle = new ToggleButton(nullptr, 0, rectOf(e), parent, listener, 1);
            toggle->id = int16_t(0x400 + n);
        }
    }
    controls = parent->children;
    return controls;
}

Widget* GuiLayout::FindControl(int id) {
    if (!controls) return nullptr;
    const int16_t wanted = int16_t(id);
    for (uintptr_t v = controls->First(); v != 0; v = controls->Next()) {
        auto* widget = reinterpret_cast<Widget*>(v);
        if (widget->id == wanted) return widget;
    }
    return nullptr;
}
