#include "NetStation.h"
#include "StationGlobals.h"
#include "troops/TroopFixture.h"

#include "Program/MainWindow.h"
#include "engine/LinkList.h"
#include "gui/GuiMessage.h"
#include "net/TroopCommandCodec.h"
#include "net/room/GameCommandTable.h"
#include "platform/Sockets.h"
#include "platform/Window.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

using namespace nettest;
using trooptest::Battle;

namespace {

std::mutex globalsLock;

void Key(int vk, bool down) {
    platform::RawInputEvent e;
    e.kind = down ? platform::RawInputEvent::KeyDown : platform::RawInputEvent::KeyUp;
    e.virtualKey = vk;
    platform::HandleRawInput(nullptr, e);
}

// One station's battle with its game screen: two kingdoms at war, two own troops and a foe.
struct StationBattle {
    std::unique_ptr<Battle> battle;
    MapView* view = nullptr;
    Globals globals;
    Troop* first = nullptr;
    Troop* second = nullptr;

    StationBattle(NetSession& session, bool host) {
        std::lock_guard guard(globalsLock);
        battle = std::make_unique<Battle>();
        Kingdom* a = battle->AddKingdom(1, true);
        Kingdom* e = battle->AddKingdom(2);
        Battle::War(a, e);
        first = battle->AddTroop(a, 5, 5);
        second = battle->AddTroop(a, 6, 6);
        battle->AddTroop(e, 30, 30);
        view = new MapView;
        view->mapWidth = trooptest::kMapWidth;
        view->mapHeight = trooptest::kMapRows;
        view->SetView(0, 0, trooptest::kMapWidth, trooptest::kMapRows);
        TheGameController->gameScreen = view;
        TheGameController->mode = 1;
        TheGameController->running = 1;
        globals = TakeStationGlobals(session, host);
    }
    ~StationBattle() {
        std::lock_guard guard(globalsLock);
        Use(globals);
        TheGameController->gameScreen = nullptr;
        delete view;
        TheNetSession = nullptr;
        battle.reset();
        Use({});
    }
};

void ReceiveInto(Station& station, StationBattle& world) {
    RegisterTroopCommands(station.session.commands);
    for (uint8_t code = kFirstTroopCommand; code <= kLastTroopCommand; ++code) {
        GameCommandRule rule = *station.session.commands.Find(code);
        auto inner = rule.handler;
        rule.handler = [inner, &world](GameCommandContext& c) {
            std::lock_guard guard(globalsLock);
            Use(world.globals);
            const CommandOutcome outcome = inner(c);
            Use({});
            return outcome;
        };
        station.session.commands.Register(code, rule);
    }
}

template <class F>
auto At(Station& s, StationBattle& w, F f) {
    return s.Do([&] {
        std::lock_guard guard(globalsLock);
        Use(w.globals);
        auto r = f();
        Use({});
        return r;
    });
}

std::vector<int> Goals(const StationBattle& w) {
    return {w.first->goalX, w.first->goalY, w.second->goalX, w.second->goalY};
}

// The player on a client stores two troops as hot-key group 1, takes them back with the digit and
// sends them over the minimap: the host moves them and its copy arrives back at the client.
TEST(ControllerOrderRelay, AGroupSentOverTheMinimapArrivesAtTheHostAndBack) {
    platform::SetLoopbackOnly(true);
    platform::SetConnectLimit(3000);
    const int32_t keepActive = ActiveFlag;
    ActiveFlag = 1; // the keys count only while the program is active
    const uint16_t port = FreePort();
    auto host = std::make_unique<Station>("127.0.0.1", "127.0.0.1", port);
    auto client = std::make_unique<Station>("127.0.0.2", "127.0.0.1", port);
    {
        StationBattle hostWorld(host->session, true);
        StationBattle clientWorld(client->session, false);
        ReceiveInto(*host, hostWorld);
        ReceiveInto(*client, clientWorld);
        ASSERT_TRUE(host->Do([&] { return host->session.NetSessionStart(true, "Ann"); }));
        ASSERT_TRUE(client->Do([&] { return client->session.NetSessionStart(false, "Bo"); }));
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return client->Do([&] { return client->session.NetPeerCount() == 2; });
        }));
        const std::vector<int> before = At(*host, hostWorld, [&] { return Goals(hostWorld); });

        const int selected = At(*client, clientWorld, [&] {
            GameController& c = *TheGameController;
            MapView& v = *clientWorld.view;
            v.SelectUnit(clientWorld.first);
            Key(platform::VK_CONTROL, true);
            v.SelectUnit(clientWorld.second);
            c.OnKeyDown('1');
            Key(platform::VK_CONTROL, false);
            v.DeselectAll();
            c.OnKeyDown('1');
            // Cell (12, 28) of the 40 x 80 map on a minimap at the screen's origin.
            GuiMessage point;
            point.point.Set(25 + 12 * 160 / 40, 27 + 28 * 120 / 80);
            c.DragSelect(&point);
            return c.selection->GetCount();
        });
        EXPECT_EQ(selected, 2);
        // The client only asked: its troops keep their goals until the host's copy comes back.
        EXPECT_EQ(At(*client, clientWorld, [&] { return Goals(clientWorld); }), before);

        const std::vector<int> moved = {12, 14, 12, 14};
        ASSERT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return At(*host, hostWorld, [&] { return Goals(hostWorld); }) == moved &&
                   At(*client, clientWorld, [&] { return Goals(clientWorld); }) == moved;
        }));

        client->Do([&] { client->session.CloseTcpSession(); });
        host->Do([&] { host->session.CloseTcpSession(); });
    }
    client.reset();
    host.reset();
    SetGameCommandSender(nullptr);
    ActiveFlag = keepActive;
    platform::SetLoopbackOnly(false);
}

} // namespace
