// Lobby datagrams from the network: the header and kind checks, the fixed layouts, and the
// session control's handling of each kind as a lobby client and as the lobby server.
#include "net/LobbyDatagram.h"
#include "Program/GameController.h"
#include "net/MultiCast.h"
#include "net/Zu_LocalSet.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

// The session control logs to "Error.lst" in the working folder: keep it out of the source tree.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static char folder[] = "/tmp/kardol-fuzz-XXXXXX";
    if (::mkdtemp(folder) && ::chdir(folder) == 0) std::atexit([] { std::filesystem::remove_all(folder); });
    // No data archive here: the lobby host comes from the environment.
    ::setenv("KARDOL_LOBBY_HOST", "127.0.0.1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lobby::Header h;
    const bool whole = lobby::DecodeHeader(data, size, &h);
    if (whole && (h.length != size || lobby::KindSize(h.kind) != size)) std::abort();
    lobby::RoomRecord room;
    if (lobby::RoomRecord::Decode(data, size, &room)) {
        if (room.Name().size() > 31 || room.PlayerCount() > 20) std::abort();
        lobby::RoomRecord back;
        if (!lobby::RoomRecord::Decode(room.bytes.data(), room.bytes.size(), &back) ||
            back.bytes != room.bytes)
            std::abort();
    }
    lobby::LoginDatagram login;
    if (lobby::LoginDatagram::Decode(data, size, &login) && login.PlayerId().size() > 35) std::abort();
    lobby::ChatRecord chat;
    if (lobby::ChatRecord::Decode(data, size, &chat) && chat.Text().size() > 35) std::abort();

    // Both roles of the session control take it; the links stay closed, nothing leaves.
    static GameController* controller = new GameController;
    for (int server = 0; server < 2; ++server) {
        Zu_LocalSet session(controller);
        session.lobbyServerFlag = server;
        session.onlineFlag = 1;
        session.state = server ? 12 : 11;
        controller->lobbyLink.mode = uint8_t(server);
        const platform::SocketAddress sender{0x7F000002, 4000};
        session.HandleLobbyDatagram(sender, data, size, false);
        session.HandleLobbyDatagram(sender, data, size, true);
        if (session.rooms.size() > Zu_LocalSet::kListCap || session.players.size() > Zu_LocalSet::kListCap)
            std::abort();
        controller->lobbyLink.RemoveQueued(-1, 0);
    }
    return 0;
}
