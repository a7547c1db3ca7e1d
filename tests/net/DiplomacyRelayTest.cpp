#include "RelayPair.h"
#include "troops/TroopFixture.h"

#include "engine/ByteReader.h"
#include "net/DiplomacyCommand.h"
#include "net/room/GameCommandTable.h"
#include "records/Kingdom.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

using namespace nettest;
using trooptest::Battle;

namespace {

// One station's stage: the player's kingdom 1 at war with kingdom 2.
struct StationStage {
    std::unique_ptr<Battle> battle;
    Globals globals;
    Kingdom* own = nullptr;
    Kingdom* other = nullptr;

    StationStage(NetSession& session, bool host) {
        std::lock_guard guard(GlobalsLock());
        battle = std::make_unique<Battle>();
        own = battle->AddKingdom(1, true);
        other = battle->AddKingdom(2);
        own->relations[2] = other->relations[1] = 3;
        own->goodwill[2] = 40;
        TheGameController->gameKind = 1;
        globals = TakeStationGlobals(session, host);
    }
    ~StationStage() {
        std::lock_guard guard(GlobalsLock());
        Use(globals);
        TheNetSession = nullptr;
        battle.reset();
        Use({});
    }
    // Own toward other, other toward own, own's attitude toward other.
    std::vector<int> Standing(Station& s) {
        return In(s, globals, [&] {
            return std::vector<int>{own->relations[2], other->relations[1], own->goodwill[2]};
        });
    }
};

void ReceiveInto(Station& station, StationStage& stage) {
    RegisterTroopCommands(station.session.commands); // installs the session's sender
    RegisterDiplomacyCommands(station.session.commands);
    ReceiveUnder(station, stage.globals, {kDiplomacyCommand});
}

std::vector<uint8_t> Payload(uint32_t from, uint32_t to, uint32_t relation, uint32_t attitude) {
    ByteWriter out;
    for (uint32_t v : {from, to, relation, attitude})
        out.u32(v);
    return out.buffer();
}

} // namespace

TEST(DiplomacyRelay, TheHostsNewRelationReachesTheClientAndAClientDecidesNone) {
    RelayPair pair;
    auto& host = pair.host;
    auto& client = pair.client;
    {
        StationStage hostStage(host->session, true);
        StationStage clientStage(client->session, false);
        ReceiveInto(*host, hostStage);
        ReceiveInto(*client, clientStage);
        // Only the host may send it.
        EXPECT_FALSE(host->session.commands.Accepts(kDiplomacyCommand, kDiplomacyCommandSize, true));
        EXPECT_TRUE(client->session.commands.Accepts(kDiplomacyCommand, kDiplomacyCommandSize, false));
        ASSERT_TRUE(pair.Join());

        // A client's call changes nothing anywhere.
        In(*client, clientStage.globals, [&] {
            NetCmdSetDiplomacy(clientStage.own, clientStage.other, 1, 100);
            return 0;
        });
        EXPECT_EQ(clientStage.Standing(*client), (std::vector<int>{3, 3, 40}));

        // Peace on the host: both stations end with it, both ways, and with the attitude.
        In(*host, hostStage.globals, [&] {
            NetCmdSetDiplomacy(hostStage.own, hostStage.other, 2, 45);
            return 0;
        });
        EXPECT_EQ(hostStage.Standing(*host), (std::vector<int>{2, 2, 45}));
        EXPECT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return clientStage.Standing(*client) == std::vector<int>{2, 2, 45};
        }));
        // A gift keeps the relation and raises the attitude.
        In(*host, hostStage.globals, [&] {
            NetCmdSetDiplomacy(hostStage.own, hostStage.other, 0, 46);
            return 0;
        });
        EXPECT_TRUE(RunUntil({host.get(), client.get()}, [&] {
            return clientStage.Standing(*client) == std::vector<int>{2, 2, 46};
        }));
        EXPECT_EQ(hostStage.Standing(*host), clientStage.Standing(*client));
        pair.CloseSessions();
    }
}

TEST(DiplomacyCommand, TheReceiverRefusesWhatNamesNoKingdomOrNoRelation) {
    Battle battle;
    Kingdom* own = battle.AddKingdom(1, true);
    Kingdom* other = battle.AddKingdom(2);
    own->relations[2] = other->relations[1] = 3;
    struct Case {
        const char* what;
        std::vector<uint8_t> payload;
        bool taken;
    };
    std::vector<uint8_t> shortOne = Payload(1, 2, 2, 50);
    shortOne.pop_back();
    const Case cases[] = {
        {"peace", Payload(1, 2, 2, 50), true},
        {"short", shortOne, false},
        {"no such side", Payload(1, 9, 2, 50), false},
        {"side beyond the table", Payload(1, 0xFFFFFFFF, 2, 50), false},
        {"itself", Payload(1, 1, 2, 50), false},
        {"no such relation", Payload(1, 2, 4, 50), false},
        {"attitude beyond 100", Payload(1, 2, 1, 101), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        own->relations[2] = other->relations[1] = 3;
        own->goodwill[2] = 10;
        EXPECT_EQ(ReceiveDiplomacyCommand(c.payload), c.taken);
        EXPECT_EQ(own->relations[2], c.taken ? 2 : 3);
        EXPECT_EQ(other->relations[1], c.taken ? 2 : 3);
        EXPECT_EQ(own->goodwill[2], c.taken ? 50 : 10);
    }
}
