#pragma once

#include "Program/GameController.h"
#include "net/RoomSessionLink.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/SlotFields.h"

#include <string>
#include <vector>

// A TCP room in memory for stations of one process: the host takes peer id 1 and slot 0, each
// joining client the next id and slot, and every station's slot table learns the joins as the
// peer table would tell them. Room messages go straight into the receiving station's inbox.
class RoomLoopbackHub {
public:
    struct Station {
        Zu_LocalSet* session = nullptr;
        std::string address;
        uint32_t id = 0;
        int slot = 0;
        bool started = false;
    };
    std::vector<Station> stations;
    int hostIndex = -1;
    uint32_t nextId = 1;
    // Counts of what travelled, by type.
    int sent[32] = {};
};

class RoomLoopback : public RoomSessionLink {
public:
    RoomLoopback(RoomLoopbackHub& hub, int index) : hub_(hub), index_(index) {}

    bool Start(bool asHost, const std::string& hostAddress, const std::string& playerName) override {
        auto& me = hub_.stations[index_];
        if (asHost) {
            hub_.hostIndex = index_;
            hub_.nextId = 1;
        } else {
            // The client must have found the host's address in the lobby.
            if (hub_.hostIndex < 0 || hub_.stations[hub_.hostIndex].address != hostAddress) return false;
        }
        me.id = hub_.nextId++;
        me.slot = int(me.id - 1);
        me.started = true;
        PlayerSlot record;
        slotfields::SetId(record, me.id);
        slotfields::SetName(record, playerName);
        slotfields::SetIndex(record, uint8_t(me.slot));
        for (auto& s : hub_.stations) {
            if (!s.started) continue;
            s.session->controller->players[me.slot] = record;
            // The newcomer learns the slots already taken.
            for (auto& other : hub_.stations)
                if (other.started && &other != &s && &s == &me)
                    s.session->controller->players[other.slot] =
                        other.session->controller->players[other.slot];
        }
        if (!asHost) hub_.stations[hub_.hostIndex].session->PostEvent(Zu_LocalSet::kEventRoom, 0);
        return true;
    }
    void Close() override {
        auto& me = hub_.stations[index_];
        if (!me.started) return;
        me.started = false;
        if (hub_.hostIndex == index_) {
            hub_.hostIndex = -1;
            return;
        }
        // The host's peer table lets the leaver's slot go and tells the room.
        for (auto& s : hub_.stations)
            if (s.started) s.session->controller->players[me.slot] = PlayerSlot{};
        if (hub_.hostIndex >= 0) hub_.stations[hub_.hostIndex].session->PostEvent(Zu_LocalSet::kEventRoom, 0);
    }
    bool IsHost() const override { return hub_.hostIndex == index_; }
    uint32_t OwnPeerId() const override { return hub_.stations[index_].id; }
    int PeerCount() const override {
        int n = 0;
        for (const auto& s : hub_.stations)
            n += s.started ? 1 : 0;
        return n;
    }
    int OwnSlotIndex() const override { return hub_.stations[index_].slot; }
    void SendToHost(uint8_t type, const uint8_t* payload, size_t size) override {
        if (hub_.hostIndex >= 0) Deliver(hub_.stations[hub_.hostIndex], type, payload, size);
    }
    void SendToPeer(uint32_t peerId, uint8_t type, const uint8_t* payload, size_t size) override {
        for (auto& s : hub_.stations)
            if (s.started && s.id == peerId) Deliver(s, type, payload, size);
    }
    void Broadcast(uint8_t type, const uint8_t* payload, size_t size, uint32_t) override {
        for (size_t i = 0; i < hub_.stations.size(); ++i)
            if (int(i) != index_ && hub_.stations[i].started) Deliver(hub_.stations[i], type, payload, size);
    }
    void RemovePeer(uint32_t) override {}
    bool Flush() override { return true; }

private:
    void Deliver(RoomLoopbackHub::Station& to, uint8_t type, const uint8_t* payload, size_t size) {
        if (type < 32) ++hub_.sent[type];
        to.session->DeliverRoomMessage(hub_.stations[index_].id, type, payload, size);
    }
    RoomLoopbackHub& hub_;
    int index_;
};
