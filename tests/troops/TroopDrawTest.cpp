#include "TroopFixture.h"

#include "Program/Palettes.h"
#include "engine/DisplayDevice.h"
#include "engine/DrawingFixture.h"
#include "engine/LinkList.h"
#include "platform/Surface.h"
#include "records/Kingdom.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trooptest;

namespace {

constexpr uint16_t kBackground = 0x0841;
constexpr int kType = 1;

// A troop of kingdom `nation` whose frame is drawn at screen (100, 100) from view (0, 0), with
// recognisable colour tables: type entry i = 0x2000 + i (0 for 0), ramp entry i = 0x3000 + i,
// default entry i = 0x1000 + i.
struct TroopDrawing : testing::TestWithParam<int> {
    TestDisplay display{GetParam()};
    Battle battle;
    Kingdom* kingdom = nullptr;
    Troop* troop = nullptr;
    FrameRecord record;
    std::vector<uint8_t> pixels;
    Palettes saved;

    TroopDrawing() {
        battle.Animations({});
        battle.store->CreateSmallSurfaces();
        Palettes& p = GamePalettes();
        saved.mainTable = p.mainTable;
        saved.specialTable1 = p.specialTable1;
        saved.specialTable2 = p.specialTable2;
        p.numbered[kType] = std::make_unique<ColourTable>();
        for (int i = 0; i < 256; ++i) {
            (*p.numbered[kType])[i] = uint16_t(i == 0 ? 0 : 0x2000 + i);
            p.specialTable1[i] = uint16_t(0x3000 + i);
            p.specialTable2[i] = uint16_t(0x4000 + i);
            p.mainTable[i] = uint16_t(i == 0 ? 0 : 0x1000 + i);
        }
        kingdom = battle.AddKingdom(2);
        troop = battle.AddTroop(kingdom, 5, 5, kType);
        troop->currentType = kType;
        troop->facing = 2;
        SetFrame(3, 2, {0, 5, 40, 20, 31, 1});
        ClearBack();
    }
    ~TroopDrawing() override {
        Palettes& p = GamePalettes();
        p.numbered[kType].reset();
        p.mainTable = saved.mainTable;
        p.specialTable1 = saved.specialTable1;
        p.specialTable2 = saved.specialTable2;
    }

    // A frame whose unmirrored top-left lands on screen (100, 100).
    void SetFrame(int w, int h, std::vector<uint8_t> data, int16_t offsetX = 10) {
        pixels = std::move(data);
        record = FrameRecord{};
        record.offsetX = offsetX;
        record.offsetY = 20;
        record.frameWidth = int16_t(w);
        record.frameHeight = int16_t(h);
        record.data = pixels.data();
        record.dataSize = uint32_t(pixels.size());
        troop->frame = &record;
        troop->pixelX = int16_t(100 - offsetX);
        troop->pixelY = 80;
    }
    static void ClearBack() { ASSERT_TRUE(FillBackSurface(kBackground)); }
    static uint16_t At(int x, int y) { return GetBackSurface()->PixelAt(x, y); }
    static std::vector<uint16_t> Box(int x, int y, int w, int h) {
        std::vector<uint16_t> out;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                out.push_back(At(x + c, y + r));
        return out;
    }
    static int CountColour(int x, int y, int w, int h, uint16_t colour) {
        int n = 0;
        for (uint16_t v : Box(x, y, w, h))
            n += v == colour;
        return n;
    }
};

constexpr uint16_t B = kBackground;

TEST_P(TroopDrawing, NationRampsTypeColoursAndMirroring) {
    struct Case {
        const char* what;
        int nation;
        uint8_t facing;
        uint8_t mode;
        int screenX; // where the frame's left column lands
        std::vector<uint16_t> expected;
    } cases[] = {
        // Nation 2: ramp base 16 for values 1..31, the type table from 32 up, 0 transparent.
        {"ramp", 2, 2, 0, 100, {B, 0x3015, 0x2028, 0x3024, 0x302F, 0x3011}},
        // Facings 4..6 read rows backwards and move the frame to 200 - x - w.
        {"mirrored", 2, 5, 0, 90 + 200 - 10 - 3, {0x2028, 0x3015, B, 0x3011, 0x302F, 0x3024}},
        {"facing 6", 2, 6, 0, 277, {0x2028, 0x3015, B, 0x3011, 0x302F, 0x3024}},
        {"facing 3 is not mirrored", 2, 3, 0, 100, {B, 0x3015, 0x2028, 0x3024, 0x302F, 0x3011}},
        // Nation 1 (base 0) draws in the type's colours unless the drawing mode is 6.
        {"base 0", 1, 2, 0, 100, {B, 0x2005, 0x2028, 0x2014, 0x201F, 0x2001}},
        {"base 0 mode 6", 1, 2, 6, 100, {B, 0x3005, 0x2028, 0x3014, 0x301F, 0x3001}},
        // The last nation's ramp reads into the padding of the second ramp palette.
        {"nation 16", 16, 2, 0, 100, {B, 0x30F5, 0x2028, 0x4004, 0x400F, 0x30F1}},
        // A nation the ramps do not hold falls back to the type's colours.
        {"nation 17", 17, 2, 0, 100, {B, 0x2005, 0x2028, 0x2014, 0x201F, 0x2001}},
        {"nation 0", 0, 2, 6, 100, {B, 0x2005, 0x2028, 0x2014, 0x201F, 0x2001}},
    };
    for (const Case& c : cases) {
        ClearBack();
        kingdom->nationIndex = c.nation;
        troop->facing = c.facing;
        troop->drawingMode = c.mode;
        troop->Draw(0, 0);
        EXPECT_EQ(Box(c.screenX, 100, 3, 2), c.expected) << c.what;
        // Nothing beside the frame.
        EXPECT_EQ(At(c.screenX - 1, 100), B) << c.what;
        EXPECT_EQ(At(c.screenX + 3, 101), B) << c.what;
        EXPECT_EQ(troop->drawnRect[0], troop->pixelX + troop->frameGeometry[0]) << c.what;
        EXPECT_EQ(troop->drawnRect[3], 80 + 20 + 2) << c.what;
    }
    // No owner kingdom at all: the type's colours.
    ClearBack();
    troop->owner = 0;
    troop->facing = 2;
    troop->Draw(0, 0);
    EXPECT_EQ(Box(100, 100, 3, 2), (std::vector<uint16_t>{B, 0x2005, 0x2028, 0x2014, 0x201F, 0x2001}));
}

TEST_P(TroopDrawing, AHitFlashesSilhouetteNormalSilhouetteNormal) {
    const std::vector<uint16_t> normal{B, 0x3015, 0x2028, 0x3024, 0x302F, 0x3011};
    for (int colour : {0, 1, 7}) {
        const uint16_t flash = colour == 1 ? 0x1000 + 254 : 0x1000 + 241;
        const std::vector<uint16_t> silhouette{B, flash, flash, flash, flash, flash};
        troop->hitFlash = 1;
        troop->flashColour = int16_t(colour);
        const std::vector<uint16_t>* expected[] = {&silhouette, &normal, &silhouette, &normal, &normal};
        for (int draw = 0; draw < 5; ++draw) {
            ClearBack();
            troop->Draw(0, 0);
            EXPECT_EQ(Box(100, 100, 3, 2), *expected[draw]) << "colour " << colour << " draw " << draw;
        }
        EXPECT_EQ(troop->hitFlash, 0);
    }
    // A dead troop does not flash.
    troop->hitFlash = 1;
    troop->state = 13;
    ClearBack();
    troop->Draw(0, 0);
    EXPECT_EQ(Box(100, 100, 3, 2), normal);
}

TEST_P(TroopDrawing, StatusTintsRecolourTheFrame) {
    const bool is555 = GetParam() == 555;
    // Type entries 32..34 hold a mid grey, a coloured and a very dark pixel.
    const uint16_t mid = is555 ? 0x2108 : 0x4208;
    (*GamePalettes().numbered[kType])[32] = mid;
    (*GamePalettes().numbered[kType])[33] = is555 ? 0x7C00 : 0xF800;
    (*GamePalettes().numbered[kType])[34] = 0x0001;
    SetFrame(3, 1, {32, 33, 34});
    struct Case {
        const char* what;
        uint32_t status;
        bool captured;
        std::vector<uint16_t> e565, e555;
    } cases[] = {
        {"none", 0, false, {0x4208, 0xF800, 0x0001}, {0x2108, 0x7C00, 0x0001}},
        // Grey by luminance, never below 8.
        {"captured", 0, true, {0x4208, 0x4A49, 0x0841}, {0x2108, 0x2529, 0x0421}},
        {"dark grey", 0x2000, false, {0x2104, 0x4208, 0x0841}, {0x1084, 0x2108, 0x0421}},
        // Red and blue leave the darkest pixels alone.
        {"red", 0x100, false, {0x7145, 0xF800, 0x0001}, {0x38A5, 0x7C00, 0x0001}},
        {"blue", 0x80, false, {0x2110, 0xD808, 0x0001}, {0x1090, 0x6C08, 0x0001}},
        // Dark grey wins over red, red over blue.
        {"all", 0x2180, false, {0x2104, 0x4208, 0x0841}, {0x1084, 0x2108, 0x0421}},
    };
    for (const Case& c : cases) {
        ClearBack();
        troop->statusBits = c.status;
        troop->officer->StatusWord() = c.captured ? 1 : 0;
        troop->officer->Set(OfficerLayout::kPolicy, 3); // commanded by another kingdom
        troop->Draw(0, 0);
        EXPECT_EQ(Box(100, 100, 3, 1), is555 ? c.e555 : c.e565) << c.what;
    }
    // A captured officer commanded by its own troop's kingdom keeps its colours.
    ClearBack();
    troop->statusBits = 0;
    troop->officer->StatusWord() = 1;
    troop->officer->Set(OfficerLayout::kPolicy, kingdom->nationIndex);
    troop->Draw(0, 0);
    EXPECT_EQ(Box(100, 100, 3, 1)[0], mid);
}

TEST_P(TroopDrawing, FramesAreClippedToTheScreen) {
    SetFrame(4, 3, std::vector<uint8_t>(12, 40));
    // Half off the left edge (view column 1): the two visible columns from screen x 0.
    troop->pixelX = 40 - 12;
    troop->pixelY = 80;
    troop->Draw(1, 0);
    EXPECT_EQ(Box(0, 100, 2, 3), std::vector<uint16_t>(6, 0x2028));
    EXPECT_EQ(At(2, 100), B);
    // Half off the top (view row 2): only the last row shows.
    troop->pixelX = 90;
    troop->pixelY = -2;
    ClearBack();
    troop->Draw(0, 2);
    EXPECT_EQ(Box(100, 0, 4, 1), std::vector<uint16_t>(4, 0x2028));
    EXPECT_EQ(At(100, 1), B);
    // Past the right and bottom edges only the part inside 800 x 600 is drawn.
    troop->pixelX = 798 - 10;
    troop->pixelY = 598 - 20;
    ClearBack();
    troop->Draw(0, 0);
    EXPECT_EQ(Box(798, 598, 2, 2), std::vector<uint16_t>(4, 0x2028));
    EXPECT_EQ(CountColour(0, 0, 800, 600, 0x2028), 4);
    // Wholly off screen: nothing is drawn, and the drawn rectangle still follows the troop.
    troop->pixelX = 2000;
    ClearBack();
    troop->Draw(0, 0);
    EXPECT_EQ(CountColour(0, 0, 800, 600, 0x2028), 0);
    EXPECT_EQ(troop->drawnRect[0], 2010);
    // The corpse's action code, or no frame: nothing.
    troop->pixelX = 90;
    troop->actionCode = 19;
    troop->Draw(0, 0);
    troop->actionCode = 0;
    troop->frame = nullptr;
    troop->Draw(0, 0);
    EXPECT_EQ(CountColour(0, 0, 800, 600, 0x2028), 0);
}

TEST_P(TroopDrawing, BarsShowStrengthSkillAndFollowers) {
    auto* o = troop->officer;
    o->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, "ABCD"); // 4 bytes: shift 14
    const int bx = troop->pixelX + 100 - 14, by = troop->pixelY + 102;
    struct Case {
        const char* what;
        int hp, maxHp, mp, maxMp, followers;
        uint16_t colour;
        int hpLen, mpLen;
    } cases[] = {
        {"exactly half is green", 50, 100, 10, 40, 2, 0x07E0, 20, 10},
        {"just under a quarter is red", 24, 100, 40, 40, 0, 0xF800, 9, 40},
        {"between is yellow", 30, 100, 0, 40, 9, 0xFFE0, 12, 0},
        {"no maximum: full, red", 7, 0, 5, 0, 1, 0xF800, 40, 40},
        {"negative strength: empty", -5, 100, 0, 0, 0, 0xF800, 0, 40},
    };
    for (const Case& c : cases) {
        ClearBack();
        o->Set(OfficerLayout::kHp, c.hp);
        o->Set(OfficerLayout::kMaxHp, c.maxHp);
        o->Set(OfficerLayout::kMp, c.mp);
        o->Set(OfficerLayout::kMaxMp, c.maxMp);
        delete troop->followers;
        troop->followers = new LinkList;
        for (int i = 0; i < c.followers; ++i)
            troop->followers->Add(uintptr_t(1000 + i));
        troop->DrawStatusBars(0, 0);
        for (int x = 0; x < 40; ++x) {
            // Black is the colour key: the empty parts show what lay below.
            EXPECT_EQ(At(bx + x, by), x < c.hpLen ? c.colour : B) << c.what << " x " << x;
            EXPECT_EQ(At(bx + x, by + 1), At(bx + x, by)) << c.what;
            EXPECT_EQ(At(bx + x, by + 3), x < c.mpLen ? 0x001F : B) << c.what << " x " << x;
            const bool mark = x / 5 < c.followers && x % 5 < 3 && x / 5 * 5 + 3 <= 40;
            EXPECT_EQ(At(bx + x, by + 6), mark ? 0x07E0 : B) << c.what << " x " << x;
            EXPECT_EQ(At(bx + x, by + 7), At(bx + x, by + 6)) << c.what;
        }
        EXPECT_EQ(At(bx + 40, by), B) << c.what;
    }
    delete troop->followers;
    troop->followers = nullptr;

    // Other kinds: one strength bar of up to 32 pixels, 184 rows down (16 for kind 14).
    struct Other {
        int kind, hp, maxHp;
        uint16_t colour;
        int len, dy;
    } others[] = {
        {2, 100, 0, 0x07E0, 12, 184},
        {3, 24, 100, 0xF800, 3, 184},
        {2, 400, 800, 0x07E0, 32, 184},
        {14, 125, 500, 0xFFE0, 16, 16},
    };
    for (const Other& c : others) {
        ClearBack();
        o->Set(OfficerLayout::kAttribute, c.kind);
        o->Set(OfficerLayout::kHp, c.hp);
        o->Set(OfficerLayout::kMaxHp, c.maxHp);
        troop->DrawStatusBars(0, 0);
        const int ox = troop->pixelX - 14 + 108, oy = troop->pixelY + c.dy;
        for (int x = 0; x < 40; ++x) {
            EXPECT_EQ(At(ox + x, oy), x < c.len ? c.colour : B) << c.kind << " x " << x;
            EXPECT_EQ(At(ox + x, oy + 1), At(ox + x, oy));
            EXPECT_EQ(At(ox + x, oy + 2), B);
        }
    }
    // Kind 14 draws without a frame; others need one.
    troop->frame = nullptr;
    ClearBack();
    troop->DrawStatusBars(0, 0);
    EXPECT_EQ(At(troop->pixelX - 14 + 108, troop->pixelY + 16), 0xFFE0);
    o->Set(OfficerLayout::kAttribute, 1);
    ClearBack();
    troop->DrawStatusBars(0, 0);
    EXPECT_EQ(CountColour(0, 0, 800, 600, B), 800 * 600);
}

TEST_P(TroopDrawing, NameLabelInItsBox) {
    auto* o = troop->officer;
    o->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, "AB"); // shift 7
    const uint16_t white = GetParam() == 555 ? 0x7FFF : 0xFFFF;
    // A leader: white text outlined in 0x0800, inside the 300 x 18 box at (x + 100 - 7, y + 88).
    troop->DrawNameLabel(0, 0);
    const int lx = troop->pixelX + 100 - 7, ly = troop->pixelY + 88;
    EXPECT_GT(CountColour(lx, ly, 300, 18, white), 0);
    EXPECT_GT(CountColour(lx, ly, 300, 18, 0x0800), 0);
    EXPECT_EQ(CountColour(0, 0, 800, 600, white), CountColour(lx, ly, 300, 18, white));
    // Past the text the box is transparent.
    EXPECT_EQ(CountColour(lx + 40, ly, 260, 18, B), 260 * 18);

    // Name labels off, or a plain soldier that is not the current troop: no label.
    TheScreenSettings->nameLabelsOn = 0;
    ClearBack();
    troop->DrawNameLabel(0, 0);
    EXPECT_EQ(CountColour(0, 0, 800, 600, B), 800 * 600);
    TheScreenSettings->nameLabelsOn = 1;
    o->Set(OfficerLayout::kAttribute, 2);
    troop->DrawNameLabel(0, 0);
    EXPECT_EQ(CountColour(0, 0, 800, 600, B), 800 * 600);

    // The current troop: red, at (x - 7 + 108, y + 118) for kind 2.
    TheGameController->currentTroop = troop;
    troop->DrawNameLabel(0, 0);
    const int cx = troop->pixelX - 7 + 108, cy = troop->pixelY + 118;
    const uint16_t red = GetParam() == 555 ? 0x7C00 : 0xF800;
    EXPECT_GT(CountColour(cx, cy, 300, 18, red), 0);
    EXPECT_EQ(CountColour(0, 0, 800, 600, red), CountColour(cx, cy, 300, 18, red));
    EXPECT_EQ(CountColour(0, 0, 800, 600, white), 0);
    TheGameController->currentTroop = nullptr;

    // A box cut by the screen edge keeps its visible part; one wholly outside draws nothing.
    o->Set(OfficerLayout::kAttribute, 1);
    ClearBack();
    troop->pixelX = int16_t(-100 + 7 - 2); // the box starts 2 pixels left of the screen
    troop->DrawNameLabel(0, 0);
    EXPECT_GT(CountColour(0, ly, 40, 18, white), 0);
    ClearBack();
    troop->pixelX = 900;
    troop->DrawNameLabel(0, 0);
    EXPECT_EQ(CountColour(0, 0, 800, 600, B), 800 * 600);
}

TEST_P(TroopDrawing, StatusMarksAreAttachedAndStackAboveTheTroop) {
    troop->statusBits = 0x20000 | 0x1000 | 0x40;
    troop->Draw(0, 0);
    const int16_t ids[3] = {2, 1, 3};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(troop->attachedEffects[3 + i], nullptr);
        EXPECT_EQ(troop->attachedEffects[3 + i]->id, ids[i]);
        EXPECT_EQ(troop->attachedEffects[3 + i]->x, 5 * 40);
        EXPECT_EQ(troop->attachedEffects[3 + i]->y, 5 * 20);
    }
    // A second draw keeps the same marks.
    Zu_SkillEffect* fourth = troop->attachedEffects[3];
    troop->Draw(0, 0);
    EXPECT_EQ(troop->attachedEffects[3], fourth);

    for (int i = 3; i < 6; ++i)
        troop->attachedEffects[i]->frameHeight = uint16_t(10 * (i - 2)); // 10, 20, 30
    troop->DrawAttachedEffects();
    const int px = troop->pixelX, py = troop->pixelY;
    EXPECT_EQ(troop->attachedEffects[3]->x, px + 66);
    EXPECT_EQ(troop->attachedEffects[3]->y, py + 120 - 10);
    EXPECT_EQ(troop->attachedEffects[4]->x, px + 65);
    EXPECT_EQ(troop->attachedEffects[4]->y, py + 180 - 70 - 20);
    EXPECT_EQ(troop->attachedEffects[5]->x, px + 88);
    EXPECT_EQ(troop->attachedEffects[5]->y, py + 180 - 90 - 30);

    // A follower shows only the sixth mark, stacked from 60.
    Troop other(0, 10, 1, 1, 2, 0, 0, battle.Officer(2, kType));
    troop->leader = &other;
    troop->attachedEffects[3]->y = troop->attachedEffects[4]->y = -1;
    troop->DrawAttachedEffects();
    EXPECT_EQ(troop->attachedEffects[3]->y, -1);
    EXPECT_EQ(troop->attachedEffects[4]->y, -1);
    EXPECT_EQ(troop->attachedEffects[5]->y, py + 180 - 60 - 30);
    troop->leader = nullptr;

    // The level effect is dropped once it has finished.
    troop->attachedEffects[1] = new Zu_SkillEffect(3, 9, 0, 0);
    troop->attachedEffects[1]->state = 2;
    troop->DrawAttachedEffects();
    EXPECT_EQ(troop->attachedEffects[1], nullptr);
}

INSTANTIATE_TEST_SUITE_P(Layouts, TroopDrawing, testing::Values(565, 555));

} // namespace
