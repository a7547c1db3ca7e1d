#include "StageRecordFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace stagetest;
using C = CityLayout;

namespace {

TEST(CityRecordTest, SectionRoundTripsByteForByte) {
    StageRecords world;
    City city(3, 4);
    EXPECT_EQ(city.id, 5);
    EXPECT_EQ(city.Scale(), 1);
    city.SetText(C::kName, 20, "Xuchang");
    city.SetInt(C::kKind, 6);
    city.SetInt(C::kGold, -250);
    city.SetInt(388, 77); // "特兵", the last column

    ByteWriter empty;
    city.Save(empty);
    ASSERT_EQ(empty.size(), 400u); // 392, 0, the block
    EXPECT_EQ(std::vector<uint8_t>(empty.buffer().begin(), empty.buffer().begin() + 8), U32s({392, 0}));

    city.generals.Add(reinterpret_cast<uintptr_t>(General(7, "Guan")));
    city.generals.Add(reinterpret_cast<uintptr_t>(General(8, "Zhang")));
    ByteWriter out;
    city.Save(out);
    ASSERT_EQ(out.size(), 400u + 2 * 436);

    City back(3, 0);
    ByteReader in(out.buffer().data(), out.size());
    ASSERT_EQ(back.Load(in), 1);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(back.Caption(), "Xuchang");
    EXPECT_EQ(back.Kind(), 6);
    ASSERT_EQ(back.generals.GetCount(), 2);
    EXPECT_EQ(At<OfficerRecord>(back.generals, 1)->Name(), "Zhang");
    EXPECT_EQ(At<OfficerRecord>(back.generals, 1)->ownerSide, 3);
    EXPECT_EQ(world.scenario->stageGenerals.GetCount(), 2);
    ByteWriter again;
    back.Save(again);
    EXPECT_EQ(again.buffer(), out.buffer());
}

TEST(CityRecordTest, LoadKeeps392BytesOfALongerBlockAndFailsOnAShortOne) {
    StageRecords world;
    std::vector<uint8_t> bytes = U32s({400, 0});
    std::vector<uint8_t> block(400, 0);
    block[C::kKind] = 2;
    std::fill(block.begin() + 392, block.end(), 0xEE);
    bytes.insert(bytes.end(), block.begin(), block.end());
    bytes.push_back(0x5A);
    City city;
    ByteReader in(bytes.data(), bytes.size());
    ASSERT_EQ(city.Load(in), 1);
    EXPECT_EQ(city.Kind(), 2);
    EXPECT_EQ(in.remaining(), 1u); // 8 bytes skipped, the next byte untouched

    const std::vector<uint8_t> shortBlock(bytes.begin(), bytes.begin() + 300);
    City other;
    other.SetInt(C::kKind, 9);
    ByteReader r(shortBlock.data(), shortBlock.size());
    EXPECT_EQ(other.Load(r), 0);
    EXPECT_EQ(other.Kind(), 9);
}

TEST(CityRecordTest, TextExportHas55ColumnsWithTheSchemasNames) {
    City city;
    city.SetText(C::kName, 20, "Xu");
    city.SetInt(C::kGold, -5);
    std::string header, row;
    city.WriteTextHeader(header);
    city.WriteTextRow(row);
    EXPECT_EQ(std::count(header.begin(), header.end(), '\t'), 55);
    EXPECT_EQ(std::count(row.begin(), row.end(), '\t'), 55);
    EXPECT_EQ(header.back(), '\n');
    EXPECT_EQ(row.rfind("Xu\t0\t0\t1\t0\t-5\t", 0), 0u);
    // "遺留??" and "支配 國" keep their odd spellings.
    EXPECT_NE(header.find("\t\xbf\xf2\xaf\x64??\t"), std::string::npos);
    EXPECT_NE(header.find("\t\xa4\xe4\xb0\x74 \xb0\xea\t"), std::string::npos);
    EXPECT_EQ(header.rfind("\xb3\xa3\xa5\xab\xa6\x57\t", 0), 0u); // "都市名"
}

TEST(CityRecordTest, EditorChildrenAndRemovalLeaveNoListPointingAtThem) {
    StageRecords world;
    auto* city = new City(2, 0);
    TheBattleMap->cities[0] = city;
    world.scenario->stageCities.Add(reinterpret_cast<uintptr_t>(city));
    auto view = std::make_unique<MapView>();
    TheGameController->gameScreen = view.get();
    view->currentCity = city;

    auto* general = static_cast<OfficerRecord*>(city->NewChild(0));
    EXPECT_EQ(general->ownerSide, 2);
    EXPECT_TRUE(world.scenario->stageGenerals.Find(reinterpret_cast<uintptr_t>(general)));
    auto* sub = static_cast<SubCastle*>(city->NewChild(City::kSubCastleKind));
    EXPECT_EQ(sub->Caption(), "\xb7\x73\xbc\x57"); // "新增"
    view->currentSubCastle = sub;
    EXPECT_EQ(city->FindSubCastleOfKind(0), sub);
    EXPECT_EQ(city->subCastles.GetCount(), 1);

    // A person number with no template leaves the general as it was.
    general->Set(OfficerLayout::kPersonNumber, 404);
    general->Set(OfficerLayout::kStrength, 3);
    EXPECT_EQ(city->RefreshChild(0, general), 0);
    EXPECT_EQ(general->Get(OfficerLayout::kStrength), 3);

    city->RemoveChild(City::kSubCastleKind, sub);
    EXPECT_EQ(city->subCastles.GetCount(), 0);
    EXPECT_EQ(view->currentSubCastle, nullptr);
    city->RemoveChild(0, general);
    EXPECT_EQ(world.scenario->stageGenerals.GetCount(), 0);

    city->NewChild(0);
    delete city;
    EXPECT_EQ(TheBattleMap->cities[0], nullptr);
    EXPECT_EQ(world.scenario->stageCities.GetCount(), 0);
    EXPECT_EQ(world.scenario->stageGenerals.GetCount(), 0);
    EXPECT_EQ(view->currentCity, nullptr);
    TheGameController->gameScreen = nullptr;
}

} // namespace
