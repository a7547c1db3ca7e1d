#include "Program/BattleRecordScreen.h"

#include "Program/BattleRecordSeam.h"
#include "ScreenTestSupport.h"
#include "records/ScenarioData.h"

namespace {

using screentest::ControlById;
using screentest::ScreenFixture;
using screentest::WriteLayout;

RecordUnit OfficerUnit(int side = 0, int state = 0) {
    RecordUnit u;
    u.state = state;
    u.officerKind = 1;
    u.actionPolicy = 0;
    u.side = side;
    return u;
}

class BattleRecordScreenTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteLayout("Win42.gui", 1, 11 * 5);
        for (int i = 0; i < 5; ++i) {
            k[i].nationIndex = i + 1;
            k[i].personNumber = i + 1;
            k[i].colour = uint16_t(0x1000 * (i + 1));
        }
        // General templates 1..5 are the rulers "Ruler1".."Ruler5".
        for (int i = 1; i <= 5; ++i) {
            auto* t = static_cast<DataSet*>(templates.NewChild(ScenarioData::kGeneralKind));
            t->SetText(0, 20, "Ruler" + std::to_string(i));
        }
        CurrentRecordStage() = &stage;
        c->campaignStage = 3;
        c->actOption = 2;
        TheScreenSettings->year = 201;
        TheScreenSettings->month = 7;
    }
    void TearDown() override {
        CurrentRecordStage() = nullptr;
        ScreenFixture::TearDown();
    }
    const std::string* LabelText(BattleRecordScreen* s, int id) {
        const ::LabelText* t = s->labels.TextOf(ControlById(s->controls, id));
        return t ? &t->text : nullptr;
    }

    ScenarioData templates;
    RecordKingdom k[5];
    RecordStage stage;
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
    k[0].nationKind = 0;
    k[0].tally[0] = 2;
    k[0].tally[2] = 1;
    k[0].tally[3] = 3;
    k[0].fieldTroops = {OfficerUnit(), OfficerUnit(0, 6)};
    RecordCity city;
    city.kind = 0;
    city.scale = 2;
    city.units = {OfficerUnit(), RecordUnit{}};
    city.governedSubCastles = 1;
    k[0].cities = {city};
    // Kind 1 with losses: negative score.
    k[1].nationKind = 1;
    k[1].tally[4] = 2;
    // Kind 2 is not listed.
    k[2].nationKind = 2;
    k[2].tally[0] = 50;
    // Out of play: kind 3 becomes 7 without a row; kind 1 gets its row.
    k[3].nationKind = 3;
    k[4].nationKind = 1;
    k[4].tally[9] = 1; // a city destroyed: 10
    stage.kingdoms = {&k[0], &k[1], &k[2]};
    stage.outOfPlay = {&k[3], &k[4]};
    stage.player = &k[0];
    stage.result = 1;
    c->stageRecords[3].bestScore = 5;

    auto* screen = new BattleRecordScreen(TheRootWidget);
    ASSERT_EQ(screen->rows.size(), 3u);
    EXPECT_EQ(k[3].nationKind, 7);
    EXPECT_TRUE(stage.outOfPlay.empty());
    EXPECT_EQ(stage.kingdoms.size(), 5u);
    const int32_t score0 = 12 * 2 + 8 * 1 + 2 * 3 + 100;
    EXPECT_EQ(screen->rows[0].score, score0);
    EXPECT_EQ(k[0].score, score0);
    EXPECT_EQ(screen->rows[1].score, -24);
    EXPECT_EQ(screen->rows[2].kingdom, &k[4]);
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
    k[0].nationKind = 0;
    k[0].tally[3] = 5;
    k[1].nationKind = 1;
    k[1].tally[3] = 5;
    stage.kingdoms = {&k[0], &k[1]};
    stage.player = &k[0];
    stage.result = 2;
    auto* screen = new BattleRecordScreen(TheRootWidget);
    EXPECT_EQ(screen->winners, 2);
    EXPECT_TRUE(screen->rows[0].best && screen->rows[1].best);
    EXPECT_EQ(c->stageRecords[3].won, 0);
    EXPECT_EQ(testsupport::TempFolder::Read("RecordData.sav"), std::string(940, '\0'));
    screen->Close(1);
}

TEST_F(BattleRecordScreenTest, OnlyNegativeScoresMarkNobody) {
    k[0].nationKind = 0;
    k[0].tally[6] = 3;
    k[1].nationKind = 0;
    k[1].tally[5] = 1;
    stage.kingdoms = {&k[0], &k[1]};
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
    k[0].nationKind = 0;
    k[1].nationKind = 0;
    k[1].personNumber = 2;
    k[2].nationKind = 0;
    k[2].personNumber = 4000;
    stage.kingdoms = {&k[0], &k[1], &k[2]};
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
    k[0].nationKind = 0;
    k[0].winFlag = 1;
    k[0].tally[3] = 10;
    k[0].relations[2] = 1;
    k[1].nationKind = 0;
    k[1].relations[1] = 1;
    RecordCity city;
    city.units = {OfficerUnit(2)};
    k[0].cities = {city};
    // A kingdom with a nation index past the old 23-entry table.
    k[2].nationKind = 1;
    k[2].nationIndex = 100;
    stage.kingdoms = {&k[0], &k[1], &k[2]};
    stage.player = &k[0];
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
    stage.session = &session;
    stage.slotPlayerIds = {"p1", "p2"};
    auto* screen = new BattleRecordScreen(TheRootWidget);
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
    RecordKingdom k[3];
    RecordStage stage;
    for (int i = 0; i < 3; ++i) {
        k[i].nationIndex = i + 1;
        k[i].tally[3] = i;
        stage.kingdoms.push_back(&k[i]);
    }
    CurrentRecordStage() = &stage;
    auto* screen = new BattleRecordScreen(TheRootWidget);
    ASSERT_EQ(screen->rows.size(), 3u);
    EXPECT_EQ(screen->rows[2].score, 4);
    EXPECT_TRUE(screen->rows[2].best);
    EXPECT_EQ(screen->labels.TextOf(ControlById(screen->controls, 0x200 + 10))->text, "0");
    CurrentRecordStage() = nullptr;
    screen->Close(1);
}

} // namespace
