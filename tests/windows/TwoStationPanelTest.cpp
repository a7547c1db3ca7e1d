// The main panel of a network battle with two stations in this process: the demo game joins as the
// client of a relay station on loopback, and the host sees what the panel's windows send.
#include "DemoBattleFixture.h"

#include "net/RelayPair.h"

#include "engine/Tools.h"
#include "gui/Button.h"
#include "gui/RootWidget.h"
#include "net/ChatCommand.h"
#include "net/NetHooks.h"
#include "net/room/NetSession.h"
#include "net/room/TcpLink.h"
#include "troops/TroopWorld.h"
#include "windows/main/Win37Window.h"
#include "windows/main/Win41Window.h"
#include "world/MapView.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr int kStatusLine = 0x600;

class TwoStationPanel : public DemoBattleFixture {
protected:
    // The demo battle becomes the client of the host's room; its main panel is made again as a
    // network battle's stage start makes it (the autoplay start plays single).
    void SetUp() override {
        DemoBattleFixture::SetUp();
        if (HasFatalFailure()) return;
        platform::SetLoopbackOnly(true);
        platform::SetConnectLimit(3000);
        const uint16_t port = nettest::FreePort();
        host = std::make_unique<nettest::Station>("127.0.0.1", "127.0.0.1", port);
        RecordHostArrivals();
        ASSERT_TRUE(host->Do([&] { return host->session.NetSessionStart(true, "Ann"); }));
        if (!AppWindow.window) AppWindow.window = platform::AllocateWindowHandle();
        NetSession& own = ProgramNetSession();
        own.config = NetConfig{port, "127.0.0.2", "127.0.0.1"};
        {
            std::lock_guard guard(nettest::GlobalsLock());
            TheGameController->networked = 1;
            TheGameController->isHost = 0;
            ASSERT_TRUE(own.NetSessionStart(false, "Bo"));
            delete TheWin01Host;
            TheWin01Host = new Win01HostWindow(TheRootWidget, TheGameController);
            FlushDeferredDeletes();
        }
        ASSERT_TRUE(Until([&] { return own.NetPeerCount() == 2; }));
    }
    void TearDown() override {
        {
            std::lock_guard guard(nettest::GlobalsLock());
            ProgramNetSession().CloseTcpSession();
        }
        host.reset();
        SetGameCommandSender(nullptr);
        platform::SetLoopbackOnly(false);
        if (TheGameController) TheGameController->networked = 0;
        DemoBattleFixture::TearDown();
    }

    // Every game command the host takes in is kept, code first, then handled as the game does; the
    // handlers run inside this process's one world, under the lock the test's own steps hold.
    void RecordHostArrivals() {
        for (int code = GameCommandTable::kFirstCode; code < 64; ++code) {
            const GameCommandRule* found = host->session.commands.Find(uint8_t(code));
            if (!found || !found->handler) continue;
            GameCommandRule rule = *found;
            auto inner = rule.handler;
            rule.handler = [this, inner](GameCommandContext& c) {
                std::lock_guard guard(nettest::GlobalsLock());
                std::vector<uint8_t> entry{c.code};
                entry.insert(entry.end(), c.payload, c.payload + c.size);
                arrived.push_back(entry);
                NetSession* outer = TheNetSession;
                TheNetSession = &c.session;
                const CommandOutcome outcome = inner(c);
                TheNetSession = outer;
                return outcome;
            };
            host->session.commands.Register(uint8_t(code), rule);
        }
    }

    // The game's socket messages and received commands, as its message loop and frame take them.
    static void Pump() {
        platform::MSG msg;
        while (platform::PeekMessage(&msg, AppWindow.window, 200, 201, platform::PM_REMOVE)) {
            if (msg.message == 200) TcpLink::Accept(msg.hwnd, msg.message, msg.wParam, msg.lParam);
            if (msg.message == 201) TcpLink::OnSocketEvent(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        }
        PollGameCommands();
    }
    bool Until(const std::function<bool()>& done) {
        return nettest::RunUntil({host.get()}, [&] {
            {
                std::lock_guard guard(nettest::GlobalsLock());
                Pump();
            }
            return done();
        });
    }

    // A line typed into the panel's chat: a click on its line, the keys, Enter.
    static void Say(const std::string& text) {
        std::lock_guard guard(nettest::GlobalsLock());
        Win01Window* panel = MainPanel();
        ClickControl(Control(panel->controls[1], kStatusLine));
        Zu_Tools::Global().FeedChars(text.data(), int(text.size()));
        Zu_Tools::Global().FeedChars("\r", 1);
        panel->OnUpdate(0, 0);
    }
    std::vector<std::string> HostChat() {
        return host->Do([&] {
            std::vector<std::string> lines;
            for (const auto& [text, colour] : host->side.chat)
                lines.push_back(text);
            return lines;
        });
    }
    static int PanelLines(const std::string& text) {
        const Win01Window* panel = MainPanel();
        int n = 0;
        for (int i = 0; i < panel->logCount; ++i)
            n += text == panel->chatLog[i];
        return n;
    }
    void Forget() {
        std::lock_guard guard(nettest::GlobalsLock());
        arrived.clear();
    }
    // The codes that arrived at the host, in order.
    std::vector<int> ArrivedCodes() {
        std::lock_guard guard(nettest::GlobalsLock());
        std::vector<int> codes;
        for (const auto& entry : arrived)
            codes.push_back(entry[0]);
        return codes;
    }

    std::unique_ptr<nettest::Station> host;
    std::vector<std::vector<uint8_t>> arrived;
};

} // namespace

TEST_F(TwoStationPanel, AChatLineTypedInThePanelArrivesAtTheHostAsCommand28AndIsShownOnBoth) {
    ASSERT_EQ(MainPanel()->chatRows, 3); // the network battle's panel has its chat page
    Forget();
    Say("hello");
    const std::string line = "Bo: hello";
    ASSERT_TRUE(Until([&] { return PanelLines(line) == 1 && !HostChat().empty(); }));
    EXPECT_EQ(HostChat(), std::vector<std::string>{line});
    EXPECT_EQ(PanelLines(line), 1); // shown once: when the host's copy comes back

    std::lock_guard guard(nettest::GlobalsLock());
    ASSERT_EQ(arrived.size(), 1u);
    ASSERT_EQ(arrived[0][0], kChatCommand);
    const auto sent = UnpackChatLine(std::span<const uint8_t>(arrived[0].data() + 1, arrived[0].size() - 1));
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->text, line);
    EXPECT_EQ(sent->senderKingdom, uint32_t(PlayerKingdom()));
}

// What the overview and the diplomacy list do stays on the station: the list only shows in a network
// battle, its proposals and gifts are never sent, and the relations stay as they were. A chat line
// typed after the clicks marks the point by which anything sent would have arrived.
TEST_F(TwoStationPanel, TheOverviewAndTheDiplomacyListSendNothingAndTheListOnlyShows) {
    Kingdom* red = KingdomNamed("Red Banner");
    Kingdom* jade = KingdomNamed("Jade Hills");
    ASSERT_TRUE(red && jade);
    const int before = red->relations[jade->nationIndex];
    const int attitude = red->goodwill[jade->nationIndex];
    Forget();
    {
        std::lock_guard guard(nettest::GlobalsLock());
        // The overview: a column sorted, a row picked; the view jumps.
        ClickControl(MenuButton(0x102));
        Win37Window* overview = MainPanel()->overview;
        ASSERT_NE(overview, nullptr);
        ClickControl(Control(overview->officerControls, 0x100 + 2));
        MapView* view = TheGameController->gameScreen;
        ASSERT_NE(view, nullptr);
        view->SetViewOrigin(0, 0);
        ClickControl(Control(overview->officerControls, 0x200));
        EXPECT_TRUE(view->viewX != 0 || view->viewY != 0 || view->currentCity != nullptr);
        ClickControl(overview->Control(0x100));
        ASSERT_EQ(MainPanel()->overview, nullptr);

        // The diplomacy list: every kingdom shown, no button to press.
        ClickControl(MenuButton(0x103));
        Win41Window* list = MainPanel()->listWindow;
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(LabelText(list->controls, 0x200 + 1), "Blue River");
        EXPECT_EQ(LabelText(list->controls, 0x200 + Win41Window::kColumns + 1), "Jade Hills");
        for (int id = Win41Window::kFirstRowButton; id < Win41Window::kFirstRowButton + 32; ++id)
            EXPECT_EQ(dynamic_cast<Button*>(list->Control(id))->enabled, 0) << id;
        auto* apply = dynamic_cast<Button*>(list->Control(Win41Window::kApply));
        ASSERT_NE(apply, nullptr);
        EXPECT_EQ(apply->enabled, 0);
        const int jadeRow = 1;
        ClickControl(list->Control(Win41Window::kFirstRowButton + 4 * jadeRow + 1)); // peace
        ClickControl(list->Control(Win41Window::kFirstRowButton + 4 * jadeRow + 3)); // gift
        ClickControl(apply);
        list->Apply(); // even called straight, a network station decides nothing here
        EXPECT_EQ(list->proposals[jadeRow], -1);
        EXPECT_EQ(list->giftRequests[jadeRow], 0);
        ClickControl(list->Control(0x100));
        ASSERT_EQ(MainPanel()->listWindow, nullptr);
    }
    Say("done");
    ASSERT_TRUE(Until([&] { return PanelLines("Bo: done") == 1; }));
    EXPECT_EQ(ArrivedCodes(), std::vector<int>{kChatCommand});
    std::lock_guard guard(nettest::GlobalsLock());
    EXPECT_EQ(red->relations[jade->nationIndex], before);
    EXPECT_EQ(jade->relations[red->nationIndex], before);
    EXPECT_EQ(red->goodwill[jade->nationIndex], attitude);
}
