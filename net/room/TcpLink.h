#pragma once

#include "net/room/PacketAssembler.h"
#include "platform/Messages.h"
#include "platform/Sockets.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

class NetSession;
struct NetHeaderTail;

// One connection the host accepted.
struct TcpClientRecord {
    platform::SOCKET socket = 0;
    platform::sockaddr_in address;
    uint32_t state = 0; // 5 = connected: only then is the socket closed with the record
    PacketAssembler inbox;
    bool broken = false; // the stream broke; the record goes when its close arrives
};

// The wire layer of the room: framing on send, reading and handing on by channel, and the host's
// list of accepted connections.
class TcpLink {
public:
    explicit TcpLink(NetSession& session) : session_(session) {}

    static constexpr int kAcceptsPerMessage = 32;

    // Sends one frame; the caller holds the mutex. A socket that takes no more bytes within the
    // send limit is shut down, so no half frame is ever followed by another.
    bool Send(platform::SOCKET socket, const uint8_t* payload, size_t payloadLength,
              const NetHeaderTail& tail);
    // One pass of the receive thread: at most one frame per connection. Fills `waitOn` with the
    // sockets worth waiting for before the next pass.
    void ReceiveAll(std::vector<platform::SOCKET>& waitOn);
    // Message 200 on the listening socket and message 201 (FD_CLOSE) on a connection.
    void Accept(platform::SOCKET socket);
    void OnSocketEvent(platform::SOCKET socket, uint32_t event);

    TcpClientRecord* AddClient();
    void RemoveClient(TcpClientRecord* record);
    void FreeClients();
    TcpClientRecord* FindClient(platform::SOCKET socket);
    const std::list<std::unique_ptr<TcpClientRecord>>& Clients() const { return clients_; }

    // The main window's routing of messages 200 and 201 to the program's session.
    static void Accept(platform::HWND, platform::UINT, platform::WPARAM wParam, platform::LPARAM);
    static void OnSocketEvent(platform::HWND, platform::UINT, platform::WPARAM wParam,
                              platform::LPARAM lParam);

    // How long a send may wait for room in the socket before the connection is given up.
    static constexpr uint32_t kSendLimitMs = 2000;

private:
    // Reads what the connection's current frame needs; false when the stream ended or broke.
    bool ReadPacket(platform::SOCKET socket, PacketAssembler& inbox);
    void HandOn(const uint8_t* frame, size_t size, platform::SOCKET socket);

    NetSession& session_;
    std::list<std::unique_ptr<TcpClientRecord>> clients_;
};
