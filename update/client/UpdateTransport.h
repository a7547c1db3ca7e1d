#pragma once

#include "engine/LinkList.h"
#include "platform/UdpSocket.h"

#include <cstdint>
#include <vector>

// The update client's reliable datagrams: every outgoing datagram is numbered, queued and resent
// every 5000 ms until the other side acknowledges it; what arrives is acknowledged and kept in the
// receive list for the session.
class UpdateTransport {
public:
    // One queued datagram; the node tag of the original is its flags.
    struct SendEntry {
        platform::UdpSocket* socket = nullptr;
        platform::SocketAddress destination;
        uint32_t lastSend = 0;
        std::vector<uint8_t> datagram;
        uint8_t flags = 0;
        uint32_t tries = 0;
    };
    // One received datagram and the socket it came in on (1 reply socket, 0 main socket).
    struct Received {
        platform::SocketAddress sender;
        std::vector<uint8_t> datagram;
        int fromReplySocket = 0;
    };

    static constexpr uint32_t kResendMs = 5000;
    // A datagram nobody acknowledges is given up after this many sends.
    static constexpr uint32_t kMaxSends = 12;
    static constexpr uint16_t kServerPort = 12121;
    static constexpr uint16_t kGroupPort = 9997;
    static constexpr uint16_t kReplyPort = 9996;
    static constexpr uint32_t kGroup = 0xE9010101; // 233.1.1.1

    UpdateTransport() = default;
    ~UpdateTransport();
    UpdateTransport(const UpdateTransport&) = delete;
    UpdateTransport& operator=(const UpdateTransport&) = delete;

    // The one transport of the program.
    static UpdateTransport& Instance();

    // mode 0: sending side, else listening side; role 1: unicast to the update server named by
    // `server`, else the local network's group. 1 on success.
    int Open(uint8_t mode, uint8_t role, const char* server);
    void Close();
    // Queues to the target on the given socket (null: the main socket).
    void Send(const std::vector<uint8_t>& datagram, uint8_t flags, platform::UdpSocket* socket = nullptr);
    // Queues to an address (role 1: main socket, else the reply socket).
    void SendTo(const std::vector<uint8_t>& datagram, const platform::SocketAddress& address, uint8_t flags);
    // Removes the first queued entry with that sequence that went to `from`.
    void OnAck(uint32_t sequence, const platform::SocketAddress& from);
    // 1 when it sent one entry, else 0.
    int ResendDue();
    // 1 when the main socket delivered a datagram.
    int Receive();
    // One datagram as it arrived on `socket` from `sender`: an acknowledgement is taken, anything
    // else is acknowledged when asked and queued; a datagram that is not whole is dropped.
    void TakeDatagram(platform::UdpSocket& socket, const platform::SocketAddress& sender,
                      const uint8_t* bytes, size_t n, int fromReplySocket);
    void SetError(uint32_t code) { lastError = code; }

    // Takes the oldest received datagram off the list; null when none. The caller deletes it.
    Received* TakeReceived();
    bool SendQueueEmpty() { return sendQueue.IsEmpty() != 0; }
    int SendQueueCount() const { return sendQueue.GetCount(); }
    const platform::SocketAddress& Target() const { return target; }
    platform::UdpSocket& MainSocket() { return mainSocket; }

    uint8_t mode = 0;
    uint8_t role = 0;
    LinkList receiveList;
    platform::UdpSocket mainSocket;
    LinkList sendQueue;
    uint32_t sequence = 0;
    uint32_t lastError = 0;
    platform::UdpSocket replySocket;
    platform::SocketAddress target;
    platform::SocketAddress replyAddress;

private:
    void Queue(const std::vector<uint8_t>& datagram, uint8_t flags, platform::UdpSocket* socket,
               const platform::SocketAddress& destination);
    // Reads one datagram from the socket; 1 when one was kept or handled.
    int ReceiveFrom(platform::UdpSocket& socket, int fromReplySocket);
    void ClearLists();
    bool Fail(int code);

    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(65536);
};
