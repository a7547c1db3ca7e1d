// A host and a client pack, send, cancel and receive city convoys in random order through the game's
// own city event and city value commands: gold, food, items and soldiers are never made or lost,
// and both stations end with one world.
#include "RelayPair.h"
#include "troops/TroopFixture.h"

#include "net/CityValueCommand.h"
#include "net/SubCommands.h"
#include "net/TroopCommandCodec.h"
#include "net/room/GameCommandTable.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace nettest;
using trooptest::Battle;

namespace {

constexpr int32_t kConvoyTemplate = 441;
constexpr int32_t kSword = 5, kShield = 6, kBow = 7;

struct StationStage {
    std::unique_ptr<Battle> battle;
    Globals globals;
    Kingdom* side = nullptr;
    City* from = nullptr; // sends
    City* to = nullptr;   // the marked city

    StationStage(NetSession& session, bool host) {
        std::lock_guard guard(GlobalsLock());
        battle = std::make_unique<Battle>();
        side = battle->AddKingdom(1, true);
        from = battle->AddCity(side, 30, 20);
        to = battle->AddCity(side, 10, 35);
        side->mainCity = to;
        from->SetInt(CityLayout::kGold, 3000);
        from->SetInt(CityLayout::kFood, 40000);
        to->SetInt(CityLayout::kGold, 500);
        for (int32_t item :
             {kSword, kShield, kBow, kSword, kShield, kBow, kSword, kShield, kBow, kSword, kShield, kBow})
            from->ItemStock().Add(uintptr_t(item));
        for (int i = 0; i < 40; ++i)
            from->reserve.Add(
                uintptr_t(new Troop(0, 10, 0, 0, 1, int16_t(from->id), 0, battle->Officer(1, 1, 2, 415))));
        globals = TakeStationGlobals(session, host);
    }
    ~StationStage() {
        std::lock_guard guard(GlobalsLock());
        Use(globals);
        TheNetSession = nullptr;
        battle.reset();
        Use({});
    }
};

std::vector<Troop*> Convoys(StationStage& st) {
    std::vector<Troop*> out;
    for (uintptr_t v = st.side->fieldUnits.First(); v != 0; v = st.side->fieldUnits.Next()) {
        auto* t = reinterpret_cast<Troop*>(v);
        if (t->OfficerValue(OfficerLayout::kPersonNumber) == kConvoyTemplate) out.push_back(t);
    }
    return out;
}

// Everything the two cities, their packs and the convoys hold, by kind: the sums must not move.
struct Goods {
    int64_t gold = 0, food = 0;
    std::map<int32_t, int> items;
    std::vector<uint32_t> soldiers;
    std::string Text() const {
        std::ostringstream out;
        out << "gold " << gold << " food " << food << " items";
        for (const auto& [item, n] : items)
            out << " " << item << "x" << n;
        out << " soldiers";
        for (uint32_t id : soldiers)
            out << " " << id;
        return out.str();
    }
};

std::string Count(StationStage& st) {
    Goods g;
    auto soldiers = [&](LinkList* list) {
        if (!list) return;
        for (uintptr_t v = list->First(); v != 0; v = list->Next())
            g.soldiers.push_back(reinterpret_cast<Troop*>(v)->UnitId());
    };
    for (City* c : {st.from, st.to}) {
        g.gold += c->Int(CityLayout::kGold) + c->packedGold;
        g.food += c->Int(CityLayout::kFood) + c->packedFood;
        for (LinkList* list : {&c->ItemStock(), &c->packedItems})
            for (uintptr_t v = list->First(); v != 0; v = list->Next())
                ++g.items[int32_t(v)];
        soldiers(&c->reserve);
        soldiers(&c->packedTroops);
    }
    for (Troop* t : Convoys(st)) {
        g.gold += t->OfficerValue(OfficerLayout::kHp);
        g.food += t->OfficerValue(OfficerLayout::kMp);
        for (uint32_t slot = 0; slot < 10; ++slot)
            if (int32_t item = t->OfficerValue(OfficerLayout::kWeapon + 4 * slot)) ++g.items[item];
        soldiers(t->followers);
    }
    std::sort(g.soldiers.begin(), g.soldiers.end());
    return g.Text();
}

// The order of every list, the values and the convoys: what both stations must share.
std::string Signature(StationStage& st) {
    std::ostringstream out;
    auto list = [&](LinkList& l, bool troops) {
        for (uintptr_t v = l.First(); v != 0; v = l.Next())
            out << (troops ? reinterpret_cast<Troop*>(v)->UnitId() : uint32_t(v)) << ",";
        out << ";";
    };
    for (City* c : {st.from, st.to}) {
        out << c->Int(CityLayout::kGold) << "/" << c->Int(CityLayout::kFood) << " pack " << c->packedGold
            << "/" << c->packedFood << " ";
        list(c->ItemStock(), false);
        list(c->packedItems, false);
        list(c->reserve, true);
        list(c->packedTroops, true);
        out << "\n";
    }
    for (Troop* t : Convoys(st)) {
        out << "convoy " << t->UnitId() << " at " << t->cellX << "," << t->cellY << " "
            << t->OfficerValue(OfficerLayout::kHp) << "/" << t->OfficerValue(OfficerLayout::kMp) << " ";
        for (uint32_t slot = 0; slot < 10; ++slot)
            out << t->OfficerValue(OfficerLayout::kWeapon + 4 * slot) << ",";
        if (t->followers) list(*t->followers, true);
        out << "\n";
    }
    return out.str();
}

// One player action on a station, chosen by r, through the commands a window sends.
void Act(StationStage& st, uint32_t r, std::string& what) {
    City* c = st.from;
    const int32_t gold = c->Int(CityLayout::kGold), food = c->Int(CityLayout::kFood);
    switch (r % 12) {
    case 0:
        what = "pack all items";
        NetCmdCityEvent(c, 0, 0, 0, 0, 0, 11);
        break;
    case 1:
        what = "pack all soldiers";
        NetCmdCityEvent(c, 0, 0, 0, 0, 0, 10);
        break;
    case 2:
        what = "pack one soldier";
        if (c->reserve.GetCount() > 0)
            NetCmdCityEvent(c, reinterpret_cast<Troop*>(c->reserve.GetAt(0))->UnitId(), 0, 0, 0, 0, 0);
        break;
    case 3:
        what = "unpack one soldier";
        if (c->packedTroops.GetCount() > 0)
            NetCmdCityEvent(c, reinterpret_cast<Troop*>(c->packedTroops.GetAt(0))->UnitId(), 0, 0, 0, 0, 1);
        break;
    case 4:
        what = "pack all gold";
        NetCmdCityEvent(c, 0, 0, 0, gold + c->packedGold, 0, 8);
        NetCmdAddCityValue(c, -gold, kCityGold);
        break;
    case 5:
        what = "pack a food bag";
        if (food > 999) {
            NetCmdCityEvent(c, 0, 0, 0, 0, c->packedFood + 1000, 9);
            NetCmdAddCityValue(c, -1000, kCityFood);
        }
        break;
    case 6:
        what = "unpack a gold bag";
        if (c->packedGold > 99) {
            NetCmdCityEvent(c, 0, 0, 0, c->packedGold - 100, 0, 8);
            NetCmdAddCityValue(c, 100, kCityGold);
        }
        break;
    case 7:
        what = "pack one item";
        if (c->ItemStock().GetCount() > 0 && c->packedItems.GetCount() < 10) {
            NetCmdCityEvent(c, 0, 0, uint32_t(c->ItemStock().GetAt(0)), 0, 0, 5);
            NetCmdListRemove(c, 0, 0);
        }
        break;
    case 8:
        what = "unpack one item";
        if (c->packedItems.GetCount() > 0) {
            NetCmdListRemove(c, -1, uint32_t(c->packedItems.GetAt(0)));
            NetCmdCityEvent(c, 0, 0, 0, 0, 0, 3);
        }
        break;
    case 9:
        what = "cancel";
        NetCmdCityEvent(c, 0, 0, 0, 0, 0, 12);
        break;
    case 10:
        what = (r >> 4) % 2 ? "send" : "send to the marked city";
        if ((r >> 4) % 2)
            NetCmdCityEvent(c, 0, 0, 0, 0, 0, 13);
        else
            NetCmdCityEvent(c, 0, 0, 0, 0, 0, 15);
        break;
    default:
        what = "receive";
        for (Troop* t : Convoys(st))
            if (t->OfficerValue(OfficerLayout::kHp) || t->OfficerValue(OfficerLayout::kMp) ||
                (t->followers && t->followers->GetCount()) || t->OfficerValue(OfficerLayout::kWeapon)) {
                NetCmdCityEvent(st.to, t->UnitId(), 0, 0, 0, 0, 14);
                break;
            }
        break;
    }
}

TEST(CityTransportRelay, RandomPackingSendingAndReceivingConservesGoodsOnBothStations) {
    RelayPair pair;
    auto& host = pair.host;
    auto& client = pair.client;
    {
        StationStage hostStage(host->session, true);
        StationStage clientStage(client->session, false);
        // The tables are the process's: both stations read the same.
        std::array<uint8_t, OfficerLayout::kSize> convoy{};
        auto put = [&](uint32_t at, int32_t v) { std::memcpy(convoy.data() + at, &v, 4); };
        put(OfficerLayout::kPersonNumber, kConvoyTemplate);
        put(OfficerLayout::kSoldierType, 1);
        put(OfficerLayout::kTroopCapacity, 32);
        GeneralTemplateTable[kConvoyTemplate] = convoy.data();
        const int32_t oldTemplates = GeneralTemplateCount;
        GeneralTemplateCount = std::max(GeneralTemplateCount, 442);
        std::array<std::array<uint8_t, 200>, 8> items{};
        const int32_t oldCount = ItemCount;
        ItemCount = 330;
        for (int32_t item : {kSword, kShield, kBow, 321, 322, 323, 324})
            ItemTable[item] = items[size_t(item % 8)].data();

        for (Station* s : {host.get(), client.get()}) {
            RegisterTroopCommands(s->session.commands);
            RegisterCityCommands(s->session.commands);
            RegisterSubCommands(s->session.commands);
        }
        ReceiveUnder(*host, hostStage.globals, {kSubCommandCode, kCityValueCommand});
        ReceiveUnder(*client, clientStage.globals, {kSubCommandCode, kCityValueCommand});
        for (uint8_t code = kFirstTroopCommand; code <= kLastTroopCommand; ++code) {
            ReceiveUnder(*host, hostStage.globals, {code});
            ReceiveUnder(*client, clientStage.globals, {code});
        }
        ASSERT_TRUE(pair.Join());
        auto signature = [](Station& s, StationStage& st) {
            return In(s, st.globals, [&] { return Signature(st); });
        };
        auto goods = [](Station& s, StationStage& st) {
            return In(s, st.globals, [&] { return Count(st); });
        };
        const std::string start = goods(*host, hostStage);
        ASSERT_EQ(signature(*client, clientStage), signature(*host, hostStage));
        ASSERT_NE(start.find(" soldiers 1 "), std::string::npos);

        std::mt19937 random(53);
        int launched = 0, received = 0;
        for (int step = 0; step < 80; ++step) {
            const uint32_t r = random();
            const bool onHost = (r >> 8) % 2 == 0;
            Station& s = onHost ? *host : *client;
            StationStage& st = onHost ? hostStage : clientStage;
            std::string what;
            const size_t before = In(s, st.globals, [&] { return Convoys(st).size(); });
            const std::string was = signature(*host, hostStage);
            In(s, st.globals, [&] {
                Act(st, r, what);
                return 0;
            });
            // A player acts on what the last answer showed: a client's request reaches the host
            // before the next one (a refused request changes nothing there).
            if (!onHost)
                RunUntil(
                    {host.get(), client.get()}, [&] { return signature(*host, hostStage) != was; }, 300);
            SCOPED_TRACE(std::to_string(step) + (onHost ? " host: " : " client: ") + what);
            EXPECT_TRUE(
                RunUntil({host.get(), client.get()},
                         [&] { return signature(*client, clientStage) == signature(*host, hostStage); }))
                << "host:\n"
                << signature(*host, hostStage) << "client:\n"
                << signature(*client, clientStage);
            EXPECT_EQ(goods(*host, hostStage), start);
            EXPECT_EQ(goods(*client, clientStage), start);
            const size_t after = In(s, st.globals, [&] { return Convoys(st).size(); });
            launched += int(after > before);
            received += what == "receive";
        }
        // The sequence did send convoys and unload them.
        EXPECT_GT(launched, 1);
        EXPECT_GT(received, 1);
        const int32_t delivered =
            In(*host, hostStage.globals, [&] { return hostStage.to->Int(CityLayout::kGold); });
        EXPECT_GT(delivered, 500);

        pair.CloseSessions();
        GeneralTemplateTable[kConvoyTemplate] = nullptr;
        GeneralTemplateCount = oldTemplates;
        for (int32_t item : {kSword, kShield, kBow, 321, 322, 323, 324})
            ItemTable[item] = nullptr;
        ItemCount = oldCount;
    }
}

} // namespace
