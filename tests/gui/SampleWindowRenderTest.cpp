#include "ControlTestSupport.h"

#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/FontRecord.h"
#include "gui/TextButton.h"
#include "gui/TextLabel.h"
#include "gui/ToggleButton.h"
#include "gui/VScrollBar.h"
#include "platform/BmpWriter.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <string>

namespace {

class SampleWindowFixture : public ControlDisplayFixture {};

} // namespace

// Builds the sample window the way a game window does and writes the frame as a BMP in the build
// folder, for a person to look at.
TEST_F(SampleWindowFixture, RendersTheSampleWindowToABitmap) {
    std::vector<Heard> log;
    ControlLogWindow window(&log);
    std::unique_ptr<GuiLayout> layout;
    {
        testsupport::TempFolder folder;
        const std::vector<uint8_t> bytes = guifixture::SampleWindowLayout();
        testsupport::TempFolder::Write("Sample.gui", std::string(bytes.begin(), bytes.end()));
        layout = std::make_unique<GuiLayout>("Sample.gui");
    }
    const GuiImage* background = layout->FirstImage();
    ASSERT_NE(background, nullptr);
    auto* panel =
        new GuiPanel(layout->elements[0],
                     new Rect(background->left, background->top, background->right, background->bottom),
                     TheRootWidget, &window, 1, 1, 0);
    LinkList* controls = layout->CreateControls(panel, &window);
    ASSERT_EQ(controls->GetCount(), 9);

    for (int id : {0x100, 0x101})
        static_cast<Button*>(layout->FindControl(id))->ShowNormal();
    static_cast<Button*>(layout->FindControl(0x101))->ShowPressed();

    FontRecord caption;
    caption.r = caption.g = caption.b = 255;
    caption.size = 16;
    caption.style = 1;
    caption.text = "\xA5\x58\xC0\xBB"; // 出擊
    auto* attack = static_cast<TextButton*>(layout->FindControl(0x600));
    attack->SetCaption(&caption, 0);

    FontRecord title;
    title.r = 250;
    title.g = 220;
    title.b = 120;
    title.size = 16;
    title.style = 2;
    title.text = "\xAD\x78\xB1\xA1\nKardol 1.0"; // 軍情
    auto* text = static_cast<TextLabel*>(layout->FindControl(0x200));
    text->SetFont(&title, 0);
    text->DrawText();

    BarRecord bar;
    bar.r = 40;
    bar.g = 200;
    bar.b = 60;
    bar.percent = 65;
    auto* gauge = static_cast<TextLabel*>(layout->FindControl(0x201));
    gauge->barRecord = &bar;
    gauge->DrawText();

    auto* scroll = static_cast<VScrollBar*>(layout->FindControl(0x300));
    scroll->SetRange(30, 10, 1);
    scroll->position = 10;
    scroll->UpdateLayout();
    scroll->Draw();

    platform::Surface* back = GetBackSurface();
    ASSERT_NE(back, nullptr);
    panel->Draw();

    const std::filesystem::path out = std::filesystem::path(KARDOL_BINARY_DIR) / "sample-window.bmp";
    const std::vector<uint16_t> pixels = SurfacePixels(back);
    ASSERT_TRUE(platform::WriteBmp16(out.string(), pixels.data(), 800, 600, 565));
    EXPECT_GT(std::filesystem::file_size(out), 800u * 600u * 3u);

    // The window sits at (240, 180): the buttons, the gauge and the thumb are where the layout
    // puts them, and the transparent corner shows the screen behind.
    EXPECT_EQ(back->PixelAt(240 + 25, 180 + 200), 0x07E0);
    EXPECT_EQ(back->PixelAt(240 + 95, 180 + 200), 0x03E0);
    EXPECT_EQ(back->PixelAt(240 + 21, 180 + 115),
              uint16_t(((40 & 0xF8) << 8) | ((200 & 0xFC) << 3) | (60 >> 3)));
    EXPECT_EQ(back->PixelAt(240 + 219, 180 + 115), 0x0800);
    EXPECT_EQ(back->PixelAt(240 + 291, 180 + 70 + scroll->thumbTop + 1), VScrollBar::kThumbColour);
    EXPECT_EQ(back->PixelAt(240 + 319, 180 + 239), 0);
    EXPECT_EQ(back->PixelAt(240 + 3, 180 + 10), 0x3B3F);

    panel->Close(0);
    delete panel;
    FlushDeferredDeletes();
}
