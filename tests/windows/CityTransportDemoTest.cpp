// A convoy on the demo stage: the player's keep packs its gold and food in the transport window,
// the convoy stands on the map through the game's own frames and unloads when it enters the mill;
// the kingdom's gold and food do not change with the packing, the sending or the unloading.
#include "DemoBattleFixture.h"

#include "windows/city/Win13Window.h"
#include "windows/city/Win23Window.h"
#include "windows/city/Win98Window.h"
#include "world/MapView.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace {

class CityTransportDemo : public DemoBattleFixture {
protected:
    // The convoy's officer template, row 441 of "general.ini", which the demo's tables stop short
    // of: the rows between stay blank, the convoy is the spearman's row with room for soldiers.
    void AddFiles(const std::string& where) override {
        const std::string path = where + "/general.ini";
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        ASSERT_GE(bytes.size(), 8u);
        auto get32 = [&](size_t at) {
            return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                   uint32_t(bytes[at + 3]) << 24;
        };
        auto put32 = [](uint8_t* at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                at[i] = uint8_t(v >> (8 * i));
        };
        const uint32_t rows = get32(0), size = get32(4);
        constexpr uint32_t kConvoyRow = 441;
        ASSERT_EQ(size, uint32_t(OfficerLayout::kSize));
        ASSERT_EQ(bytes.size(), 8 + size_t(rows) * size);
        ASSERT_LT(rows, kConvoyRow);
        const std::vector<uint8_t> spearman(bytes.end() - size, bytes.end());
        bytes.resize(8 + size_t(kConvoyRow) * size, 0);
        uint8_t* convoy = bytes.data() + 8 + size_t(kConvoyRow - 1) * size;
        std::copy(spearman.begin(), spearman.end(), convoy);
        put32(convoy + OfficerLayout::kPersonNumber, kConvoyRow);
        put32(convoy + OfficerLayout::kTroopCapacity, 32);
        put32(bytes.data(), kConvoyRow);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    static std::vector<Troop*> Convoys(Kingdom* k) {
        std::vector<Troop*> out;
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (t->OfficerValue(OfficerLayout::kPersonNumber) == 441 && !t->hidden) out.push_back(t);
        return out;
    }
    // Gold and food of the kingdom's cities, their packs and its convoys on the way.
    static std::pair<int64_t, int64_t> Holdings(Kingdom* k) {
        int64_t gold = 0, food = 0;
        for (City* c : ListValues<City>(k->cities)) {
            gold += c->Int(CityLayout::kGold) + c->packedGold;
            food += c->Int(CityLayout::kFood) + c->packedFood;
        }
        for (Troop* t : Convoys(k)) {
            gold += t->OfficerValue(OfficerLayout::kHp);
            food += t->OfficerValue(OfficerLayout::kMp);
        }
        return {gold, food};
    }
};

TEST_F(CityTransportDemo, TheKeepsGoldAndFoodTravelToTheMillAndNothingIsMadeOrLost) {
    City* keep = CityNamed("Red Keep");
    City* mill = CityNamed("Red Mill");
    ASSERT_NE(keep, nullptr);
    ASSERT_NE(mill, nullptr);
    Kingdom* red = KingdomNamed("Red Banner");
    ASSERT_NE(red, nullptr);
    TheGameController->gameScreen->SelectBuilding(keep);
    Win13Window* command = TheWin98 ? TheWin98->command : nullptr;
    ASSERT_NE(command, nullptr);
    ASSERT_TRUE(command->IsOpen());
    const auto before = Holdings(red);
    const int32_t keepGold = keep->Int(CityLayout::kGold), keepFood = keep->Int(CityLayout::kFood);
    ASSERT_GT(keepGold, 0);

    ClickControl(command->Find(0x105));
    Win23Window* transport = OpenTransportWindow();
    ASSERT_NE(transport, nullptr);
    ClickControl(transport->Find(0x102)); // all the gold
    ClickControl(transport->Find(0x103)); // all the food
    EXPECT_EQ(LabelText(transport->controls, 0x201), std::to_string(keepGold));
    EXPECT_EQ(keep->Int(CityLayout::kGold), 0);
    EXPECT_EQ(Holdings(red), before);
    ClickControl(transport->Find(0x104));
    EXPECT_EQ(OpenTransportWindow(), nullptr);
    const std::vector<Troop*> convoys = Convoys(red);
    ASSERT_EQ(convoys.size(), 1u);
    Troop* convoy = convoys[0];
    EXPECT_EQ(convoy->OfficerValue(OfficerLayout::kHp), keepGold);
    EXPECT_EQ(Holdings(red), before);

    // A few frames on the map; then the convoy comes in at the mill by the city's own entry.
    for (int i = 0; i < 20; ++i)
        Frame();
    ASSERT_EQ(Convoys(red).size(), 1u);
    EXPECT_EQ(convoy->hidden, 0);
    const int32_t gold = mill->Int(CityLayout::kGold), food = mill->Int(CityLayout::kFood);
    const auto onTheWay = Holdings(red);
    mill->RequestTroopEntry(convoy);
    EXPECT_EQ(convoy->hidden, 1);
    EXPECT_EQ(convoy->OfficerValue(OfficerLayout::kHp), 0);
    EXPECT_EQ(mill->Int(CityLayout::kGold), gold + keepGold);
    EXPECT_EQ(mill->Int(CityLayout::kFood), food + keepFood);
    EXPECT_EQ(Holdings(red), onTheWay);
}

} // namespace
