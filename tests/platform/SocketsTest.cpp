#include "platform/Sockets.h"
#include "platform/Messages.h"
#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

using namespace platform;

TEST(Sockets, NamesErrorsAndAddressesTheWinSockWay) {
    const struct {
        int code;
        const char* name;
    } names[] = {{10035, "WSAEWOULDBLOCK"},  {10054, "WSAECONNRESET"},
                 {10061, "WSAECONNREFUSED"}, {10093, "WSANOTINITIALISED"},
                 {10101, "WSAEDISCON"},      {10071, "WSAEREMOTE"},
                 {0, "WSA_UnKnow"},          {12345, "WSA_UnKnow"}};
    for (const auto& n : names)
        EXPECT_STREQ(WSAErrorName(n.code), n.name) << n.code;

    // Every socket kind reports the system's errors by the same numbers.
    const struct {
        int system;
        int winsock;
    } errors[] = {{EAGAIN, WSAEWOULDBLOCK}, {ECONNRESET, WSAECONNRESET},
                  {EPIPE, WSAECONNRESET},   {ENOTSOCK, WSAENOTSOCK},
                  {ENETDOWN, WSAENETDOWN},  {EMSGSIZE, WSAEMSGSIZE},
                  {ENOMEM, WSAENOBUFS},     {0, WSAEINVAL}};
    for (const auto& e : errors)
        EXPECT_EQ(WinSockErrorOf(e.system), e.winsock) << e.system;

    const struct {
        const char* text;
        uint32_t hostOrder;
    } addresses[] = {{"127.0.0.1", 0x7F000001},
                     {"192.168.0.1", 0xC0A80001},
                     {"0.0.0.0", 0},
                     {"256.0.0.1", 0xFFFFFFFF},
                     {"1.2.3", 0xFFFFFFFF},
                     {"1.2.3.4 ", 0xFFFFFFFF},
                     {"a.b.c.d", 0xFFFFFFFF},
                     {"", 0xFFFFFFFF}};
    for (const auto& a : addresses) {
        const uint32_t v = inet_addr(a.text);
        EXPECT_EQ(v == 0xFFFFFFFFu ? v : ntohl(v), a.hostOrder) << a.text;
    }
    in_addr a;
    a.s_addr = inet_addr("10.20.30.40");
    EXPECT_STREQ(inet_ntoa(a), "10.20.30.40");
}

TEST(Sockets, ListsTheTcpProtocolInTwoCalls) {
    uint32_t size = 0;
    EXPECT_EQ(EnumProtocolsA(nullptr, nullptr, &size), -1);
    EXPECT_EQ(WSAGetLastError(), WSAENOBUFS);
    std::vector<PROTOCOL_INFO> records(size / sizeof(PROTOCOL_INFO));
    ASSERT_EQ(EnumProtocolsA(nullptr, records.data(), &size), 2);
    EXPECT_EQ(records[0].iAddressFamily, AF_INET);
    EXPECT_EQ(records[0].iProtocol, IPPROTO_TCP);
    EXPECT_EQ(records[0].iSocketType, SOCK_STREAM);
    EXPECT_EQ(records[1].iProtocol, IPPROTO_UDP);
}

TEST(Sockets, PostsAcceptAndCloseAndNeverReusesAHandle) {
    ResetMessageQueue();
    HWND window = AllocateWindowHandle();
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(listener, INVALID_SOCKET);
    ASSERT_NE(listener, 0u);
    sockaddr_in a;
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(bind(listener, &a, sizeof a), 0);
    ASSERT_EQ(listen(listener, 5), 0);
    int len = sizeof a;
    ASSERT_EQ(getsockname(listener, &a, &len), 0);
    ASSERT_EQ(WSAAsyncSelect(listener, window, 200, FD_ACCEPT), 0);

    const SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(connect(client, &a, sizeof a), 0);
    auto next = [&](MSG& msg) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < end) {
            if (PeekMessage(&msg, window, 0, 0, PM_REMOVE)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    MSG msg;
    ASSERT_TRUE(next(msg));
    EXPECT_EQ(msg.message, 200u);
    EXPECT_EQ(msg.wParam, listener);
    EXPECT_EQ(msg.lParam & 0xFFFF, FD_ACCEPT);
    sockaddr_in peer;
    const SOCKET accepted = accept(listener, &peer, nullptr);
    ASSERT_NE(accepted, INVALID_SOCKET);
    EXPECT_EQ(ntohl(peer.sin_addr.s_addr), 0x7F000001u);
    ASSERT_EQ(WSAAsyncSelect(accepted, window, 201, FD_CLOSE), 0);

    // Non-blocking now: nothing to read is WSAEWOULDBLOCK, not a wait.
    char byte;
    EXPECT_EQ(recv(accepted, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    ASSERT_EQ(send(client, "x", 1, 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    uint32_t waiting = 0;
    EXPECT_EQ(ioctlsocket(accepted, FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 1u);
    EXPECT_FALSE(PeekMessage(&msg, window, 0, 0, PM_NOREMOVE)) << "data is no event of ours";

    closesocket(client);
    ASSERT_TRUE(next(msg));
    EXPECT_EQ(msg.message, 201u);
    EXPECT_EQ(msg.wParam, accepted);
    EXPECT_EQ(msg.lParam & 0xFFFF, FD_CLOSE);
    closesocket(accepted);
    const SOCKET again = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_GT(again, accepted); // a stale handle never names a new socket
    EXPECT_EQ(recv(accepted, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    closesocket(again);
    closesocket(listener);
    ResetMessageQueue();
}

TEST(Sockets, RefusesNonLoopbackDestinationsInLoopbackMode) {
    // The call a test makes and the variable a test program's environment sets guard alike.
    for (const bool byVariable : {false, true}) {
        if (byVariable)
            setenv("KARDOL_LOOPBACK_ONLY", "1", 1);
        else
            SetLoopbackOnly(true);
        const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a;
        a.sin_family = AF_INET;
        a.sin_port = htons(9);
        a.sin_addr.s_addr = inet_addr("192.0.2.1");
        EXPECT_EQ(connect(s, &a, sizeof a), SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), WSAEACCES);
        const SOCKET d = socket(AF_INET, SOCK_DGRAM, 0);
        EXPECT_EQ(sendto(d, "x", 1, 0, &a, sizeof a), SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), WSAEACCES);
        EXPECT_TRUE(DestinationAllowed(0x7F000002));
        EXPECT_FALSE(DestinationAllowed(0xE9010101)) << "a real group leaves the machine";
        closesocket(s);
        closesocket(d);
        SetLoopbackOnly(false);
        unsetenv("KARDOL_LOOPBACK_ONLY");
    }
    EXPECT_TRUE(DestinationAllowed(0xC0000201));
}

TEST(Sockets, SharedAddressHelpers) {
    const struct {
        uint32_t address;
        const char* text;
    } dotted[] = {{0x7F000001, "127.0.0.1"}, {0, "0.0.0.0"}, {0xE9010101, "233.1.1.1"}};
    for (const auto& d : dotted) {
        EXPECT_EQ(DottedAddress(d.address), d.text);
        EXPECT_EQ(ParseDottedAddress(d.text), d.address);
    }
    EXPECT_TRUE(IsMulticastAddress(0xE0000000));
    EXPECT_TRUE(IsMulticastAddress(0xEFFFFFFF));
    EXPECT_FALSE(IsMulticastAddress(0xF0000000));
    EXPECT_FALSE(IsMulticastAddress(0x7F000001));

    EXPECT_EQ(ResolveHost("127.0.0.7"), 0x7F000007u);
    EXPECT_EQ(ResolveHost("localhost"), 0x7F000001u);
    EXPECT_EQ(ResolveHost(""), std::nullopt);
    EXPECT_EQ(ResolveHost(nullptr), std::nullopt);

    const struct {
        const char* value;
        uint16_t port;
    } ports[] = {{nullptr, 9997}, {"", 9997},      {"4000", 4000}, {"65535", 65535},
                 {"0", 9997},     {"65536", 9997}, {"12ab", 9997}};
    for (const auto& p : ports) {
        if (p.value)
            setenv("KARDOL_TEST_PORT", p.value, 1);
        else
            unsetenv("KARDOL_TEST_PORT");
        EXPECT_EQ(ConfiguredPort("KARDOL_TEST_PORT", 9997), p.port) << (p.value ? p.value : "unset");
    }
    unsetenv("KARDOL_TEST_PORT");

    unsetenv("KARDOL_MULTICAST_IF");
    EXPECT_EQ(MulticastInterface(), 0x7F000001u);
    setenv("KARDOL_MULTICAST_IF", "127.0.0.9", 1);
    EXPECT_EQ(MulticastInterface(), 0x7F000009u);
    setenv("KARDOL_MULTICAST_IF", "nonsense", 1);
    EXPECT_EQ(MulticastInterface(), 0x7F000001u);
    unsetenv("KARDOL_MULTICAST_IF");
}

TEST(Sockets, CarriesDatagramsIncludingEmptyOnes) {
    const SOCKET a = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    const SOCKET b = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to;
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(bind(b, &to, sizeof to), 0);
    int len = sizeof to;
    ASSERT_EQ(getsockname(b, &to, &len), 0);
    uint32_t on = 1;
    ASSERT_EQ(ioctlsocket(b, FIONBIO, &on), 0);
    char buffer[64];
    sockaddr_in from;
    EXPECT_EQ(recvfrom(b, buffer, sizeof buffer, 0, &from, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    ASSERT_EQ(sendto(a, "", 0, 0, &to, sizeof to), 0);
    ASSERT_EQ(sendto(a, "hello", 5, MSG_DONTROUTE, &to, sizeof to), 5);
    ASSERT_EQ(WaitForSockets(&b, 1, nullptr, 2000), 1);
    EXPECT_EQ(recvfrom(b, buffer, sizeof buffer, 0, &from, nullptr), 0); // the empty one first
    ASSERT_EQ(WaitForSockets(&b, 1, nullptr, 2000), 1);
    ASSERT_EQ(recvfrom(b, buffer, sizeof buffer, 0, &from, nullptr), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(ntohl(from.sin_addr.s_addr), 0x7F000001u);
    closesocket(a);
    closesocket(b);
}

TEST(Sockets, UdpSocketIsADatagramSocketOfTheWinSockLayer) {
    const size_t before = OpenSocketCount();
    UdpSocket a;
    UdpSocket b;
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
    EXPECT_EQ(OpenSocketCount(), before + 2);
    ASSERT_TRUE(b.Bind(0x7F000001, 0));
    ASSERT_NE(b.LocalPort(), 0);
    ASSERT_TRUE(b.SetNonBlocking(true));
    ASSERT_TRUE(a.SetMulticastInterface(0x7F000001));
    EXPECT_TRUE(a.JoinGroup(0x7F000005, 0x7F000001)) << "a unicast stand-in for the group";

    char buffer[4];
    EXPECT_EQ(b.ReceiveFrom(buffer, sizeof buffer, nullptr), -1);
    EXPECT_EQ(b.lastError, WSAEWOULDBLOCK);
    const SocketAddress to{0x7F000001, b.LocalPort()};
    ASSERT_EQ(a.SendTo("abcdef", 6, to, MSG_DONTROUTE), 6);
    ASSERT_TRUE(b.WaitReadable(2000));
    SocketAddress from;
    EXPECT_EQ(b.ReceiveFrom(buffer, sizeof buffer, &from), 4) << "cut to the buffer";
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(from.address, 0x7F000001u);
    EXPECT_EQ(from.port, a.LocalPort());
    EXPECT_FALSE(b.WaitReadable(0)) << "the rest of a cut datagram is gone";

    const uint32_t value = 1;
    ASSERT_TRUE(a.IsOpen());
    a.Close();
    EXPECT_FALSE(a.IsOpen());
    EXPECT_EQ(a.SendTo("x", 1, to, 0), -1);
    EXPECT_EQ(a.lastError, WSAENOTSOCK);
    const SOCKET raw = socket(AF_INET, SOCK_DGRAM, 0);
    EXPECT_EQ(setsockopt(raw, SOL_SOCKET, 0x1234, reinterpret_cast<const char*>(&value), sizeof value),
              SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);
    closesocket(raw);
    b.Close();
    EXPECT_EQ(OpenSocketCount(), before);
}
