// The demo folder's network screens: the main menu's network choice opens the connection choice
// drawn from the demo's own layout.
#include "Program/FrontEndScreens.h"
#include "Program/ScreenTestSupport.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyWindows.h"
#include "platform/Present.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";

// Pixel (x, y) of the background picture of a layout `width` pixels wide.
uint16_t LayoutPixel(const char* layout, int width, int x, int y) {
    std::ifstream in(layout, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const size_t at = 36 + 2 * (size_t(y) * size_t(width) + size_t(x));
    if (bytes.size() < at + 2) return 0;
    return uint16_t(uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8));
}

class DemoNetworkScreensTest : public screentest::ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        ASSERT_EQ(std::system((MakeDemo + " . > /dev/null").c_str()), 0);
        InstallFrontEndScreens();
    }
    void TearDown() override {
        delete c->session;
        c->session = nullptr;
        FlushDeferredDeletes();
        if (c->mainMenu) c->mainMenu->Close(1), c->mainMenu = nullptr;
        ScreenFixture::TearDown();
    }
    void Frame() { c->Frame(platform::WM_USER); }
};

TEST_F(DemoNetworkScreensTest, NetworkPlayOpensTheConnectionChoiceFromTheDemoLayout) {
    Frame();
    ASSERT_NE(c->mainMenu, nullptr);
    Click(400, 410); // NETWORK PLAY
    Zu_LocalSet* session = nullptr;
    for (int n = 0; n < 20 && !(session && session->win74); ++n) {
        Frame();
        session = c->session;
    }
    ASSERT_NE(session, nullptr);
    ASSERT_NE(session->win74, nullptr);
    c->DrawFrontEnd();
    const platform::PresentedFrame f = platform::LastPresentedFrame();
    ASSERT_EQ(f.width, 800);
    // The choice window sits at (200, 200); a point of its background clear of the buttons.
    for (const auto& [x, y] : {std::pair{20, 20}, std::pair{380, 180}})
        EXPECT_EQ(f.pixels[size_t(200 + y) * 800 + size_t(200 + x)], LayoutPixel("Win74.gui", 400, x, y))
            << x << "," << y;
    const auto folder = std::filesystem::path(KARDOL_BINARY_DIR) / "lobby-frames";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(platform::DumpLastFrame((folder / "demo-choice.bmp").string()));
}

} // namespace
