#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class NetSession;

// One received game command on its way through the dispatcher.
struct GameCommandContext {
    NetSession& session;
    uint8_t code;
    const uint8_t* payload;
    size_t size;
    // Received by the host from a client (not the host's own command).
    bool fromClient;
    // The peer id of the station the packet came from (the sending client on the host, the host on
    // a client); 0 when unknown.
    uint32_t senderId;
    // What the host passes on when the handler answers Relay; empty: the payload as received.
    std::vector<uint8_t> relayPayload;
};

enum class CommandOutcome {
    Drop,    // refused: nothing changed, nothing relayed
    Applied, // done here; not passed on
    Relay,   // done here; the host passes it on to every peer
};

// The receive side of one command code: the payload sizes it accepts, whether a client may send it
// to the host at all, and its handler. Handlers check every index and id they read against the
// world before they touch it.
struct GameCommandRule {
    uint32_t minSize = 0;
    uint32_t maxSize = 0;
    bool clientMaySend = true;
    std::function<CommandOutcome(GameCommandContext&)> handler;
};

// Codes 1..80 to their rules. The command families register theirs here.
class GameCommandTable {
public:
    static constexpr uint8_t kFirstCode = 1;
    static constexpr uint8_t kLastCode = 80;

    bool Register(uint8_t code, GameCommandRule rule);
    const GameCommandRule* Find(uint8_t code) const;
    // Whether a payload of this size for this code gets to its handler.
    bool Accepts(uint8_t code, size_t size, bool fromClient) const;

private:
    std::array<GameCommandRule, kLastCode + 1> rules_{};
};

// The relay's own codes: heartbeat 64, time report 65, keep-alive 66 and the day 80.
void RegisterRelayControlCommands(GameCommandTable& table);
// The troop orders 1-14; their entries send through the running session from then on.
void RegisterTroopCommands(GameCommandTable& table);
// The city values (22).
void RegisterCityCommands(GameCommandTable& table);

// State commands 19, 23, 24, 26, 27 and the chat line 28.
void RegisterStateCommands(GameCommandTable& table);
// The code-48 sub-commands.
void RegisterSubCommands(GameCommandTable& table);
// The code-32 game records.
void RegisterGameRecords(GameCommandTable& table);

// A troop's death, capture and counters (17, 18, 20): sent by the host only.
void RegisterTroopFateCommands(GameCommandTable& table);

// Adds the command families of the game to a session's table; each family's own registration is
// listed in it.
void InstallGameCommandFamilies(GameCommandTable& table);
