#include "ControlTestSupport.h"

#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/TextButton.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"
#include "gui/VScrollBar.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <typeinfo>

using guifixture::LayoutWriter;
using guifixture::PatternPixel;

namespace {

class LayoutFileTest : public ControlDisplayFixture {
protected:
    std::unique_ptr<GuiLayout> Load(const LayoutWriter& w, const char* name = "Win99.gui") {
        EXPECT_TRUE(w.Write(name));
        return std::make_unique<GuiLayout>(name);
    }
    std::unique_ptr<GuiLayout> LoadBytes(const std::vector<uint8_t>& bytes) {
        testsupport::TempFolder::Write("Cut.gui", std::string(bytes.begin(), bytes.end()));
        return std::make_unique<GuiLayout>("Cut.gui");
    }
    testsupport::TempFolder folder;
};

int SlotCount(const GuiLayout& layout) {
    int n = 0;
    for (const GuiImage* e : layout.elements)
        n += e != nullptr;
    return n;
}

// What a control list looks like: class, id and rectangle of each control in list order.
struct Made {
    std::string kind;
    int id;
    int left, top;
    bool operator==(const Made&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Made& m) {
    return os << m.kind << " 0x" << std::hex << m.id << std::dec << " @" << m.left << "," << m.top;
}

std::vector<Made> Controls(LinkList* list) {
    std::vector<Made> out;
    for (uintptr_t v = list->First(); v != 0; v = list->Next()) {
        auto* w = reinterpret_cast<Widget*>(v);
        std::string kind = dynamic_cast<TextButton*>(w)     ? "text"
                           : dynamic_cast<Button*>(w)       ? "button"
                           : dynamic_cast<TextLabel*>(w)    ? "label"
                           : dynamic_cast<VScrollBar*>(w)   ? "bar"
                           : dynamic_cast<ToggleButton*>(w) ? "toggle"
                                                            : "other";
        out.push_back({kind, w->id, w->rect.left, w->rect.top});
    }
    return out;
}

} // namespace

TEST_F(LayoutFileTest, EmptyMissingAndEndOnlyFilesGiveEmptyLayouts) {
    LayoutWriter endOnly;
    endOnly.End();
    for (const char* name : {"End.gui", "Missing.gui"}) {
        if (std::string(name) == "End.gui") {
            ASSERT_TRUE(endOnly.Write(name));
        }
        GuiLayout layout(name);
        EXPECT_EQ(SlotCount(layout), 0) << name;
        EXPECT_EQ(layout.FirstImage(), nullptr);
        EXPECT_EQ(layout.FindControl(0x100), nullptr);
        RecordingWindow window(nullptr);
        GuiPanel* panel = new GuiPanel(new Rect(0, 0, 10, 10), TheRootWidget, &window, 1, 1, 0);
        LinkList* list = layout.CreateControls(panel, &window);
        EXPECT_EQ(list, panel->children);
        EXPECT_EQ(list->GetCount(), 0);
        Drop(panel);
    }
}

TEST_F(LayoutFileTest, ElementsKeepTheirWordsAndPictures) {
    LayoutWriter w;
    // Kind 0 reads one record whatever its count says; the next block follows it at once.
    w.Block(0, 5).Element(-20, 0x8000, 300, 200, 3, 2, 0x7FFF, 0x2000);
    // A record without a picture is followed directly by the next record.
    w.Block(2, 2).Element(1, 2, 3, 4, 0, 9, 150).Element(5, 6, 7, 8, 4, 1, 100, 0x4000);
    w.End();
    // Anything after the end marker is not read.
    w.Block(2, 1).Element(9, 9, 9, 9);
    auto layout = Load(w);
    ASSERT_EQ(SlotCount(*layout), 3);
    const GuiImage* back = layout->FirstImage();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->left, -20);
    EXPECT_EQ(back->top, -32768);
    EXPECT_EQ(back->value, 0x7FFF);
    EXPECT_EQ(layout->panelCount, 5);
    ASSERT_NE(back->surface, nullptr);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(back->surface->PixelAt(x, y), PatternPixel(0x2000, x, y));
    {
        platform::DDCOLORKEY key{1, 1};
        ASSERT_EQ(back->surface->GetColorKey(platform::DDCKEY_SRCBLT, &key), platform::DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
    }
    EXPECT_EQ(layout->labelCount, 2);
    EXPECT_EQ(layout->labelFirst, 1);
    EXPECT_EQ(layout->elements[1]->surface, nullptr);
    EXPECT_EQ(layout->elements[1]->height, 9);
    ASSERT_NE(layout->elements[2]->surface, nullptr);
    EXPECT_EQ(layout->elements[2]->surface->PixelAt(3, 0), PatternPixel(0x4000, 3, 0));
}

class LayoutFile555Test : public LayoutFileTest {
protected:
    LayoutFile555Test() : LayoutFileTest() {}
    void SetUp() override {
        display = std::make_unique<TestDisplay>(555);
        ASSERT_TRUE(display->ok);
        GuiRootFixture::SetUp();
    }
};

TEST_F(LayoutFile555Test, PicturesAreConvertedOnA555Display) {
    LayoutWriter w;
    w.Block(0, 1).ElementPixels(0, 0, 4, 1, 4, 1, 0, {0xFFFF, 0xF800, 0x07E0, 0x001F}).End();
    auto layout = Load(w);
    const GuiImage* back = layout->FirstImage();
    ASSERT_TRUE(back && back->surface);
    const uint16_t expected[] = {0x7FFF, 0x7C00, 0x03E0, 0x001F};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(back->surface->PixelAt(x, 0), expected[x]) << x;
}

TEST_F(LayoutFileTest, ControlsComeInKindOrderWithIdsIndependentOfBlockOrder) {
    // The same controls written in two block orders.
    auto write = [](bool reversed) {
        LayoutWriter w;
        w.Block(0, 1).Element(0, 0, 400, 300, 0, 0);
        auto pictures = [&] {
            w.Block(1, 2);
            for (int n = 0; n < 8; ++n)
                w.Element(10 + (n / 4) * 100, 10, 60 + (n / 4) * 100, 30, 2, 2, 0x40 + n,
                          uint16_t(0x100 * (n + 1)));
        };
        auto labels = [&] {
            w.Block(2, 2).Element(10, 100, 90, 120, 0, 0, 150).Element(10, 130, 90, 150, 0, 0, 100);
        };
        auto bars = [&] { w.Block(3, 1).Element(300, 50, 316, 150, 16, 100, 0, 0x52AA); };
        auto toggles = [&] { w.Block(4, 2).Element(10, 200, 40, 230).Element(50, 200, 80, 230); };
        auto plain = [&] { w.Block(5, 1).Element(200, 200, 250, 220); };
        auto text = [&] {
            w.Block(6, 1);
            for (int n = 0; n < 4; ++n)
                w.Element(100, 250, 180, 274, 80, 24, 0x60, uint16_t(0x800 * (n + 1)));
        };
        if (reversed) {
            text(), plain(), toggles(), bars(), labels(), pictures();
        } else {
            pictures(), labels(), bars(), toggles(), plain(), text();
        }
        return w.End();
    };
    const std::vector<Made> expected = {
        {"button", 0x100, 10, 10}, {"button", 0x101, 110, 10}, {"button", 0x500, 200, 200},
        {"text", 0x600, 100, 250}, {"label", 0x200, 10, 100},  {"label", 0x201, 10, 130},
        {"bar", 0x300, 300, 50},   {"toggle", 0x400, 10, 200}, {"toggle", 0x401, 50, 200},
    };
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "reversed blocks" : "file order");
        auto layout = Load(write(reversed));
        RecordingWindow window(nullptr);
        GuiPanel* panel = new GuiPanel(new Rect(0, 0, 400, 300), TheRootWidget, &window, 1, 1, 0);
        LinkList* list = layout->CreateControls(panel, &window);
        EXPECT_EQ(Controls(list), expected);
        EXPECT_EQ(layout->controls, panel->children);
        // The second picture button draws pictures first+4..first+7.
        auto* second = static_cast<Button*>(layout->FindControl(0x101));
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->normalIndex, layout->pictureButtonFirst + 4);
        EXPECT_EQ(second->disabledIndex, layout->pictureButtonFirst + 7);
        EXPECT_EQ(second->table, layout->elements);
        EXPECT_EQ(static_cast<TextLabel*>(layout->FindControl(0x201))->drawMode, 100);
        EXPECT_EQ(static_cast<TextLabel*>(layout->FindControl(0x201))->layoutRecord,
                  layout->elements[layout->labelFirst + 1]);
        auto* bar = static_cast<VScrollBar*>(layout->FindControl(0x300));
        EXPECT_EQ(bar->trackHeight, 100);
        EXPECT_EQ(bar->maximum, 0);
        EXPECT_EQ(bar->thumb, nullptr);
        EXPECT_EQ(layout->FindControl(0x402), nullptr);
        // Negative ids compare as 16-bit numbers.
        EXPECT_EQ(layout->FindControl(0x10100), layout->FindControl(0x100));
        Drop(panel);
    }
}

TEST_F(LayoutFileTest, ALaterBlockOfAKindReplacesTheEarlierAndUnknownKindsAreSkipped) {
    LayoutWriter w;
    w.Block(0, 1).Element(0, 0, 200, 200);
    w.Block(4, 2).Element(1, 1, 5, 5).Element(2, 2, 6, 6);
    // Kind 9 reads no record: the following 8 bytes are the next block header.
    w.Block(9, 3);
    w.Block(4, 1).Element(7, 7, 9, 9);
    w.End();
    auto layout = Load(w);
    EXPECT_EQ(SlotCount(*layout), 4);
    EXPECT_EQ(layout->toggleButtonCount, 1);
    EXPECT_EQ(layout->toggleButtonFirst, 3);
    RecordingWindow window(nullptr);
    GuiPanel* panel = new GuiPanel(new Rect(0, 0, 200, 200), TheRootWidget, &window, 1, 1, 0);
    EXPECT_EQ(Controls(layout->CreateControls(panel, &window)), (std::vector<Made>{{"toggle", 0x400, 7, 7}}));
    Drop(panel);
}

TEST_F(LayoutFileTest, DamagedFilesLoadWhatTheyCanAndNeverReadPastTheirEnd) {
    struct Case {
        const char* name;
        LayoutWriter file;
        int slots;        // elements kept
        int lastValue;    // value word of the last element kept, -1 for none
        int controlsMade; // controls made on a panel
    };
    std::vector<Case> cases;
    {
        // A negative size says nothing about the bytes that follow: the record is dropped and
        // the next record is read right after it.
        LayoutWriter w;
        w.Block(2, 3)
            .Element(0, 0, 9, 9, -4, 3, 1)
            .Element(0, 0, 9, 9, 2, -1, 2)
            .Element(0, 0, 9, 9, 0, 0, 3);
        cases.push_back({"negative sizes", w.End(), 1, 3, 1});
    }
    {
        // A picture larger than the cap is skipped whole; the next record is still in step.
        LayoutWriter w;
        const int side = 2049;
        w.Block(2, 2).Element(0, 0, 9, 9, side, side, 1, 0x1111).Element(0, 0, 9, 9, 0, 0, 2);
        cases.push_back({"oversized picture", w.End(), 1, 2, 1});
    }
    {
        // A count far beyond the file: the reader stops at the end of the file.
        LayoutWriter w;
        w.Block(1, 0x7FFF).Element(0, 0, 9, 9, 2, 2, 1).Element(0, 0, 9, 9, 2, 2, 2);
        // The first button's four slots are in the table (two of them empty): it is made.
        cases.push_back({"count beyond the file", w, 2, 2, 1});
    }
    {
        // The file ends inside a picture: the element is dropped.
        LayoutWriter w;
        w.Block(2, 2)
            .Element(0, 0, 9, 9, 0, 0, 1)
            .Word(0)
            .Word(0)
            .Word(9)
            .Word(9)
            .Word(4)
            .Word(4)
            .Word(2)
            .Word(7);
        cases.push_back({"cut inside a picture", w, 1, 1, 1});
    }
    {
        // More than 2000 elements: the reader stops at the last slot.
        LayoutWriter w;
        w.Block(5, 2100);
        for (int n = 0; n < 2100; ++n)
            w.Element(n % 100, 0, n % 100 + 1, 1, 0, 0, n);
        cases.push_back({"2100 plain buttons", w.End(), 2000, 1999, 2000});
    }
    {
        // Picture buttons whose four pictures would run past the table make no control.
        LayoutWriter w;
        w.Block(5, 1998);
        for (int n = 0; n < 1998; ++n)
            w.Element(0, 0, 1, 1, 0, 0, n);
        w.Block(1, 1);
        for (int n = 0; n < 4; ++n)
            w.Element(0, 0, 1, 1, 0, 0, 5000 + n);
        cases.push_back({"picture button at the table's end", w.End(), 2000, 5001, 1998});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto layout = Load(c.file);
        EXPECT_EQ(SlotCount(*layout), c.slots);
        const GuiImage* last = nullptr;
        for (const GuiImage* e : layout->elements)
            if (e) last = e;
        EXPECT_EQ(last ? last->value : -1, c.lastValue);
        RecordingWindow window(nullptr);
        GuiPanel* panel = new GuiPanel(new Rect(0, 0, 200, 200), TheRootWidget, &window, 1, 1, 0);
        EXPECT_EQ(layout->CreateControls(panel, &window)->GetCount(), c.controlsMade);
        Drop(panel);
    }
}

TEST_F(LayoutFileTest, EveryCutOfTheSampleLayoutLoadsSafely) {
    const std::vector<uint8_t> whole = guifixture::SampleWindowLayout();
    auto full = LoadBytes(whole);
    const int fullSlots = SlotCount(*full);
    EXPECT_EQ(fullSlots, 1 + 8 + 1 + 4 + 2 + 1 + 2);
    int previous = 0;
    // Cuts inside the first headers, the background and the control records.
    std::vector<size_t> sizes;
    for (size_t size = 0; size < 64; ++size)
        sizes.push_back(size);
    for (size_t size = 64; size < whole.size(); size += 1999)
        sizes.push_back(size);
    // The records after the background, cut all through.
    for (size_t size = 8 + 28 + 320 * 240 * 2; size <= whole.size(); size += 211)
        sizes.push_back(size);
    std::sort(sizes.begin(), sizes.end());
    for (size_t size : sizes) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(size));
        auto layout = LoadBytes(cut);
        const int slots = SlotCount(*layout);
        EXPECT_GE(slots, previous) << size;
        EXPECT_LE(slots, fullSlots) << size;
        previous = slots;
        RecordingWindow window(nullptr);
        GuiPanel* panel = new GuiPanel(new Rect(0, 0, 320, 240), TheRootWidget, &window, 1, 1, 0);
        layout->CreateControls(panel, &window);
        Drop(panel);
    }
}

// Without a display no surface can be made: the pixel bytes are skipped and the reader stays in
// step with the records.
TEST(LayoutFileNoDisplay, PictureBytesAreSkippedWhenNoSurfaceCanBeMade) {
    testsupport::TempFolder folder;
    LayoutWriter w;
    w.Block(2, 3).Element(0, 0, 9, 9, 5, 4, 1).Element(1, 2, 3, 4, 0, 0, 2).Element(0, 0, 9, 9, 3, 3, 3);
    w.Block(4, 1).Element(5, 6, 7, 8, 0, 0, 4).End();
    ASSERT_TRUE(w.Write("NoDisplay.gui"));
    GuiLayout layout("NoDisplay.gui");
    EXPECT_EQ(layout.elements[0], nullptr);
    ASSERT_NE(layout.elements[1], nullptr);
    EXPECT_EQ(layout.elements[1]->value, 2);
    EXPECT_EQ(layout.elements[2], nullptr);
    ASSERT_NE(layout.elements[3], nullptr);
    EXPECT_EQ(layout.elements[3]->value, 4);
    EXPECT_EQ(layout.toggleButtonFirst, 3);
}
