#include "Program/BattleRecordScreen.h"

#include "Program/StageSet.h"
#include "ScreenTestSupport.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <cstring>
#include <initializer_list>
#include <memory>

namespace {

using screentest::ControlById;
using screentest::ScreenFixture;
using screentest::WriteLayout;

// A unit led by a general of kind 1 who follows no policy: the units the table counts.
Troop* OfficerUnit(int side = 0, int state = 0) {
    auto* o = new OfficerRecord(side, -1);
    o->Set(OfficerLayout::kAttribute, 1);
    auto* t = new Troop(1, 10, 0, 0, side, 0, 100, o);
    t->state = state;
    return t;
}

void Add(LinkList& list, void* p) {
    list.Add(reinterpret_cast<uintptr_t>(p));
}

City* AddCity(Kingdom& k, int kind, int scale) {
    auto* city = new City(k.nationIndex, 0);
    city->SetInt(CityLayout::kKind, kind);
    city->SetInt(CityLayout::kScale, scale);
    k.AddCity(city);
    return city;
}

void SetKind(Kingdom& k, int kind) {
    k.SetInt(KingdomLayout::kNationKind, kind);
}

class BattleRecordScreenTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteLayout("Win42.gui", 1, 11 * 5);
        for (int i = 0; i < 5; ++i) {
            owned[i] = std::make_unique<Kingdom>();
            k[i] = owned[i].get();
            k[i]->nationIndex = i + 1;
            k[i]->SetInt(KingdomLayout::kPersonNumber, i + 1);
            k[i]->colour = uint16_t(0x1000 * (i + 1));
        }
        // General templates 1..5 are the rulers "Ruler1".."Ruler5".
        for (int i = 1; i <= 5; ++i) {
            auto* t = static_cast<DataSet*>(templates.NewChild(ScenarioData::kGeneralKind));
            t->SetText(0, 20, "Ruler" + std::to_string(i));
        }
        c->campaignStage = 3;
        c->actOption = 2;
        TheScreenSettings->year = 201;
        TheScreenSettings->month = 7;
    }
    void TearDown() override { ScreenFixture::TearDown(); }
    const std::string* LabelText(BattleRecordScreen* s, int id) {
        const ::LabelText* t = s->labels.TextOf(ControlById(s->controls, id));
        return t ? &t->text : nullptr;
    }

    // The stage's kingdom list takes these kingdoms, in this order.
    void Stage(std::initializer_list<int> list) {
        for (int i : list)
            Add(*stage->kingdoms, owned[i].release());
    }
    void OutOfPlay(std::initializer_list<int> list) {
        for (int i : list)
            TheBattleMap->extraKingdoms.push_back(std::move(owned[i]));
    }

    ScenarioData templates;
    std::unique_ptr<Kingdom> owned[5];
    Kingdom* k[5] = {};
};

TEST(BattleScoreTest, WeighsEachTally) {
    const int32_t one[10][10] = {{1},
                                 {0, 1},
                                 {0, 0, 1},
                                 {0, 0, 0, 1},
                                 {0, 0, 0, 0, 1},
                                 {0, 0, 0, 0, 0, 1},
                                 {0, 0, 0, 0, 0, 0, 1},
                                 {0, 0, 0, 0, 0, 0, 0, 1},
                                 {0, 0, 0, 0, 0, 0, 0, 0, 1},
                                 {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}};
    const int32_t weights[10] = {12, 8, 8, 2, -12, -8, -1, 5, 5, 10};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(BattleScore(one[i], 0), weights[i]) << i;
    EXPECT_EQ(BattleScore(one[0], 100), 112);
}

TEST_F(BattleRecordScreenTest, RowsScoresMarksAndTheWonStageRecord) {
    // Player: 2 ordinary + 1 special officer defeated, 3 troops destroyed, a kind-0 city of scale
    // 2 (value 100) holding one officer unit and a governed sub-castle, one field unit.
    SetKind(*k[0], 0);
    k[0]->tally[0] = 2;
    k[0]->tally[2] = 1;
    k[0]->tally[3] = 3;
    Add(k[0]->fieldUnits, OfficerUnit());
    Add(k[0]->fieldUnits, OfficerUnit(0, 6));
    City* city = AddCity(*k[0], 0, 2);
    Add(city->units, OfficerUnit());
    Add(city->units, new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr));
    auto* governed = new SubCastle(0);
    auto governor = std::make_unique<Troop>(-1, 0, 0, 0, 0, 0, 0, nullptr);
    governor->owner = city->ownerSide;
    governed->leader = governor.get();
    Add(city->subCastles, governed);
    auto* foreignHeld = new SubCastle(0);
    auto intruder = std::make_unique<Troop>(-1, 0, 0, 0, 0, 0, 0, nullptr);
    intruder->owner = 4;
    foreignHeld->leader = intruder.get();
    Add(city->subCastles, foreignHeld);
    // Kind 1 with losses: negative score.
    SetKind(*k[1], 1);
    k[1]->tally[4] = 2;
    // Kind 2 is not listed.
    SetKind(*k[2], 2);
    k[2]->tally[0] = 50;
    // Out of play: kind 3 becomes 7 without a row; kind 1 gets its row.
    SetKind(*k[3], 3);
    SetKind(*k[4], 1);
    k[4]->tally[9] = 1; // a city destroyed: 10
    Stage({0, 1, 2});
    OutOfPlay({3, 4});
    stage->playerKingdom = k[0];
    stage->result = 1;
    c->stageRecords[3].bestScore = 5;

    auto* screen = new BattleRecordScreen(TheRootWidget);
    ASSERT_EQ(screen->rows.size(), 3u);
    EXPECT_EQ(k[3]->NationKind(), 7);
    EXPECT_TRUE(TheBattleMap->extraKingdoms.empty());
    EXPECT_EQ(stage->kingdoms->GetCount(), 5);
    const int32_t score0 = 12 * 2 + 8 * 1 + 2 * 3 + 100;
    EXPECT_EQ(screen->rows[0].score, score0);
    EXPECT_EQ(k[0]->score, score0);
    EXPECT_EQ(screen->rows[1].score, -24);
    EXPECT_EQ(screen->rows[2].kingdom, k[4]);
    EXPECT_EQ(screen->rows[2].score, 10);
    const int32_t want0[7] = {3, 3, 0, 0, 0, 3, 1};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(screen->rows[0].columns[i], want0[i]) << i;
    EXPECT_EQ(screen->bestScore, score0);
    EXPECT_EQ(screen->winners, 1);
    EXPECT_TRUE(screen->rows[0].best);
    EXPECT_FALSE(screen->rows[2].best);
    EXPECT_EQ(screen->rows[0].name, "Ruler1");
    // Texts on the labels: own row yellow, negative orange; the mark on the best row only.
    const ::LabelText* own = screen->labels.TextOf(ControlById(screen->controls, 0x200 + 3));
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->text, "3");
    EXPECT_EQ(own->record.b, 0);
    const ::LabelText* negative = screen->labels.TextOf(ControlById(screen->controls, 0x200 + 11 + 10));
    ASSERT_NE(negative, nullptr);
    EXPECT_EQ(negative->text, "-24");
    EXPECT_EQ(negative->record.g, 100);
    ASSERT_NE(LabelText(screen, 0x201), nullptr);
    EXPECT_EQ(*LabelText(screen, 0x201), "*");
    EXPECT_EQ(LabelText(screen, 0x201 + 11), nullptr);
    // The won stage's record: won, option, date and the better score; the file rewritten.
    const StageRecord& r = c->stageRecords[3];
    EXPECT_EQ(r.won, 1);
    EXPECT_EQ(r.actOption, 2);
    EXPECT_EQ(r.year, 201);
    EXPECT_EQ(r.month, 7);
    EXPECT_EQ(r.bestScore, score0);
    EXPECT_EQ(testsupport::TempFolder::Read("RecordData.sav").size(), 940u);
    // Any button ends the screen.
    screen->OnControlClick(ControlById(screen->controls, 0x100), nullptr);
    EXPECT_EQ(c->recordScreenClosed, 1);
    screen->Close(1);
}

TEST_F(BattleRecordScreenTest, TiesShareTheMarkAndAFailureRewritesTheRecordsUnchanged) {
    SetKind(*k[0], 0);
    k[0]->tally[3] = 5;
    SetKind(*k[1], 1);
    k[1]->tally[3] = 5;
    Stage({0, 1});
    stage->playerKingdom = k[0];
    stage->result = 2;
    auto* screen = new BattleRecordScreen(TheRootWidget);
    EXPECT_EQ(screen->winners, 2);
    EXPECT_TRUE(screen->rows[0].best && screen->rows[1].best);
    EXPECT_EQ(c->stageRecords[3].won, 0);
    EXPECT_EQ(testsupport::TempFolder::Read("RecordData.sav"), std::string(940, '\0'));
    screen->Close(1);
}

TEST_F(BattleRecordScreenTest, OnlyNegativeScoresMarkNobody) {
    SetKind(*k[0], 0);
    k[0]->tally[6] = 3;
    SetKind(*k[1], 0);
    k[1]->tally[5] = 1;
    Stage({0, 1});
    auto* screen = new BattleRecordScreen(TheRootWidget);
    EXPECT_EQ(screen->bestScore, 0);
    EXPECT_EQ(screen->winners, 0);
    EXPECT_FALSE(screen->rows[0].best || screen->rows[1].best);
    screen->Close(1);
}

// Ruler names come from the general templates, never past their 20-byte column; a number that
// names no template gives an empty name.
TEST_F(BattleRecordScreenTest, RulerNamesStayWithinTheirColumn) {
    auto* t2 = reinterpret_cast<DataSet*>(templates.generalTemplates.GetAt(1));
    std::memset(t2->block, 'W', 20);
    t2->block[20] = 'X'; // the next column
    SetKind(*k[0], 0);
    SetKind(*k[1], 0);
    k[1]->SetInt(KingdomLayout::kPersonNumber, 2);
    SetKind(*k[2], 0);
    k[2]->SetInt(KingdomLayout::kPersonNumber, 4000);
    Stage({0, 1, 2});
    auto* screen = new BattleRecordScreen(TheRootWidget);
    ASSERT_EQ(screen->rows.size(), 3u);
    EXPECT_EQ(screen->rows[1].name, std::string(20, 'W'));
    EXPECT_EQ(screen->rows[2].name, "");
    screen->Close(1);
}

RecordLobbyEntry Uploaded;
int Uploads = 0;

TEST_F(BattleRecordScreenTest, NetworkPlayShowsMeritAndUploadsTheLocalRecord) {
    c->networked = 1;
    c->gameKind = 2;
    // Two allies of one team: the second's unit stationed in the first's city counts for it.
    SetKind(*k[0], 0);
    k[0]->winFlag = 1;
    k[0]->tally[3] = 10;
    k[0]->relations[2] = 1;
    SetKind(*k[1], 0);
    k[1]->relations[1] = 1;
    City* city = AddCity(*k[0], 3, 1);
    Add(city->units, OfficerUnit(2));
    Add(city->units, OfficerUnit(1));
    // A kingdom with a nation index past the old 23-entry table.
    SetKind(*k[2], 1);
    k[2]->nationIndex = 100;
    Stage({0, 1, 2});
    stage->playerKingdom = k[0];
    RecordSession session;
    session.players = {{"Alice", "p1", 1}, {"Bob", "p2", 2}};
    session.playersAtStart = 2;
    session.localPlayerId = "p1";
    session.localRecord = {4, 1, 50};
    Uploads = 0;
    session.upload = [](const RecordLobbyEntry& r) {
        Uploaded = r;
        ++Uploads;
    };
    session.slotPlayerIds = {"p1", "p2"};
    auto* screen = new BattleRecordScreen(TheRootWidget, &session);
    ASSERT_EQ(screen->rows.size(), 3u);
    // Units held by the second kingdom: its officer unit in its ally's city.
    EXPECT_EQ(screen->rows[1].columns[5], 1);
    EXPECT_EQ(screen->rows[0].name, "Ruler1/Alice");
    // Merit: base 20 (two players), won alone: 20, plus (20 / 1) / 2.
    ASSERT_NE(LabelText(screen, 0x200 + 10), nullptr);
    EXPECT_EQ(*LabelText(screen, 0x200 + 10), "20\xa5\x5c\xbe\xb1+30");
    EXPECT_EQ(Uploads, 1);
    EXPECT_EQ(Uploaded.games, 5);
    EXPECT_EQ(Uploaded.wins, 2);
    EXPECT_EQ(Uploaded.merit, 80);
    // Network play writes no campaign record.
    EXPECT_FALSE(std::filesystem::exists("RecordData.sav"));
    screen->Close(1);
}

} // namespace

namespace {

class BattleRecordShortLayoutTest : public screentest::ScreenFixture {};

// A layout with labels for one row only: the other rows' labels are skipped, nothing else fails.
TEST_F(BattleRecordShortLayoutTest, RowsWithoutLabelsAreComputedAndSkipped) {
    screentest::WriteLayout("Win42.gui", 1, 11);
    for (int i = 0; i < 3; ++i) {
        auto* k = new Kingdom;
        k->nationIndex = i + 1;
        k->tally[3] = i;
        stage->kingdoms->Add(reinterpret_cast<uintptr_t>(k));
    }
    auto* screen = new BattleRecordScreen(TheRootWidget);
    ASSERT_EQ(screen->rows.size(), 3u);
    EXPECT_EQ(screen->rows[2].score, 4);
    EXPECT_TRUE(screen->rows[2].best);
    EXPECT_EQ(screen->labels.TextOf(ControlById(screen->controls, 0x200 + 10))->text, "0");
    screen->Close(1);
}

} // namespace
