#include "DemoBattleFixture.h"

#include "Program/ScreenSettings.h"
#include "gui/Button.h"
#include "windows/main/PanelKeys.h"
#include "windows/main/Win41Window.h"

#include <numeric>

namespace {

constexpr uint32_t kF8 = 119;
constexpr int kAlliance = 0, kPeace = 1, kWar = 2, kGift = 3;
// "宣戰", "和平", "同盟".
const std::string kWarName = "\xab\xc5\xbe\xd4";
const std::string kPeaceName = "\xa9\x4d\xa5\xad";
const std::string kAllianceName = "\xa6\x50\xb7\xf9";

class DiplomacyWindow : public DemoBattleFixture {
protected:
    void SetUp() override {
        DemoBattleFixture::SetUp();
        red = KingdomNamed("Red Banner");
        blue = KingdomNamed("Blue River");
        jade = KingdomNamed("Jade Hills");
        ASSERT_TRUE(red && blue && jade);
    }
    void TearDown() override {
        TheGameController->networked = 0;
        DemoBattleFixture::TearDown();
    }
    Win41Window* Open() {
        ClickControl(MenuButton(0x103));
        return MainPanel()->listWindow;
    }
    static Win41Window* List() { return MainPanel()->listWindow; }
    static std::string Cell(int row, int column) {
        return LabelText(List()->controls, 0x200 + row * Win41Window::kColumns + column);
    }
    static const FontRecord* CellFont(int row, int column) {
        auto* label =
            dynamic_cast<TextLabel*>(Control(List()->controls, 0x200 + row * Win41Window::kColumns + column));
        return label ? label->textRecord : nullptr;
    }
    static Button* RowButton(int row, int k) {
        return dynamic_cast<Button*>(List()->Control(Win41Window::kFirstRowButton + 4 * row + k));
    }
    static void Press(int row, int k) { ClickControl(RowButton(row, k)); }
    static void ApplyAll() { ClickControl(List()->Control(Win41Window::kApply)); }
    int RowOf(const Kingdom* k) const {
        for (int r = 0; r < Win41Window::kRows; ++r)
            if (Cell(r, 1) == std::string(k->Text(KingdomLayout::kName, 20))) return r;
        return -1;
    }
    int Attitude(const Kingdom* k) const { return red->goodwill[k->nationIndex]; }
    void SetRedGold(int keep, int mill) {
        CityNamed("Red Keep")->SetInt(CityLayout::kGold, keep);
        CityNamed("Red Mill")->SetInt(CityLayout::kGold, mill);
    }
    int RedGold() const {
        return CityNamed("Red Keep")->Int(CityLayout::kGold) + CityNamed("Red Mill")->Int(CityLayout::kGold);
    }

    Kingdom* red = nullptr;
    Kingdom* blue = nullptr;
    Kingdom* jade = nullptr;
};

} // namespace

TEST_F(DiplomacyWindow, ListsEveryOtherKingdomWithItsStandingAndF8TogglesIt) {
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Cell(0, 1), "Blue River");
    EXPECT_EQ(Cell(1, 1), "Jade Hills");
    EXPECT_EQ(Cell(2, 1), "");
    const int j = RowOf(jade);
    EXPECT_EQ(Cell(j, 2), "1"); // his one officer
    EXPECT_EQ(Cell(j, 3), "0"); // no city
    EXPECT_EQ(Cell(j, 6), std::to_string(Attitude(jade)));
    EXPECT_EQ(Attitude(jade), 60); // a wary lord: (4 - 1) x 20
    EXPECT_EQ(Cell(j, 7), kWarName);
    // War is what they have: that button is off, the others and the gift are on.
    EXPECT_EQ(RowButton(j, kWar)->enabled, 0);
    for (int k : {kAlliance, kPeace, kGift})
        EXPECT_EQ(RowButton(j, k)->enabled, 1) << k;
    // Rows without a kingdom have no buttons.
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(RowButton(2, k)->enabled, 0) << k;

    HandlePanelKeyDown(kF8);
    FlushDeferredDeletes();
    EXPECT_EQ(List(), nullptr);
    HandlePanelKeyDown(kF8);
    EXPECT_NE(List(), nullptr);
}

// The kingdoms answer on apply, each as its temper says: the hill lord (attitude 60) refuses an
// alliance but takes peace; blue (attitude 80) takes an alliance, which stops the fighting between
// the two; war is always taken.
TEST_F(DiplomacyWindow, ProposalsAreAnsweredOnApplyAndChangeBothKingdomsRelations) {
    ASSERT_NE(Open(), nullptr);
    Troop* zhao = TroopNamed("Zhao Feng");
    Troop* ma = TroopNamed("Ma Tai");
    ASSERT_TRUE(zhao && ma);
    struct Case {
        const char* what;
        Kingdom* kingdom;
        int button;
        int relation;
        int attitude;
        bool marked;
    };
    const Case cases[] = {
        {"alliance refused", jade, kAlliance, 3, 60, false},
        {"peace taken", jade, kPeace, 2, 65, true},
        {"alliance taken", blue, kAlliance, 1, 90, true},
        {"war taken", jade, kWar, 3, 15, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Kingdom* k = c.kingdom;
        if (k == blue) {
            // The two sides' troops are at each other.
            zhao->state = 1;
            zhao->targetTroop = ma;
            ma->state = 11;
            ma->targetTroop = zhao;
        }
        const int row = RowOf(k);
        Press(row, c.button);
        EXPECT_EQ(List()->proposals[row], c.button);
        ApplyAll();
        EXPECT_EQ(List()->proposals[row], -1);
        EXPECT_EQ(red->relations[k->nationIndex], c.relation);
        EXPECT_EQ(k->relations[red->nationIndex], c.relation);
        EXPECT_EQ(Attitude(k), c.attitude);
        EXPECT_EQ((List()->rowMarks[row] & 1) != 0, c.marked);
        const FontRecord* relation = CellFont(row, 7);
        ASSERT_NE(relation, nullptr);
        EXPECT_EQ(relation->g, c.marked ? 0 : 255); // red once altered here
        // The button of the relation they now have is off.
        EXPECT_EQ(RowButton(row, c.relation - 1)->enabled, 0);
    }
    EXPECT_EQ(TheScreenSettings->diplomacyUsed, 1);
    EXPECT_EQ(Cell(RowOf(blue), 7), kAllianceName);
    EXPECT_EQ(RowButton(RowOf(blue), kPeace)->enabled, 0); // no peace with an ally
    EXPECT_EQ(RowButton(RowOf(blue), kWar)->enabled, 1);
    // The alliance halted both troops that fought each other.
    EXPECT_EQ(zhao->targetTroop, nullptr);
    EXPECT_EQ(ma->targetTroop, nullptr);
    EXPECT_EQ(zhao->state, 10);
    EXPECT_EQ(ma->state, 10);
}

TEST_F(DiplomacyWindow, AGiftNeedsAHundredGoldMoreThanThoseMarkedAndIsPaidOnApply) {
    struct Case {
        int keepGold, millGold;
        bool secondGiftOpen;
        int goldAfter;
    };
    // 250 gold: two gifts; 150: one. The walk takes ten from each city with more than nine.
    for (const Case& c : {Case{150, 100, true, 50}, Case{100, 50, false, 50}}) {
        SCOPED_TRACE(c.keepGold + c.millGold);
        SetRedGold(c.keepGold, c.millGold);
        ASSERT_NE(Open(), nullptr);
        const int b = RowOf(blue), j = RowOf(jade);
        const int blueBefore = Attitude(blue), jadeBefore = Attitude(jade);
        Press(b, kGift);
        EXPECT_EQ(List()->giftRequests[b], 1);
        EXPECT_EQ(RowButton(b, kGift)->enabled, 0);
        EXPECT_EQ(RowButton(j, kGift)->enabled, c.secondGiftOpen ? 1 : 0);
        if (c.secondGiftOpen) Press(j, kGift);
        EXPECT_EQ(RedGold(), c.keepGold + c.millGold); // nothing is paid before apply
        ApplyAll();
        EXPECT_EQ(RedGold(), c.goldAfter);
        EXPECT_EQ(Attitude(blue), blueBefore + 1);
        EXPECT_EQ(Attitude(jade), jadeBefore + (c.secondGiftOpen ? 1 : 0));
        EXPECT_EQ(List()->giftRequests[b], 0);
        EXPECT_EQ(CellFont(b, 6)->g, 0); // the attitude shows red
        ClickControl(List()->Control(Win41Window::kClose));
        ASSERT_EQ(List(), nullptr);
    }
}

TEST_F(DiplomacyWindow, AGiftFromCitiesOfSmallChangeIsPaidAsFarAsItGoesAndTheWalkEnds) {
    // 104 gold, but the mill's nine never pays: the keep pays nine tens, then the walk stops.
    SetRedGold(95, 9);
    ASSERT_NE(Open(), nullptr);
    Press(RowOf(jade), kGift);
    ApplyAll();
    EXPECT_EQ(CityNamed("Red Keep")->Int(CityLayout::kGold), 5);
    EXPECT_EQ(CityNamed("Red Mill")->Int(CityLayout::kGold), 9);
    EXPECT_EQ(Attitude(jade), 61);
}

TEST_F(DiplomacyWindow, InNetworkPlayTheListOnlyShows) {
    TheGameController->networked = 1;
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Cell(RowOf(jade), 7), kWarName);
    for (int r = 0; r < Win41Window::kRows; ++r)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(RowButton(r, k)->enabled, 0) << r << " " << k;
    EXPECT_EQ(dynamic_cast<Button*>(List()->Control(Win41Window::kApply))->enabled, 0);
    Press(RowOf(jade), kPeace);
    ClickControl(List()->Control(Win41Window::kApply));
    EXPECT_EQ(red->relations[jade->nationIndex], 3);
    EXPECT_EQ(List()->proposals[RowOf(jade)], -1);
}
