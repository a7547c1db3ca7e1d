#include "LobbyTestServer.h"

bool LobbyTestServer::Open() {
    return socket.Open() && socket.Bind(0x7F000001, 0) && socket.SetNonBlocking(true);
}

void LobbyTestServer::SendTo(const platform::SocketAddress& to, std::vector<uint8_t> d) {
    lobby::PutU32(d.data(), 4, sequence++);
    d[8] = 0;
    socket.SendTo(d.data(), d.size(), to, 0);
}

int LobbyTestServer::Count(uint8_t kind) const {
    int n = 0;
    for (const Got& g : received)
        n += g.bytes.size() > 1 && g.bytes[1] == kind ? 1 : 0;
    return n;
}

void LobbyTestServer::Poll() {
    uint8_t buffer[2048];
    for (int reads = 0; reads < 64; ++reads) {
        platform::SocketAddress from;
        const int n = socket.ReceiveFrom(buffer, sizeof buffer, &from);
        if (n < 0) return;
        lobby::Header h;
        if (!lobby::DecodeHeader(buffer, size_t(n), &h)) continue;
        if (h.kind == lobby::KindAck) continue;
        received.push_back({from, std::vector<uint8_t>(buffer, buffer + n)});
        if (!(h.flags & lobby::kNoAck)) {
            uint8_t ack[12] = {};
            lobby::PutHeader(ack, lobby::KindAck, 12);
            lobby::PutU32(ack, 4, h.sequence);
            ack[8] = lobby::kNoAck;
            socket.SendTo(ack, sizeof ack, from, 0);
        }
        if (h.kind == lobby::KindQuery || h.kind == lobby::KindAnnounce) {
            std::vector<uint8_t> connected(lobby::kConnectedSize);
            lobby::PutHeader(connected.data(), lobby::KindConnected, lobby::kConnectedSize);
            SendTo(from, connected);
            if (h.kind == lobby::KindAnnounce)
                for (const lobby::RoomRecord& r : rooms)
                    SendTo(from, {r.bytes.begin(), r.bytes.end()});
        } else if (h.kind == lobby::KindLogin || h.kind == lobby::KindLaunchLogin) {
            lobby::LoginDatagram login;
            if (!lobby::LoginDatagram::Decode(buffer, size_t(n), &login)) continue;
            auto code = loginCodes.find(login.PlayerId());
            if (code == loginCodes.end()) continue;
            std::vector<uint8_t> reply(login.bytes.begin(), login.bytes.end());
            lobby::PutU32(reply.data(), 12, code->second);
            SendTo(from, reply);
        }
    }
}
