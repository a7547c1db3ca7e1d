#include "platform/Messages.h"
#include "platform/Window.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> seen;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back({message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMessageQueue();
        ResetWindowsForTest();
        seen.clear();
    }
    void TearDown() override {
        ResetWindowsForTest();
        ResetMessageQueue();
    }
    HWND Make(UINT classStyle, const char* name = "KardolTestWindow") {
        WNDCLASSA wc;
        wc.style = classStyle;
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = name;
        EXPECT_NE(RegisterClassA(&wc), 0);
        return CreateWindowExA(0, name, name, WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    }
    // Every queued message, in order.
    std::vector<MSG> Drain() {
        std::vector<MSG> out;
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
            out.push_back(m);
        return out;
    }
};

} // namespace

TEST_F(WindowMessages, CreateShowAndCloseSendWhatAWindowProcedureExpects) {
    HWND w = Make(0);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, WM_CREATE);
    ShowWindow(w, SW_SHOW);
    std::vector<UINT> ids;
    for (const Seen& s : seen)
        ids.push_back(s.message);
    EXPECT_EQ(ids, (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_MOVE, WM_ACTIVATEAPP, WM_ACTIVATE}));
    EXPECT_EQ(seen[3].wParam, 1u);
    EXPECT_EQ(seen[1].lParam, (600 << 16) | 800);
    seen.clear();
    ShowWindow(w, SW_SHOW); // only the first show activates
    EXPECT_TRUE(seen.empty());

    RECT r{};
    ASSERT_TRUE(GetClientRect(w, &r));
    EXPECT_EQ(r.right, 800);
    EXPECT_EQ(r.bottom, 600);

    // A close request reaches a class with a close box as WM_CLOSE; DefWindowProc destroys.
    HandleRawInput(w, RawInputEvent{RawInputEvent::Close});
    auto q = Drain();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].message, WM_CLOSE);
    DispatchMessage(&q[0]);
    EXPECT_EQ(seen.back().message, WM_DESTROY);
    EXPECT_FALSE(IsWindow(w));
}

// The game-mode class has no close box; the desktop's request to end the program still arrives
// as WM_CLOSE, and the default handling destroys the window.
TEST_F(WindowMessages, TheDesktopsCloseRequestReachesTheGameModeWindowToo) {
    HWND w = Make(CS_VREDRAW | CS_HREDRAW | CS_NOCLOSE);
    HandleRawInput(w, RawInputEvent{RawInputEvent::Close});
    auto q = Drain();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].message, WM_CLOSE);
    DispatchMessage(&q[0]);
    EXPECT_EQ(seen.back().message, WM_DESTROY);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowMessages, MouseAndKeysBecomeMessagesWithClientCoordinatesAndKeyCodes) {
    HWND w = Make(0);
    RawInputEvent move{RawInputEvent::MouseMove};
    move.x = 123;
    move.y = 456;
    HandleRawInput(w, move);
    RawInputEvent right{RawInputEvent::MouseDown};
    right.button = 3;
    HandleRawInput(w, right);
    RawInputEvent leftUp{RawInputEvent::MouseUp};
    HandleRawInput(w, leftUp);
    RawInputEvent key{RawInputEvent::KeyDown};
    key.virtualKey = 'A';
    HandleRawInput(w, key);
    HandleRawInput(w, key); // auto-repeat
    EXPECT_TRUE(GetKeyState('A') & 0x8000);
    key.kind = RawInputEvent::KeyUp;
    HandleRawInput(w, key);
    EXPECT_FALSE(GetKeyState('A') & 0x8000);
    RawInputEvent alt{RawInputEvent::KeyDown};
    alt.virtualKey = VK_F1 + 3;
    alt.altDown = true;
    HandleRawInput(w, alt);

    auto q = Drain();
    ASSERT_EQ(q.size(), 7u);
    EXPECT_EQ(q[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(q[0].lParam & 0xFFFF, 123);
    EXPECT_EQ((q[0].lParam >> 16) & 0xFFFF, 456);
    EXPECT_EQ(q[1].message, WM_RBUTTONDOWN);
    EXPECT_EQ(q[2].message, WM_LBUTTONUP);
    EXPECT_EQ(q[3].message, WM_KEYDOWN);
    EXPECT_EQ(q[3].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(q[3].lParam & (1 << 30), 0);
    EXPECT_NE(q[4].lParam & (1 << 30), 0); // the key was already down
    EXPECT_EQ(q[5].message, WM_KEYUP);
    EXPECT_EQ(q[6].message, WM_SYSKEYDOWN);
    EXPECT_EQ(q[6].wParam, static_cast<WPARAM>(VK_F1 + 3));

    // Losing the focus forgets held keys and deactivates.
    HandleRawInput(w, key = RawInputEvent{RawInputEvent::KeyDown, 0, 0, 1, VK_SHIFT});
    HandleRawInput(w, RawInputEvent{RawInputEvent::FocusLost});
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
    q = Drain();
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q[1].message, WM_ACTIVATEAPP);
    EXPECT_EQ(q[1].wParam, 0u);
}

TEST_F(WindowMessages, TypedTextArrivesAsCp950BytesOneCharEach) {
    HWND w = Make(0);
    RawInputEvent text{RawInputEvent::Text};
    text.text = "\xE4\xB8\xAD"
                "a\xF0\x9F\x98\x80!"; // 中, a, an emoji CP950 lacks, !
    HandleRawInput(w, text);
    auto q = Drain();
    std::vector<WPARAM> chars;
    for (const MSG& m : q) {
        EXPECT_EQ(m.message, WM_CHAR);
        chars.push_back(m.wParam);
    }
    EXPECT_EQ(chars, (std::vector<WPARAM>{0xA4, 0xA4, 'a', '!'}));
}

TEST_F(WindowMessages, TranslateMessageGivesControlCharactersOnly) {
    HWND w = Make(0);
    struct Case {
        WPARAM key;
        bool gives;
    } cases[] = {{VK_RETURN, true}, {VK_BACK, true}, {VK_ESCAPE, true}, {'A', false}, {VK_UP, false}};
    for (const Case& c : cases) {
        MSG m{w, WM_KEYDOWN, c.key, 1, 0, {0, 0}};
        EXPECT_EQ(TranslateMessage(&m), c.gives ? 1 : 0);
        auto q = Drain();
        ASSERT_EQ(q.size(), c.gives ? 1u : 0u) << c.key;
        if (c.gives) {
            EXPECT_EQ(q[0].message, WM_CHAR);
            EXPECT_EQ(q[0].wParam, c.key);
        }
    }
}

TEST_F(WindowMessages, ATranslatedCharacterComesBeforeKeysTypedAfterIt) {
    HWND w = Make(0);
    // Enter and then "x" reach the queue in one pump pass, before the loop takes the Enter.
    RawInputEvent enter{RawInputEvent::KeyDown};
    enter.virtualKey = VK_RETURN;
    RawInputEvent x{RawInputEvent::KeyDown};
    x.virtualKey = 'X';
    RawInputEvent text{RawInputEvent::Text};
    text.text = "x";
    HandleRawInput(w, enter);
    HandleRawInput(w, x);
    HandleRawInput(w, text);
    std::vector<WPARAM> typed;
    MSG m{};
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        if (m.message == WM_CHAR) typed.push_back(m.wParam);
    }
    EXPECT_EQ(typed, (std::vector<WPARAM>{'\r', 'x'}));
}

TEST_F(WindowMessages, SdlKeysMapToVirtualKeys) {
    struct Case {
        int32_t sdl;
        int vk;
    } cases[] = {{'a', 'A'},
                 {'z', 'Z'},
                 {'7', '7'},
                 {'\r', VK_RETURN},
                 {27, VK_ESCAPE},
                 {0x40000052, VK_UP},
                 {0x40000051, VK_DOWN},
                 {0x4000004B, VK_PRIOR},
                 {0x4000003A, VK_F1},
                 {0x40000045, VK_F12},
                 {0x400000E0, VK_CONTROL},
                 {'[', 0}};
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyFromSdl(c.sdl), c.vk) << c.sdl;
}

#include "platform/MessageBox.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

TEST(MessageBoxHeadless, LogsTheBoxAndAnswersQueuedOrFirstButton) {
    testsupport::TempFolder folder;
    TakeShownMessageBoxes();
    // "Could not read file %s!" with caption "Tools", and a Big5 text (請設定關卡資料).
    EXPECT_EQ(MessageBoxA(nullptr, "Could not read file x.stg!", "Tools", MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "\xBD\xD0\xB3\x5D\xA9\x77", "VelmoraII", MB_YESNOCANCEL | MB_ICONQUESTION),
              IDYES);
    QueueMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "Save?", "Tools", MB_YESNOCANCEL), IDCANCEL);
    const auto shown = TakeShownMessageBoxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text, "\xBD\xD0\xB3\x5D\xA9\x77");
    EXPECT_EQ(shown[0].caption, "Tools");
    EXPECT_NE(testsupport::TempFolder::Read("Error.lst").find("Could not read file x.stg!"),
              std::string::npos);
}
