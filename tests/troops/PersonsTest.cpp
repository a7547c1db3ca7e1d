#include "PersonsFixture.h"

#include "engine/Random.h"
#include "net/GameRecordChannel.h"
#include "support/SentCommands.h"
#include "troops/TroopOrder.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

using namespace trooptest;

namespace {

using L = OfficerLayout;

struct PersonsTest : testing::Test {
    People p;
    Kingdom* k = p.AddKingdom(2);
    City* town = p.AddCity(k, 10, 10, 0);
    SubCastle* inn = p.AddSubCastle(town, 4);
    PersonsTest() {
        Battle::SetKingdomValue(k, 56, 5); // "武將警戒"
        Battle::SetKingdomValue(k, 60, 9); // "武將追捕"
        Battle::SetKingdomValue(k, 64, 2); // "武將撤退"
        TheScreenSettings->year = 190;
        TheScreenSettings->month = 3;
        TheScreenSettings->day = 5;
    }
};

TEST(PersonTemplates, DrawnByPercentBands) {
    const struct {
        int32_t r, tmpl;
    } cases[] = {{0, 405},  {10, 405}, {11, 404}, {25, 404},      {26, 403},  {50, 403},  {51, 402},
                 {75, 402}, {76, 401}, {99, 401}, {1234599, 401}, {110, 405}, {-48, 405}, {INT_MIN, 405}};
    for (const auto& c : cases)
        EXPECT_EQ(RandomPersonTemplate(c.r), c.tmpl) << c.r;
}

TEST_F(PersonsTest, APersonIsKeptOffTheMapInItsCityOrSubCastle) {
    Troop* inTown = CreatePerson(k, town, nullptr, 403, 1234);
    Troop* atInn = CreatePerson(k, nullptr, inn, 401, 1234);
    ASSERT_TRUE(inTown && atInn);
    EXPECT_EQ(People::Troops(town->units), std::vector<Troop*>{inTown});
    EXPECT_EQ(People::Troops(inn->secondUnits), std::vector<Troop*>{atInn});
    for (Troop* t : {inTown, atInn}) {
        EXPECT_EQ(t->homeCity, town->id);
        EXPECT_EQ(t->owner, k->nationIndex);
        EXPECT_EQ(t->state, 10);
        EXPECT_EQ(t->cellX, 0);
        EXPECT_EQ(t->flagWord, 1);
        EXPECT_EQ(t->flags, 6u);
        EXPECT_EQ(t->order->alert, 5);
        EXPECT_EQ(t->order->pursue, 9);
        EXPECT_EQ(t->OfficerValue(L::kRetreat), 2);
        EXPECT_EQ(t->OfficerValue(L::kExperience), 0);
        EXPECT_EQ(t->officer->dateStamp, 1234);
        EXPECT_EQ(t->equipmentApplied, 1);
        EXPECT_FALSE(p.OnCell(t, 0, 0));
    }
    EXPECT_EQ(inTown->garrison, 1);
    EXPECT_EQ(atInn->garrison, 2);
    // A template without a record makes nobody.
    EXPECT_EQ(CreatePerson(k, town, nullptr, 406, 1), nullptr);
    EXPECT_EQ(town->units.GetCount(), 1);
}

TEST_F(PersonsTest, WanderersStopOnePastTheCap) {
    PersonCap = 10;
    PersonCount = 9;
    SpawnRandomPersons(inn, k, 5);
    EXPECT_EQ(inn->secondUnits.GetCount(), 2);
    EXPECT_EQ(PersonCount, 11);
    // At or past the cap nobody comes; the town spawn ignores the cap and does not count.
    SpawnRandomPersons(inn, k, 5);
    SpawnSyncedPersons(inn, k, 5);
    EXPECT_EQ(inn->secondUnits.GetCount(), 2);
    SpawnCityPersons(town, k);
    EXPECT_EQ(town->units.GetCount(), 4);
    EXPECT_EQ(PersonCount, 11);
    for (int32_t t : People::TemplatesOf(town->units)) {
        EXPECT_GE(t, 401);
        EXPECT_LE(t, 405);
    }
}

TEST_F(PersonsTest, TheKeeperHoldsItsSubCastle) {
    Troop* keeper = CreateSubCastleKeeper(inn, k);
    ASSERT_NE(keeper, nullptr);
    EXPECT_EQ(inn->keeper, keeper);
    EXPECT_EQ(inn->occupied, 1);
    EXPECT_EQ(keeper->OfficerValue(L::kPersonNumber), 444);
    EXPECT_EQ(keeper->garrison, 2);
    EXPECT_EQ(keeper->homeCity, town->id);
    EXPECT_EQ(inn->secondUnits.GetCount(), 0);
}

// Two persons made on one day reach a client as two persons: each carries its own key.
TEST_F(PersonsTest, TheHostsPersonsReachClientsOnceEach) {
    GameRecordChannel& channel = *TheGameController->recordChannel;
    TheGameController->networked = 1;
    TheGameController->isHost = 1;
    testsupport::CaptureSentCommands();
    RequestCreatePerson(k, nullptr, inn, 402);
    RequestCreatePerson(k, nullptr, inn, 402);
    RequestCreatePerson(k, town, nullptr, 404);
    const auto records = testsupport::SentRecords();
    ASSERT_EQ(records.size(), 3u);
    std::vector<Troop*> made = People::Troops(inn->secondUnits);
    made.push_back(People::Troops(town->units).at(0));
    ASSERT_EQ(made.size(), 3u);

    // The client: the same records, applied to a town and inn without those persons.
    for (Troop* t : made) {
        inn->secondUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
        town->units.RemoveValue(reinterpret_cast<uintptr_t>(t));
    }
    TheGameController->isHost = 0;
    for (const auto& r : records)
        EXPECT_EQ(channel.ApplyRecord(r), CommandOutcome::Relay);
    for (const auto& r : records) // a record that comes twice makes nobody twice
        channel.ApplyRecord(r);
    std::vector<Troop*> applied = People::Troops(inn->secondUnits);
    ASSERT_EQ(applied.size(), 2u);
    ASSERT_EQ(town->units.GetCount(), 1);
    applied.push_back(People::Troops(town->units).at(0));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(applied[i]->UnitId(), made[i]->UnitId());
        EXPECT_EQ(applied[i]->OfficerValue(L::kPersonNumber), made[i]->OfficerValue(L::kPersonNumber));
        EXPECT_EQ(applied[i]->garrison, made[i]->garrison);
        EXPECT_EQ(applied[i]->officer->dateStamp, made[i]->officer->dateStamp);
    }
    EXPECT_NE(applied[0]->UnitId(), applied[1]->UnitId());
    // A client asks nothing of its own.
    RequestCreatePerson(k, nullptr, inn, 402);
    EXPECT_EQ(inn->secondUnits.GetCount(), 2);
    EXPECT_EQ(testsupport::SentRecords().size(), 3u);
    for (Troop* t : made)
        delete t;
    SetGameCommandSender(nullptr);
}

TEST_F(PersonsTest, OfficersComeOfAgeInTheirRulersCapital) {
    TheGameController->gameKind = 1;
    TheGameController->campaignStage = 2;
    GameParams().innOfficerGrowth[0] = 4;
    Battle::SetKingdomValue(k, KingdomLayout::kPersonNumber, 99);
    p.Template(99);
    // Kingdom 3's kind-0 town is the only other place an officer can go.
    Kingdom* other = p.AddKingdom(3);
    City* otherTown = p.AddCity(other, 20, 20, 0);
    SubCastle* otherInn = p.AddSubCastle(otherTown, 4);
    const uint32_t year = 284, city2 = 292, ruler2 = 316, month = 404, rest = 424;
    p.Template(7, {{year, 190}, {month, 3}, {ruler2, 99}, {L::kMaxMp, 30}});
    p.Template(8, {{year, 190}, {month, 3}, {ruler2, 99}, {city2, 1}}); // placed by the stage
    p.Template(9, {{year, 191}, {month, 3}, {ruler2, 99}});             // not yet born
    p.Template(10, {{year, 190}, {month, 3}, {ruler2, 99}, {rest, 1}}); // not an officer to come
    p.Template(250, {{year, 190}, {month, 3}, {ruler2, 99}});           // the later half
    p.Template(kGeneralTemplateTableSize - 1, {{year, 190}, {month, 3}, {ruler2, 99}});

    SpawnScheduledOfficers();
    EXPECT_EQ(People::TemplatesOf(inn->secondUnits), std::vector<int32_t>{7});
    EXPECT_EQ(otherInn->secondUnits.GetCount(), 0);
    Troop* t = People::Troops(inn->secondUnits).at(0);
    EXPECT_EQ(t->OfficerValue(L::kLevel), 4);
    EXPECT_EQ(t->OfficerValue(L::kExperience), GameParams().unifiedLevelExp[3]);
    EXPECT_EQ(t->OfficerValue(L::kHp), t->OfficerValue(L::kMaxHp));
    EXPECT_EQ(t->OfficerValue(L::kMp), t->OfficerValue(L::kMaxMp));
    EXPECT_EQ(t->OfficerValue(L::kLoyalty), 77);
    EXPECT_EQ(t->officer->dateStamp, CalendarStamp());
    EXPECT_EQ(t->flags, 6u);

    // Day 15 covers 250 up to the last loaded template.
    TheScreenSettings->day = 15;
    SpawnScheduledOfficers();
    EXPECT_EQ(People::TemplatesOf(inn->secondUnits),
              (std::vector<int32_t>{7, 250, kGeneralTemplateTableSize - 1}));

    // A ruler without a kind-0 city sends its officer to a kind-0 city of any kingdom.
    town->SetInt(CityLayout::kKind, 2);
    TheScreenSettings->day = 5;
    p.Template(7, {{year, 190}, {month, 3}, {ruler2, 99}});
    SpawnScheduledOfficers();
    EXPECT_EQ(People::TemplatesOf(otherInn->secondUnits), std::vector<int32_t>{7});

    // Campaign kind 0 and 2, other days and a campaign byte outside 1..6 bring nobody.
    const size_t before = otherInn->secondUnits.GetCount() + inn->secondUnits.GetCount();
    const struct {
        int kind, day, campaign;
    } quiet[] = {{0, 5, 2}, {2, 5, 2}, {1, 6, 2}, {1, 5, 7}, {1, 5, 0}};
    for (const auto& q : quiet) {
        TheGameController->gameKind = q.kind;
        TheScreenSettings->day = q.day;
        TheGameController->campaignStage = uint8_t(q.campaign);
        SpawnScheduledOfficers();
    }
    EXPECT_EQ(otherInn->secondUnits.GetCount() + inn->secondUnits.GetCount(), int(before));
}

TEST_F(PersonsTest, ArrivalTextIsCutOnACharacterBoundary) {
    Battle::SetKingdomValue(k, KingdomLayout::kPersonNumber, 99);
    uint8_t* ruler = p.Template(99);
    std::memcpy(ruler, "RRRRRRRRRRRRRRRRRRRR", 20); // a 20-byte ruler name
    const std::string city(18, '\xA4');             // nine double-byte characters
    town->SetText(CityLayout::kName, 20, city);
    Troop* t = CreatePerson(k, nullptr, inn, 401, 0);
    ASSERT_NE(t, nullptr);
    const struct {
        std::string name;
        size_t length;
    } cases[] = {{"Short", 5 + 6 + 20 + 2 + 18}, {std::string(18, 'N'), 62}, {std::string(19, 'N'), 63}};
    for (const auto& c : cases) {
        t->officer->SetText(L::kName, L::kNameBytes, c.name);
        const std::string text = PersonArrivalText(*t, *inn);
        EXPECT_EQ(text.size(), c.length) << c.name;
        EXPECT_EQ(text.substr(0, c.name.size() + 6), c.name + "\xA5\x58\xB2\x7B\xA6\x62") << c.name;
    }
    // The people's kingdom names no ruler.
    Battle::SetKingdomValue(k, KingdomLayout::kNationKind, 2);
    t->officer->SetText(L::kName, L::kNameBytes, "A");
    EXPECT_EQ(PersonArrivalText(*t, *inn), "A\xA5\x58\xB2\x7B\xA6\x62" + city);
}

} // namespace
