#pragma once

// Two stations of one battle in one process: the host on 127.0.0.1 and a client on 127.0.0.2. Each
// keeps its own world and takes the game's globals over, one at a time, while it acts or receives.

#include "NetStation.h"
#include "StationGlobals.h"

#include "net/TroopCommands.h"
#include "net/room/GameCommandTable.h"
#include "platform/Sockets.h"

#include <memory>
#include <mutex>
#include <vector>

namespace nettest {

// Recursive: an action on a station may apply a command of its own at once.
inline std::recursive_mutex& GlobalsLock() {
    static std::recursive_mutex lock;
    return lock;
}

// The station's globals, in place for as long as it lives. A command received while the station's
// own frame runs (its frame polls the relay) nests inside it: what was in place comes back after.
class HeldGlobals {
public:
    explicit HeldGlobals(const Globals& g) : guard_(GlobalsLock()), outer_(Current()) { Use(g); }
    ~HeldGlobals() { Use(outer_); }
    HeldGlobals(const HeldGlobals&) = delete;
    HeldGlobals& operator=(const HeldGlobals&) = delete;

private:
    std::lock_guard<std::recursive_mutex> guard_;
    Globals outer_;
};

// Runs f inside the station's world on its own thread, as the game would.
template <class F>
auto In(Station& station, const Globals& g, F f) {
    return station.Do([&] {
        HeldGlobals held(g);
        return f();
    });
}

// The station's receive side runs the game's own handlers for these codes inside its world.
inline void ReceiveUnder(Station& station, const Globals& g, const std::vector<uint8_t>& codes) {
    for (uint8_t code : codes) {
        GameCommandRule rule = *station.session.commands.Find(code);
        auto inner = rule.handler;
        rule.handler = [inner, &g](GameCommandContext& c) {
            HeldGlobals held(g);
            return inner(c);
        };
        station.session.commands.Register(code, rule);
    }
}

// The two stations of a test; sockets stay on loopback while it lives.
struct RelayPair {
    RelayPair() {
        platform::SetLoopbackOnly(true);
        platform::SetConnectLimit(3000);
        port = FreePort();
        host = std::make_unique<Station>("127.0.0.1", "127.0.0.1", port);
        client = std::make_unique<Station>("127.0.0.2", "127.0.0.1", port);
    }
    // The stations go first, then the game's sender that the registered command families left.
    ~RelayPair() {
        client.reset();
        host.reset();
        SetGameCommandSender(nullptr);
        platform::SetLoopbackOnly(false);
    }
    RelayPair(const RelayPair&) = delete;
    RelayPair& operator=(const RelayPair&) = delete;

    // Both sessions start and the client sees both players.
    bool Join() {
        return host->Do([&] { return host->session.NetSessionStart(true, "Ann"); }) &&
               client->Do([&] { return client->session.NetSessionStart(false, "Bo"); }) &&
               RunUntil({host.get(), client.get()},
                        [&] { return client->Do([&] { return client->session.NetPeerCount() == 2; }); });
    }

    // Both sessions close while the stations' worlds still stand.
    void CloseSessions() {
        client->Do([&] { client->session.CloseTcpSession(); });
        host->Do([&] { host->session.CloseTcpSession(); });
    }

    uint16_t port = 0;
    std::unique_ptr<Station> host;
    std::unique_ptr<Station> client;
};

} // namespace nettest
