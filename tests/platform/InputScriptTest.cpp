// The scripted input of KARDOL_INPUT: what a script reads as, what it is refused for, and the
// messages a step posts.
#include "platform/InputScript.h"
#include "platform/Messages.h"
#include "platform/ScriptMarks.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

namespace {

TEST(InputScript, ReadsStepsInFrameOrder) {
    const auto steps = platform::ReadInputScript(
        "30:click 400,410;30:move 5,6;45:rclick 1,2;50:key 13;60:text HOSTPC;2500ms:click 3,4;90:close");
    ASSERT_TRUE(steps.has_value());
    ASSERT_EQ(steps->size(), 7u);
    const platform::InputStep& click = (*steps)[0];
    EXPECT_EQ(click.kind, platform::InputStep::Click);
    EXPECT_EQ(click.after, 30u);
    EXPECT_FALSE(click.inMilliseconds);
    EXPECT_EQ(click.x, 400);
    EXPECT_EQ(click.y, 410);
    EXPECT_EQ((*steps)[1].kind, platform::InputStep::Move);
    EXPECT_EQ((*steps)[2].kind, platform::InputStep::RightClick);
    EXPECT_EQ((*steps)[3].kind, platform::InputStep::Key);
    EXPECT_EQ((*steps)[3].key, 13);
    EXPECT_EQ((*steps)[4].kind, platform::InputStep::Text);
    EXPECT_EQ((*steps)[4].text, "HOSTPC");
    // Milliseconds count apart from frames.
    EXPECT_TRUE((*steps)[5].inMilliseconds);
    EXPECT_EQ((*steps)[5].after, 2500u);
    EXPECT_EQ((*steps)[6].kind, platform::InputStep::Close);
}

TEST(InputScript, RefusesWhatCannotBeMeant) {
    for (const char* bad : {"", "click 1,2", "10:click 1", "10:click 1,2,3", "10:click -1,2", "10:tap 1,2",
                            "20:click 1,2;10:click 1,2", "10:click 1,2;", "10:key 0", "10:key 300",
                            "10:text ", "x:click 1,2", "10click 1,2", "5m:click 1,2", "5msx:click 1,2",
                            "ms:click 1,2", "2000ms:close;1000ms:close", "10:close now"})
        EXPECT_FALSE(platform::ReadInputScript(bad).has_value()) << bad;
}

// An await holds the steps after it until a mark of the game has its value; the steps after it
// count from then, so their clock may start again below the steps before it.
TEST(InputScript, AwaitReadsAMarkAndStartsTheCountAgain) {
    const auto steps =
        platform::ReadInputScript("2000ms:click 1,2;await net=33;500ms:click 3,4;0:await ready=-1;10:close");
    ASSERT_TRUE(steps.has_value());
    ASSERT_EQ(steps->size(), 5u);
    const platform::InputStep& await = (*steps)[1];
    EXPECT_EQ(await.kind, platform::InputStep::Await);
    EXPECT_EQ(await.text, "net");
    EXPECT_EQ(await.key, 33);
    EXPECT_EQ(await.after, 0u);
    EXPECT_EQ((*steps)[2].after, 500u);
    EXPECT_EQ((*steps)[3].key, -1);
    for (const char* bad : {"10:await net", "10:await =3", "10:await net=", "10:await net=x",
                            "10:await net=3x", "await net=3;2000ms:close;1000ms:close"})
        EXPECT_FALSE(platform::ReadInputScript(bad).has_value()) << bad;
}

TEST(ScriptMarks, AMarkReadsItsLastValueAndAnUnsetOneMinusOne) {
    EXPECT_EQ(platform::ScriptMark("test-unset"), -1);
    platform::SetScriptMark("test-a", 4);
    platform::SetScriptMark("test-b", 7);
    platform::SetScriptMark("test-a", 33);
    EXPECT_EQ(platform::ScriptMark("test-a"), 33);
    EXPECT_EQ(platform::ScriptMark("test-b"), 7);
}

TEST(InputScript, ClickPostsMoveDownAndUpAtItsPoint) {
    platform::ResetMessageQueue();
    platform::HWND w = platform::AllocateWindowHandle();
    platform::InputStep step;
    step.kind = platform::InputStep::Click;
    step.x = 12;
    step.y = 34;
    platform::RunInputStep(w, step);
    const platform::UINT expected[3] = {platform::WM_MOUSEMOVE, platform::WM_LBUTTONDOWN,
                                        platform::WM_LBUTTONUP};
    for (platform::UINT m : expected) {
        platform::MSG msg;
        ASSERT_TRUE(platform::PeekMessage(&msg, w, 0, 0, platform::PM_REMOVE));
        EXPECT_EQ(msg.message, m);
        EXPECT_EQ(msg.lParam & 0xFFFF, 12);
        EXPECT_EQ((msg.lParam >> 16) & 0xFFFF, 34);
    }
    platform::MSG rest;
    EXPECT_FALSE(platform::PeekMessage(&rest, w, 0, 0, platform::PM_REMOVE));
    platform::ResetMessageQueue();
}

} // namespace
