#include "Program/BannerWindow.h"

#include "ScreenTestSupport.h"

namespace {

using screentest::ControlById;
using screentest::ScreenFixture;
using screentest::WriteLayout;

class BannerWindowTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteLayout("Win25.gui", 1, 2);
        BannerTicks = 0;
    }
    void TearDown() override {
        if (TheBanner) {
            TheBanner->Close(1);
            delete TheBanner;
        }
        TheBanner = nullptr;
        ScreenFixture::TearDown();
    }
};

TEST_F(BannerWindowTest, SitsAt176By226WithItsPictureSizeAndShowsItsText) {
    TheBanner = new Win25Window(TheRootWidget, nullptr, VictoryBannerText, 0);
    const Rect& r = TheBanner->panel->rect;
    EXPECT_EQ(r.left, 176);
    EXPECT_EQ(r.top, 226);
    EXPECT_EQ(r.right, 176 + 400);
    EXPECT_EQ(r.bottom, 226 + 300);
    const LabelText* t = TheBanner->labels.TextOf(ControlById(TheBanner->controls, 0x201));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->text, VictoryBannerText);
    EXPECT_EQ(t->record.size, 24);
    EXPECT_EQ(t->record.style, 1);
    EXPECT_EQ(TheResourceStore->drawList->GetCount(), 1);
}

TEST_F(BannerWindowTest, OnlyAClosableBannerClosesAndOnlyAfterTwoTicks) {
    struct Case {
        int32_t closable;
        int32_t ticks;
        bool closes;
    };
    for (const Case k : {Case{0, 4, false}, Case{1, 1, false}, Case{1, 2, false}, Case{1, 3, true}}) {
        SCOPED_TRACE(k.ticks);
        TheBanner = new Win25Window(TheRootWidget, nullptr, ObserverBannerText, k.closable);
        BannerTicks = k.ticks;
        TheBanner->OnControlClick(ControlById(TheBanner->controls, 0x100), nullptr);
        EXPECT_EQ(TheBanner == nullptr, k.closes);
        EXPECT_EQ(TheResourceStore->drawList->GetCount(), k.closes ? 0 : 1);
        FlushDeferredDeletes();
        // A banner that stays is closed and deleted by its holder.
        if (TheBanner) {
            EXPECT_EQ(TheBanner->Close(1), 1);
            delete TheBanner;
        }
        TheBanner = nullptr;
        FlushDeferredDeletes();
    }
}

TEST_F(BannerWindowTest, BlankScreenCloseKeepsTheObject) {
    auto* blank = new BlankScreen(TheRootWidget);
    blank->drawByte = 1;
    EXPECT_EQ(blank->Close(1), 1);
    EXPECT_EQ(blank->drawByte, 1);
    blank->NoOpGroupHook(-1);
    delete blank;
}

} // namespace
