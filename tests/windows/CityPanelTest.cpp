// The city panels on a small battle, built from the demo folder's layouts: selecting an own city
// on the map opens its status bar and command panel, and the panels' buttons buy, recruit, trade
// and move items through the city commands.
#include "troops/TroopFixture.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenControls.h"
#include "fuzz/seeds/builders/TestDisplay.h"
#include "gui/DeferredDelete.h"
#include "gui/MouseCursor.h"
#include "gui/TextLabel.h"
#include "net/CityValueCommand.h"
#include "records/City.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "windows/city/SubCastlePanels.h"
#include "windows/city/Win13Window.h"
#include "windows/city/Win14Window.h"
#include "windows/city/Win16Window.h"
#include "windows/city/Win18Window.h"
#include "windows/city/Win22Window.h"
#include "windows/city/Win23Window.h"
#include "windows/city/Win98Window.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win99Window.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using L = CityLayout;

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";

constexpr int32_t kSword = 300, kShield = 301;
constexpr int32_t kSpearType = 85; // queue id 415

void Put(uint8_t* block, uint32_t offset, int32_t v) {
    std::memcpy(block + offset, &v, 4);
}

class CityPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(std::system((MakeDemo + " . > /dev/null").c_str()), 0);
        b.Animations({1});
        Put(items[0].data(), ItemLayout::kCategory, 1);
        Put(items[0].data(), ItemLayout::kPrice, 75);
        Put(items[0].data(), 40, 1); // a sword anyone may wield
        Put(items[0].data(), 24, 30);
        Put(items[1].data(), ItemLayout::kCategory, 2);
        Put(items[1].data(), ItemLayout::kPrice, 40);
        Put(items[1].data(), 24, 31);
        ItemTable[kSword] = items[0].data();
        ItemTable[kShield] = items[1].data();
        oldItems = ItemCount;
        ItemCount = 330;
        // A spearman costs 10 people, 50 gold and 20 food.
        Put(spearType.data(), 68, 10);
        Put(spearType.data(), 72, 50);
        Put(spearType.data(), 76, 20);
        SoldierTypeTable[kSpearType] = spearType.data();
        oldTypes = SoldierTypeCount;
        SoldierTypeCount = std::max(SoldierTypeCount, kSpearType + 1);
        TheMouseCursor = &cursor;
        TheWin99 = new Win99Window(nullptr, nullptr);
        TheWin98 = new Win98Window(nullptr);
        view = std::make_unique<MapView>();
        TheGameController->gameScreen = view.get();
        own = b.AddKingdom(1, true);
        city = b.AddCity(own, 20, 40);
        city->SetText(L::kName, 20, "Red Keep");
        city->SetInt(L::kScale, 2);
        city->SetInt(L::kGold, 400);
        city->SetInt(L::kFood, 900);
        city->SetInt(L::kPopulation, 1900);
        city->buildings[6] = 1001; // a spearmen's camp stands
        // The city owns its troops and waiting soldiers: they leave the field list.
        leader = Owned(b.AddTroop(own, 21, 41));
        city->units.Add(uintptr_t(leader));
        city->currentUnit = leader;
    }
    void TearDown() override {
        // Troops shown around the city are the map's; inside again, the city deletes them.
        city->RemoveUnitFromMap();
        TheGameController->gameScreen = nullptr;
        delete TheWin98;
        TheWin98 = nullptr;
        delete TheWin99;
        TheWin99 = nullptr;
        TheMouseCursor = nullptr;
        FlushDeferredDeletes();
        ItemTable[kSword] = ItemTable[kShield] = nullptr;
        ItemCount = oldItems;
        SoldierTypeTable[kSpearType] = nullptr;
        SoldierTypeCount = oldTypes;
    }

    Troop* Owned(Troop* t) {
        own->fieldUnits.RemoveValue(uintptr_t(t));
        return t;
    }
    void OpenCity() {
        TheGameController->selectedCity = city;
        view->currentCity = city;
        view->SelectBuilding(city);
    }
    Win13Window& Command() { return *TheWin98->command; }
    static void Click(CityWindow& w, int id) {
        Widget* c = w.Find(id);
        ASSERT_NE(c, nullptr) << std::hex << id;
        w.OnControlClick(c, nullptr);
    }
    static std::string Text(CityWindow* w, LinkList* controls, int index) {
        (void)w;
        auto* label = dynamic_cast<TextLabel*>(FindScreenControl(controls, 0x200 + index));
        return label && label->textRecord && label->textRecord->text ? label->textRecord->text : "";
    }

    TestDisplay display{566};
    trooptest::Battle b;
    std::array<std::array<uint8_t, ItemRecord::kSize>, 2> items{};
    std::array<uint8_t, 200> spearType{};
    int32_t oldItems = 0, oldTypes = 0;
    MouseCursor cursor;
    std::unique_ptr<MapView> view;
    Kingdom* own = nullptr;
    City* city = nullptr;
    Troop* leader = nullptr;
};

// Selecting the own city on the map opens the command panel with its name and the status bar with
// its values; a value command refreshes the bar, and deselecting closes both.
TEST_F(CityPanelTest, SelectingTheCityOpensItsPanelsWithItsValues) {
    OpenCity();
    ASSERT_TRUE(Command().IsOpen());
    Win03Window& bar = *TheWin98->statusBar;
    ASSERT_TRUE(bar.Shown());
    EXPECT_EQ(Text(nullptr, Command().controls, 0), "Red Keep");
    const struct {
        int field;
        std::string text;
    } fields[] = {{1, "Red Keep"}, {2, "2"}, {3, "1"}, {4, "1900"}, {5, "400"}, {6, "900"}};
    for (const auto& f : fields)
        EXPECT_EQ(Text(nullptr, bar.controls, f.field), f.text) << f.field;
    NetCmdAddCityValue(city, 55, kCityGold);
    EXPECT_EQ(Text(nullptr, bar.controls, 5), "455");
    // Without a sub-castle of either kind both sub-castle buttons are off.
    EXPECT_EQ(Command().Find(0x101)->enabled, 0);
    EXPECT_EQ(Command().Find(0x102)->enabled, 0);
    view->DeselectBuilding(city);
    EXPECT_FALSE(Command().IsOpen());
    EXPECT_FALSE(bar.Shown());
}

// The building window prices its buttons against the city's gold; a choice starts the placement
// of that building on the game screen, and a right click closes the window and ends it.
TEST_F(CityPanelTest, BuildingChoiceStartsPlacementAndPricesRefuseWhatTheGoldCannotPay) {
    GameParams().buildingCost[0] = 150; // farm
    GameParams().buildingCost[2] = 500; // market: more than the city has
    OpenCity();
    Click(Command(), 0x10A);
    Win18Window* build = Command().building;
    ASSERT_NE(build, nullptr);
    EXPECT_EQ(build->Find(0x500)->enabled, 1);
    EXPECT_EQ(build->Find(0x501)->enabled, 0);
    // The second grade of the spearmen's line is offered: the first stands, and scale 2 allows it.
    EXPECT_EQ(build->offered[0], 7);
    Click(*build, 0x500);
    EXPECT_EQ(view->placingBuilding, 1);
    EXPECT_EQ(view->buildingKind, 0);
    // Placing takes the gold: the window took none.
    EXPECT_EQ(city->Int(L::kGold), 400);
    // The gold falls below the farm's price: the value command's refresh turns the button off.
    NetCmdAddCityValue(city, -300, kCityGold);
    EXPECT_EQ(build->Find(0x500)->enabled, 0);
    build->OnControlRightClick(build->Find(0x500), nullptr);
    EXPECT_EQ(Command().building, nullptr);
    EXPECT_EQ(view->placingBuilding, 0);
}

// Recruiting pays gold, food and people at once and queues the soldier; a city that cannot pay
// finds the button off and a click on it buys nothing. A right press on a queue button removes
// the entry and gives nothing back.
TEST_F(CityPanelTest, RecruitingPaysAndQueuesAndRefusesWithoutTheGold) {
    OpenCity();
    Click(Command(), 0x10B);
    Win16Window* recruit = Command().recruiting;
    ASSERT_NE(recruit, nullptr);
    ASSERT_EQ(recruit->Find(0x500)->enabled, 1);
    EXPECT_EQ(recruit->Find(0x501)->enabled, 0); // no pikemen's camp
    for (int i = 0; i < 2; ++i)
        Click(*recruit, 0x500);
    EXPECT_EQ(city->Int(L::kGold), 300);
    EXPECT_EQ(city->Int(L::kFood), 860);
    EXPECT_EQ(city->Int(L::kPopulation), 1880);
    ASSERT_EQ(city->trainingQueue.GetCount(), 2);
    EXPECT_EQ(reinterpret_cast<TrainingEntry*>(city->trainingQueue.GetAt(0))->templateNumber, 415);
    EXPECT_NE(Command().Find(0x401), nullptr);
    Command().OnControlRightPress(Command().Find(0x401), nullptr);
    EXPECT_EQ(city->trainingQueue.GetCount(), 1);
    EXPECT_EQ(Command().Find(0x401), nullptr);
    EXPECT_EQ(city->Int(L::kGold), 300);

    city->SetInt(L::kGold, 49);
    recruit->RefreshButtons();
    EXPECT_EQ(recruit->Find(0x500)->enabled, 0);
    Click(*recruit, 0x500);
    EXPECT_EQ(city->trainingQueue.GetCount(), 1);
    EXPECT_EQ(city->Int(L::kGold), 49);
}

// The stock window lists the city's items; a stock item dragged onto the equipment page's weapon
// slot is worn and the stock loses it, and the weapon worn before goes back to the stock.
TEST_F(CityPanelTest, StockItemDraggedOntoTheEquipmentPageIsSwappedWithTheWornOne) {
    city->ItemStock().Add(uintptr_t(kSword));
    leader->officer->Set(OfficerLayout::kWeapon, kShield);
    leader->officer->Set(OfficerLayout::kClass, 1);
    OpenCity();
    Click(Command(), 0x107);
    Win14Window* stock = Command().stock;
    ASSERT_NE(stock, nullptr);
    Win05Window& units = *TheWin99->GetPanel();
    ASSERT_TRUE(units.Shown());
    units.OnControlRightClick(FindScreenControl(units.controls, 0x104), nullptr);
    Win07Window& page = *units.equipmentPage;
    ASSERT_EQ(page.GetShownTroop(), leader);
    stock->OnControlToggle(stock->Find(0x400), nullptr);
    page.OnControlClick(FindScreenControl(page.controls, 0x400), nullptr);
    EXPECT_EQ(leader->officer->Get(OfficerLayout::kWeapon), kSword);
    ASSERT_EQ(city->ItemStock().GetCount(), 1);
    EXPECT_EQ(int32_t(city->ItemStock().GetAt(0)), kShield);
    // A gold bag cannot be picked while the city holds 99 gold or less.
    city->SetInt(L::kGold, 99);
    stock->OnControlToggle(stock->Find(0x430), nullptr);
    EXPECT_EQ(cursor.dragPayload, 0u);
}

// A soldier dropped into a city at its capacity stays with its general: the stock is full.
TEST_F(CityPanelTest, SoldierDropIntoAFullCityIsRefused) {
    OpenCity();
    Click(Command(), 0x107);
    Win14Window* stock = Command().stock;
    ASSERT_NE(stock, nullptr);
    for (int i = 0; i < CitySoldierCapacity(*city); ++i)
        city->reserve.Add(uintptr_t(Owned(b.AddTroop(own, 2 + i % 10, 2 + i / 10))));
    Troop* soldier = Owned(b.AddTroop(own, 30, 30)); // its general deletes it
    if (!leader->followers) leader->followers = new LinkList;
    leader->followers->Add(uintptr_t(soldier));
    Win05Window& units = *TheWin99->GetPanel();
    units.OnControlRightClick(FindScreenControl(units.controls, 0x104), nullptr);
    cursor.SetDragPayload(uintptr_t(soldier), 0x1000);
    UnitDragSource = units.equipmentPage;
    stock->OnControlClick(stock->Find(0x410), nullptr);
    EXPECT_EQ(leader->followers->GetCount(), 1);
    EXPECT_EQ(city->reserve.GetCount(), CitySoldierCapacity(*city));
    EXPECT_EQ(cursor.dragPayload, 0u);
}

// The market: a city item dropped on the goods sells for half its price, a merchant item dropped
// on the stock costs its price, a 1000 food bag sells for 50 gold; a drop on its own side trades
// nothing.
TEST_F(CityPanelTest, MarketTradesItemsAndFoodAtTheirPrices) {
    auto* market = new SubCastle(0);
    market->SetInt(SubCastleLayout::kKind, 4);
    market->cityId = 0;
    market->ownerSide = 1;
    city->subCastles.Add(uintptr_t(market));
    Troop* merchant = Owned(b.AddTroop(own, 5, 5));
    merchant->carried = new LinkList;
    merchant->carried->Add(uintptr_t(kShield));
    merchant->officer->Set(OfficerLayout::kMp, 5000);
    market->keeper = merchant;
    market->leader = leader;
    city->ItemStock().Add(uintptr_t(kSword));
    city->SetInt(L::kFood, 1500);
    TheGameController->selectedSubCastle = market;
    TheWin98->marketPanel->Open(nullptr);
    ASSERT_TRUE(TheWin98->marketPanel->IsOpen());
    Click(*TheWin98->marketPanel, 0x107);
    Win22Window* trade = TheWin98->marketPanel->market;
    ASSERT_NE(trade, nullptr);
    auto drag = [&](int from, int to) {
        trade->OnControlToggle(trade->Find(from), nullptr);
        trade->OnControlClick(trade->Find(to), nullptr);
    };
    drag(0x404, 0x404); // a city item onto its own side
    EXPECT_EQ(city->Int(L::kGold), 400);
    drag(0x404, 0x401); // sold: 75 / 2
    EXPECT_EQ(city->Int(L::kGold), 437);
    EXPECT_EQ(city->ItemStock().GetCount(), 0);
    EXPECT_EQ(merchant->carried->GetCount(), 2);
    drag(0x400, 0x405); // the shield bought for 40
    EXPECT_EQ(city->Int(L::kGold), 397);
    ASSERT_EQ(city->ItemStock().GetCount(), 1);
    EXPECT_EQ(int32_t(city->ItemStock().GetAt(0)), kShield);
    drag(0x422, 0x420); // 1000 food sold for 50
    EXPECT_EQ(city->Int(L::kGold), 447);
    EXPECT_EQ(city->Int(L::kFood), 500);
    EXPECT_EQ(merchant->OfficerValue(OfficerLayout::kMp), 6000);
    Click(*trade, 0x100);
    EXPECT_EQ(TheWin98->marketPanel->market, nullptr);
    TheWin98->marketPanel->Close();
    market->leader = nullptr;
}

// The transport window packs the city's items, gold, a soldier and a food bag; a bag the city
// cannot fill is refused and a packed item dragged back returns to the stock. Sent, the convoy
// stands by the city with the pack, and entering the other own city unloads all of it there:
// nothing made, nothing lost. Cancelling gives a pack back in its order.
TEST_F(CityPanelTest, TransportPacksSendsAndTheConvoyUnloadsInTheOtherCity) {
    std::array<uint8_t, OfficerLayout::kSize> convoyTemplate{};
    Put(convoyTemplate.data(), OfficerLayout::kPersonNumber, 441);
    Put(convoyTemplate.data(), OfficerLayout::kSoldierType, 1);
    Put(convoyTemplate.data(), OfficerLayout::kTroopCapacity, 32);
    GeneralTemplateTable[441] = convoyTemplate.data();
    const int32_t oldTemplates = GeneralTemplateCount;
    GeneralTemplateCount = std::max(GeneralTemplateCount, 442);
    city->SetInt(L::kY, 20);
    City* other = b.AddCity(own, 30, 30);
    city->ItemStock().Add(uintptr_t(kSword));
    city->ItemStock().Add(uintptr_t(kShield));
    Troop* soldiers[3];
    for (Troop*& t : soldiers) {
        t = Owned(b.AddTroop(own, 2, 2));
        city->reserve.Add(uintptr_t(t));
    }
    OpenCity();
    Click(Command(), 0x105);
    auto* transport = dynamic_cast<Win23Window*>(Command().transport);
    ASSERT_NE(transport, nullptr);
    ASSERT_NE(transport->stock, nullptr);
    Win14Window& stock = *transport->stock;

    Click(*transport, 0x100); // every item
    EXPECT_EQ(city->packedItems.GetCount(), 2);
    EXPECT_EQ(city->ItemStock().GetCount(), 0);
    Click(*transport, 0x102); // all the gold
    EXPECT_EQ(city->packedGold, 400);
    EXPECT_EQ(city->Int(L::kGold), 0);
    EXPECT_EQ(Text(nullptr, transport->controls, 1), "400");
    EXPECT_EQ(Text(nullptr, TheWin98->statusBar->controls, 5), "0");
    struct Drag {
        const char* what;
        CityWindow* from;
        int pick;
        CityWindow* to;
        int drop;
        int packedTroops, packedItems, packedFood, cityFood;
    };
    const Drag drags[] = {
        {"a soldier into the pack", &stock, 0x410, transport, 0x40a, 1, 2, 0, 900},
        {"a 1000 food bag the city cannot fill", &stock, 0x432, transport, 0x42c, 1, 2, 0, 900},
        {"a packed item back to the stock", transport, 0x401, &stock, 0x400, 1, 1, 0, 900},
        {"a soldier onto an item slot", &stock, 0x410, transport, 0x400, 1, 1, 0, 900},
    };
    for (const Drag& d : drags) {
        SCOPED_TRACE(d.what);
        d.from->OnControlToggle(d.from->Find(d.pick), nullptr);
        d.to->OnControlClick(d.to->Find(d.drop), nullptr);
        EXPECT_EQ(city->packedTroops.GetCount(), d.packedTroops);
        EXPECT_EQ(city->packedItems.GetCount(), d.packedItems);
        EXPECT_EQ(city->packedFood, d.packedFood);
        EXPECT_EQ(city->Int(L::kFood), d.cityFood);
    }
    city->SetInt(L::kFood, 1500);
    stock.OnControlToggle(stock.Find(0x432), nullptr);
    transport->OnControlClick(transport->Find(0x42c), nullptr);
    EXPECT_EQ(city->packedFood, 1000);
    EXPECT_EQ(city->Int(L::kFood), 500);
    ASSERT_EQ(city->ItemStock().GetCount(), 1);
    EXPECT_EQ(int32_t(city->ItemStock().GetAt(0)), kShield);
    EXPECT_EQ(city->packedTroops.GetAt(0), uintptr_t(soldiers[0]));

    Click(*transport, 0x104); // send
    EXPECT_EQ(Command().transport, nullptr);
    EXPECT_EQ(city->packedItems.GetCount() + city->packedTroops.GetCount() + city->packedGold +
                  city->packedFood,
              0);
    Troop* convoy = nullptr;
    for (uintptr_t v = own->fieldUnits.First(); v != 0; v = own->fieldUnits.Next())
        if (reinterpret_cast<Troop*>(v)->OfficerValue(OfficerLayout::kPersonNumber) == 441)
            convoy = reinterpret_cast<Troop*>(v);
    ASSERT_NE(convoy, nullptr);
    EXPECT_TRUE(b.OnCell(convoy, convoy->cellX, convoy->cellY));
    EXPECT_LE(std::abs(convoy->cellX - 12) + std::abs(convoy->cellY - 22), 20);
    EXPECT_EQ(convoy->OfficerValue(OfficerLayout::kHp), 400);
    EXPECT_EQ(convoy->OfficerValue(OfficerLayout::kMp), 1000);
    EXPECT_EQ(convoy->OfficerValue(OfficerLayout::kWeapon), kSword);
    EXPECT_EQ(convoy->entryFlag, 1);

    other->SetInt(L::kGold, 10);
    other->ApplyTroopEntry(convoy);
    EXPECT_EQ(other->Int(L::kGold), 410);
    EXPECT_EQ(other->Int(L::kFood), 1000);
    ASSERT_EQ(other->ItemStock().GetCount(), 1);
    EXPECT_EQ(int32_t(other->ItemStock().GetAt(0)), kSword);
    ASSERT_EQ(other->reserve.GetCount(), 1);
    EXPECT_EQ(other->reserve.GetAt(0), uintptr_t(soldiers[0]));
    EXPECT_EQ(soldiers[0]->homeCity, other->id);
    EXPECT_EQ(convoy->hidden, 1);
    EXPECT_FALSE(b.OnCell(convoy, convoy->cellX, convoy->cellY));

    // Packed and cancelled: the soldiers come back in their order, the gold to the city.
    Click(Command(), 0x105);
    transport = dynamic_cast<Win23Window*>(Command().transport);
    ASSERT_NE(transport, nullptr);
    city->SetInt(L::kGold, 70);
    Click(*transport, 0x101);
    Click(*transport, 0x102);
    EXPECT_EQ(city->reserve.GetCount(), 0);
    Click(*transport, 0x105);
    EXPECT_EQ(Command().transport, nullptr);
    ASSERT_EQ(city->reserve.GetCount(), 2);
    EXPECT_EQ(city->reserve.GetAt(0), uintptr_t(soldiers[1]));
    EXPECT_EQ(city->reserve.GetAt(1), uintptr_t(soldiers[2]));
    EXPECT_EQ(city->Int(L::kGold), 70);
    EXPECT_EQ(city->packedGold, 0);
    GeneralTemplateTable[441] = nullptr;
    GeneralTemplateCount = oldTemplates;
}

} // namespace
