#pragma once

#include "net/LobbyDatagram.h"
#include "platform/UdpSocket.h"

#include <map>
#include <string>
#include <vector>

// A small lobby server for tests on 127.0.0.1: it acknowledges what it gets, answers a query
// with "connected", a login with the code its table gives the player id (no answer for an id
// it does not know), and an announcement with its rooms. Driven by Poll from the test.
class LobbyTestServer {
public:
    struct Got {
        platform::SocketAddress from;
        std::vector<uint8_t> bytes;
    };

    bool Open();
    uint16_t Port() const { return socket.LocalPort(); }
    // Reads and answers what has come.
    void Poll();
    void SendTo(const platform::SocketAddress& to, std::vector<uint8_t> datagram);
    // Datagrams received of a kind.
    int Count(uint8_t kind) const;

    std::map<std::string, uint32_t> loginCodes;
    std::vector<lobby::RoomRecord> rooms;
    std::vector<Got> received;
    platform::UdpSocket socket;
    uint32_t sequence = 1000;
};
