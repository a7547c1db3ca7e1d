#include "Program/StageListWindow.h"

#include "Program/StageSet.h"
#include "ScreenTestSupport.h"
#include "engine/AniFrame.h"
#include "gui/Button.h"
#include "records/TemplateTables.h"
#include "world/BattleMap.h"
#include "world/RandomMapTables.h"

#include <algorithm>
#include <map>

namespace {

using screentest::ControlById;
using screentest::ScreenFixture;
using screentest::WriteLayout;

constexpr int kW = 40, kH = 30;
constexpr uint16_t kMapColour = 0x8410;

// "win75_2.ani": frame 0 the map, frames 1..40 city masks (mask i covers row (i - 1) mod 30 of the map),
// frame 41 a marking pattern (left half set), frame 42 an overlay with one pixel.
void WritePictureFile() {
    std::vector<gamefiles::AniFrameSpec> frames;
    auto frame = [](uint16_t fill) {
        return gamefiles::AniFrameSpec{
            0, 0, kW, kH, std::vector<uint16_t>(kW * kH, fill), std::vector<uint8_t>(kW * kH, 255)};
    };
    frames.push_back(frame(kMapColour));
    for (int i = 1; i <= 40; ++i) {
        auto mask = frame(0);
        for (int x = 0; x < kW; ++x)
            mask.pixels[size_t((i - 1) % kH) * kW + x] = 1;
        frames.push_back(mask);
    }
    auto mark = frame(0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW / 2; ++x)
            mark.pixels[size_t(y) * kW + x] = 0x001F;
    frames.push_back(mark);
    auto overlay = frame(0);
    overlay.pixels[0] = 0xFFFF;
    frames.push_back(overlay);
    ASSERT_TRUE(gamefiles::WriteBytes("win75_2.ani", gamefiles::AniFile(frames)));
}

class StageListWindowTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        WriteLayout("Win75.gui", 11, 14);
        WriteLayout("Win75_1.gui", 1, 7);
        WritePictureFile();
        // Kingdoms of kinds 0, 1, 0, then one of kind 2 that ends the rows, then another.
        const int kinds[5] = {0, 1, 0, 2, 0};
        for (int i = 0; i < 5; ++i) {
            auto* k = new Kingdom;
            k->nationIndex = i + 1;
            k->SetInt(KingdomLayout::kNationKind, kinds[i]);
            // The first kingdom's ramp is red, the others' green.
            k->SetInt(KingdomLayout::kNation, i == 0 ? 1 : 2);
            stage->AddKingdom(k);
            kingdoms.push_back(k);
        }
        // Kingdom 1 holds cities with indices 2 (row 1 of the map), 0 and 41 (no mask).
        for (int index : {2, 0, 41}) {
            auto* city = new City;
            city->SetInt(CityLayout::kIndex, index);
            kingdoms[0]->AddCity(city);
        }
        auto* city = new City;
        city->SetInt(CityLayout::kIndex, 5);
        kingdoms[1]->AddCity(city);
    }
    void TearDown() override { ScreenFixture::TearDown(); }
    // The window reads its stages from their files: the stage as the test left it is written as
    // each of the six, named after its number; the rows then list the kingdoms read.
    Win75Window* Open() {
        NationColourTable[1][7] = 0xF800;
        NationColourTable[2][7] = 0x07E0;
        for (int n = 1; n <= 6; ++n) {
            CurrentStageSet()->SetText(StageBlockLayout::kName, 20, "Stage" + std::to_string(n));
            TemplateTables tables;
            EXPECT_EQ(tables.SaveMainFile(StageListFiles[n]), 1);
        }
        auto* w = new Win75Window(TheRootWidget, c);
        kingdoms.clear();
        if (Zu_StageSet* s = CurrentStageSet())
            for (uintptr_t v = s->kingdoms->First(); v != 0; v = s->kingdoms->Next())
                kingdoms.push_back(reinterpret_cast<Kingdom*>(v));
        return w;
    }
    uint16_t MapPixel(Win75Window* w, int x, int y) { return w->stageMap->pixels[size_t(y) * kW + x]; }
    // The map's area of the window's panel, at (10, 9).
    static std::vector<uint16_t> DrawnMap(Win75Window* w) {
        std::vector<uint16_t> out;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                out.push_back(w->panel->surface->PixelAt(10 + x, 9 + y));
        return out;
    }
    std::vector<Kingdom*> kingdoms;
};

TEST_F(StageListWindowTest, TheMapIsComposedOnceCachedReloadedAndRecomposedWhenDamaged) {
    auto* first = Open();
    EXPECT_EQ(c->gameKind, 1);
    EXPECT_EQ(first->composeCount, 1);
    ASSERT_NE(CurrentStageSet(), nullptr);
    EXPECT_EQ(CurrentStageSet()->Name(), "Stage1") << "the first stage's file is read";
    ASSERT_NE(first->stageMap, nullptr);
    // Row 1 of the map under kingdom 1's city is tinted at 165 toward red; row 4 toward green.
    EXPECT_EQ(MapPixel(first, 3, 1), BlendPixel16(kMapColour, 0xF800, 165));
    EXPECT_EQ(MapPixel(first, 3, 4), BlendPixel16(kMapColour, 0x07E0, 165));
    // Cities without a mask (index 0, 41) touch nothing.
    EXPECT_EQ(MapPixel(first, 3, 0), kMapColour);
    EXPECT_EQ(MapPixel(first, 3, 10), kMapColour);
    const std::string cache = testsupport::TempFolder::Read("stage01.ani");
    ASSERT_EQ(cache.size(), 28u + kW * kH * 3);
    EXPECT_EQ(cache[0], 1);
    EXPECT_EQ(cache[4], kW);
    EXPECT_EQ(cache[8], kH);
    const std::vector<uint16_t> drawn = DrawnMap(first);
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), kMapColour), drawn.end());
    delete first;
    FlushDeferredDeletes();

    auto* second = Open();
    EXPECT_EQ(second->composeCount, 0);
    EXPECT_EQ(MapPixel(second, 3, 1), BlendPixel16(kMapColour, 0xF800, 165));
    delete second;
    FlushDeferredDeletes();

    // A cache cut short is composed again and written whole.
    ASSERT_TRUE(gamefiles::WriteBytes("stage01.ani", gamefiles::Bytes(cache.begin(), cache.begin() + 100)));
    auto* third = Open();
    EXPECT_EQ(third->composeCount, 1);
    EXPECT_EQ(testsupport::TempFolder::Read("stage01.ani"), cache);
    delete third;
    FlushDeferredDeletes();

    // A cache that cannot be written (a folder in its place) still leaves the map drawn.
    std::filesystem::remove("stage01.ani");
    std::filesystem::create_directory("stage01.ani");
    auto* fourth = Open();
    EXPECT_EQ(fourth->composeCount, 1);
    EXPECT_EQ(DrawnMap(fourth), drawn) << "the panel shows the map as when the cache was written";
    EXPECT_TRUE(std::filesystem::is_directory("stage01.ani"));
    delete fourth;
}

TEST_F(StageListWindowTest, RowsEndAtAKingdomOfKind2AndShowTheirCounts) {
    // The first kingdom's ruler and the generals of its cities.
    kingdoms[0]->SetText(KingdomLayout::kName, 20, "Cao Cao");
    int general = 0;
    for (uintptr_t v = kingdoms[0]->cities.First(); v != 0; v = kingdoms[0]->cities.Next(), ++general)
        for (int n = 0; n < general; ++n)
            reinterpret_cast<City*>(v)->NewChild(0);
    auto* w = Open();
    ASSERT_NE(w->RowText(0, 0x202), nullptr);
    EXPECT_EQ(*w->RowText(0, 0x202), "Cao Cao");
    EXPECT_EQ(*w->RowText(0, 0x204), "3\xa4\x48"); // "3人": 0 + 1 + 2 generals
    EXPECT_EQ(*w->RowText(0, 0x206), "3\xae\x79"); // "3座"
    EXPECT_EQ(*w->RowText(1, 0x204), "0\xa4\x48");
    for (int row = 0; row < Win75Window::kRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(w->rowPanels[row]->visible, row < 3 ? 1 : 0);
        EXPECT_EQ(ControlById(w->rowControls[row], 0x100)->enabled, row < 3 ? 1 : 0);
    }
    EXPECT_EQ(w->rowKingdoms[2], kingdoms[2]);
    EXPECT_EQ(w->rowKingdoms[3], nullptr);
    EXPECT_EQ(w->selectedRow, 0);
    EXPECT_EQ(ButtonShownPressed(ControlById(w->rowControls[0], 0x100)), 1);
    delete w;
}

// One option toggle is lit at a time, the one last pressed, and a window opened again lights the
// level that was started with.
TEST_F(StageListWindowTest, OnlyTheChosenOptionToggleIsLit) {
    auto lit = [](Win75Window* w) {
        std::vector<int> out;
        for (int id = 0x106; id <= 0x108; ++id)
            if (ButtonShownPressed(ControlById(w->panelControls, id)) == 1) out.push_back(id);
        return out;
    };
    c->actOption = 0;
    auto* w = Open();
    EXPECT_EQ(lit(w), std::vector<int>{0x108});
    for (int id : {0x107, 0x106, 0x108, 0x106}) {
        SCOPED_TRACE(id);
        w->OnControlClick(ControlById(w->panelControls, id), nullptr);
        EXPECT_EQ(lit(w), std::vector<int>{id});
    }
    w->OnControlClick(ControlById(w->panelControls, 0x107), nullptr);
    w->OnControlClick(ControlById(w->panelControls, 0x109), nullptr);
    EXPECT_EQ(c->actOption, 1);
    delete w;
    auto* again = Open();
    EXPECT_EQ(lit(again), std::vector<int>{0x107});
    delete again;
}

TEST_F(StageListWindowTest, OptionsStartAndBack) {
    auto* w = Open();
    for (int k = 0; k < 3; ++k) {
        w->OnControlClick(ControlById(w->panelControls, 0x106 + k), nullptr);
        EXPECT_EQ(w->option, 2 - k);
    }
    // Row 2 selected: side 3 plays, every other kind-0 kingdom becomes computer-run.
    w->OnControlClick(ControlById(w->rowControls[2], 0x100), nullptr);
    EXPECT_EQ(w->selectedRow, 2);
    w->OnControlClick(ControlById(w->panelControls, 0x109), nullptr);
    EXPECT_EQ(c->stageListChoice, 1);
    EXPECT_EQ(c->actOption, 0);
    EXPECT_EQ(CurrentStageSet()->playerSide, 3);
    EXPECT_EQ(TheBattleMap->sideActive[3], 0);
    EXPECT_EQ(TheBattleMap->sideActive[1], 1);
    EXPECT_EQ(kingdoms[0]->NationKind(), 1);
    EXPECT_EQ(kingdoms[2]->NationKind(), 0);
    EXPECT_EQ(kingdoms[4]->NationKind(), 1);
    EXPECT_EQ(CurrentStageSet()->playerKingdom, kingdoms[2]);
    w->OnControlClick(ControlById(w->panelControls, 0x10A), nullptr);
    EXPECT_EQ(c->stageListChoice, -2);
    EXPECT_EQ(CurrentStageSet(), nullptr) << "back clears the scenario";
    // A stage button loads that stage and its own cache.
    w->OnControlClick(ControlById(w->panelControls, 0x102), nullptr);
    EXPECT_EQ(w->stage, 3);
    ASSERT_NE(CurrentStageSet(), nullptr);
    EXPECT_EQ(CurrentStageSet()->Name(), "Stage3");
    EXPECT_TRUE(std::filesystem::exists("stage03.ani"));
    delete w;
}

TEST_F(StageListWindowTest, DeletingTheWindowDetachesItsPanels) {
    const int before = TheRootWidget->children->GetCount();
    auto* w = Open();
    EXPECT_EQ(TheRootWidget->children->GetCount(), before + 1);
    delete w;
    EXPECT_EQ(TheRootWidget->children->GetCount(), before);
    EXPECT_EQ(TheResourceStore->drawList->GetCount(), 0);
    FlushDeferredDeletes();
    // A click where the window was reaches no freed panel.
    Click(300, 200);
}

TEST(StageMapCacheTest, OnlyExactlyOneFrameOfTheHeaderSizeIsAccepted) {
    AniFrame frame;
    std::vector<uint16_t> pixels(6, 0x1234);
    std::vector<uint8_t> mask(6, 255);
    frame.width = 3;
    frame.height = 2;
    frame.pixels = pixels.data();
    frame.mask = mask.data();
    const std::vector<uint8_t> good = EncodeStageMapCache(frame);
    ASSERT_EQ(good.size(), 28u + 18);
    AniFrame* back = DecodeStageMapCache(good);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->pixels[5], 0x1234);
    FreeAniFrame(back);
    auto bad = good;
    bad.push_back(0);
    EXPECT_EQ(DecodeStageMapCache(bad), nullptr);
    bad = good;
    bad[0] = 2;
    EXPECT_EQ(DecodeStageMapCache(bad), nullptr);
    bad = good;
    bad[20] = 4; // frame width differs from the file's
    EXPECT_EQ(DecodeStageMapCache(bad), nullptr);
    EXPECT_EQ(DecodeStageMapCache(std::span<const uint8_t>(good.data(), 20)), nullptr);
}

} // namespace
