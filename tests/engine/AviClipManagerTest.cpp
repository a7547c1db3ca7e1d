#include "engine/AviClipManager.h"
#include "engine/AviSystem.h"
#include "engine/DisplayDevice.h"
#include "engine/GameController.h"
#include "engine/ModalLoopState.h"
#include "engine/PixelFormat.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "platform/AudioDevice.h"
#include "platform/Messages.h"
#include "records/RecordTables.h"
#include "records/SkillRecord.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include "world/MapView.h"

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include <cstdio>

using namespace platform;
using namespace std::chrono_literals;

namespace {

uint32_t Orange(uint32_t, uint32_t, uint32_t) {
    return 0xF08040;
}
uint32_t White(uint32_t, uint32_t, uint32_t) {
    return 0xFFFFFF;
}
uint32_t Quadrants(uint32_t, uint32_t x, uint32_t y) {
    if (y < 4) return x < 4 ? 0x000000 : 0xFFFFFF;
    return x < 4 ? 0x808080 : 0x101010;
}
// A colour that changes every frame, so a trail of an earlier frame would show.
uint32_t Changing(uint32_t f, uint32_t, uint32_t) {
    return ((40 * f + 20) << 16) | 0x4080;
}

// Runs a test inside a temporary game folder holding the movies, with the display, the AVI system
// and the clip manager set up as start-up leaves them.
class ClipManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetAudioBackend(AudioBackend::Null);
        saved = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
        CreateDirectDraw(nullptr);
        SetDisplayWidth(800);
        SetDisplayHeight(600);
        SetDisplayBitDepth(16);
        ApplyDisplayMode(8);
        ASSERT_TRUE(SetDisplayMode());
        ProbePrimarySurfaceFormat();
        ASSERT_NE(GetBackSurface(), nullptr);
        TheAviSystem.SetTarget(nullptr, GetBackSurface(), nullptr);
        m = std::make_unique<AviClipManager>();
        TheGameController = &controller;
        ModalLoopState = 0;
        ResetMessageQueue();
    }
    void TearDown() override {
        m.reset();
        TheAviClipManager.CloseAll();
        for (auto& r : SkillTable)
            r = nullptr;
        TheGameController = nullptr;
        ReleaseSurfaces();
        ReleaseDirectDraw();
        ResetMessageQueue();
        std::filesystem::current_path(saved);
        SetAudioBackend(AudioBackend::Mixer);
    }
    void Movie(const std::string& name, uint32_t (*pixel)(uint32_t, uint32_t, uint32_t), uint32_t frames = 4,
               uint32_t rate = 100) {
        fixtures::AviShape s;
        s.pixel = pixel;
        s.frames = frames;
        s.rate = rate;
        folder.Put(name, fixtures::MakeAvi(s));
    }
    // A skill whose clip is "skill\<name>.avi" with its matte beside it.
    void Skill(int id, const std::string& name, uint32_t frames = 40, uint32_t rate = 100) {
        Movie("skill/" + name + ".avi", Orange, frames, rate);
        Movie("skill/" + name + "a.avi", White, frames, rate);
        records.push_back(std::make_unique<SkillRecord>(100));
        records.back()->SetText(SkillLayout::kPicture, SkillLayout::kPictureBytes, name);
        records.back()->SetInt(SkillLayout::kCentreX, 4);
        records.back()->SetInt(SkillLayout::kCentreY, 4);
        SkillTable[id % 150] = records.back()->block;
    }
    template <class Pred>
    static bool WaitFor(Pred pred) {
        return testsupport::WaitFor(pred, 3s, 2ms);
    }

    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
    std::filesystem::path saved;
    std::unique_ptr<AviClipManager> m;
    GameController controller;
    std::vector<std::unique_ptr<SkillRecord>> records;
};

} // namespace

TEST_F(ClipManagerTest, VolumeLevels) {
    const std::pair<int, int> levels[] = {{-1, -10000}, {0, -10000}, {1, -1800}, {5, -1000},
                                          {8, -400},    {9, 0},      {10, 0}};
    for (auto [level, volume] : levels) {
        m->SetVolume(level);
        EXPECT_EQ(m->volume, volume) << level;
        EXPECT_EQ(m->overlays[2].volume, volume);
    }
}

TEST_F(ClipManagerTest, SlotReuseFreshSlotAndReportedStates) {
    Skill(5, "fire");
    Skill(6, "ice");
    Surface* back = GetBackSurface();
    int slot = m->PlaySkillClip(100, 100, 155, 0, -1); // 155 mod 150 = 5
    EXPECT_EQ(slot, 0);
    EXPECT_TRUE(m->clips[0].HasColourStream());
    EXPECT_EQ(m->GetClipState(0), AviClipManager::kStarted);
    EXPECT_EQ(m->RenderClip(back, 100, 100, 0, -1), 2);
    Zu_AviStream* opened = m->clips[0].colour;
    EXPECT_EQ(m->PlaySkillClip(50, 50, 6, 0, -1), 1); // another skill: a fresh slot
    m->StopClip(0);
    EXPECT_EQ(m->GetClipState(0),
              AviClipManager::kStarted | AviClipManager::kEnded | AviClipManager::kNotInUse);
    EXPECT_EQ(m->RenderClip(back, 0, 0, 0, -1), 3);
    // The same skill again takes its idle slot without opening the files again.
    EXPECT_EQ(m->PlaySkillClip(100, 100, 5, 0, -1), 0);
    EXPECT_EQ(m->clips[0].colour, opened);
    EXPECT_EQ(m->useCount[0], 2u);
    EXPECT_EQ(m->PollClip(0), 1);
    // Out-of-range numbers give 0.
    EXPECT_EQ(m->RenderClip(back, 0, 0, 30, -1), 0);
    EXPECT_EQ(m->RenderClip(back, 0, 0, -1, -1), 0);
    EXPECT_EQ(m->RenderClip(back, 0, 0, 0, 5), 0);
    EXPECT_EQ(m->GetClipState(30), 0u);
    EXPECT_EQ(m->PollClip(-2), 0);
    EXPECT_FALSE(m->HasNewFrame(31));
}

TEST_F(ClipManagerTest, MoviesOffMissingRecordAndShowNoMovieEndAtTheFirstRender) {
    Skill(7, "wind");
    Surface* back = GetBackSurface();
    const uint32_t ended = AviClipManager::kStarted | AviClipManager::kTenPercent |
                           AviClipManager::kNotInUse | AviClipManager::kEnded;
    struct Case {
        const char* name;
        uint32_t options;
        int skill;
        uint8_t mode;
    };
    const Case cases[] = {{"movies off", 0, 7, 0}, {"no skill record", 1, 8, 0}, {"show no movie", 1, 7, 1}};
    for (const Case& c : cases) {
        m = std::make_unique<AviClipManager>();
        m->options = c.options;
        int slot = m->PlaySkillClip(10, 10, c.skill, c.mode, -1);
        EXPECT_EQ(slot, 0) << c.name;
        EXPECT_FALSE(m->clips[slot].TimerRunning()) << c.name;
        EXPECT_EQ(m->RenderClip(back, 10, 10, slot, -1), 0) << c.name;
        EXPECT_EQ(m->GetClipState(slot), ended) << c.name;
    }
}

TEST_F(ClipManagerTest, EvictionTakesTheLeastUsedLeastRecentSlotPreferringIdleOnes) {
    for (int k = 0; k < 33; ++k)
        Skill(k, "s" + std::to_string(k), 2, 100);
    for (int k = 0; k < 30; ++k)
        ASSERT_EQ(m->PlaySkillClip(0, 0, k, 0, -1), k);
    // All in use; slot 29 was given out last and is spared, so the scan starts from slot 28.
    for (int s = 0; s < 30; ++s) {
        m->useCount[s] = 3;
        m->stamp[s] = 100 + s;
    }
    m->stamp[3] = 50; // the oldest, but used more than the candidate
    m->useCount[3] = 9;
    m->stamp[10] = 200; // used least, but started more recently than the slots scanned before it
    m->useCount[10] = 1;
    EXPECT_EQ(m->PlaySkillClip(0, 0, 30, 0, -1), 0);
    EXPECT_EQ(m->ownerKey[0], 30);
    EXPECT_EQ(m->lastSlot, 0);
    EXPECT_EQ(m->useCount[0], 1u);
    // An idle slot goes before every slot whose effect still runs, however much it was used.
    m->stamp[25] = 0;
    m->useCount[25] = 50;
    EXPECT_EQ(m->PlaySkillClip(0, 0, 31, 0, -1), 25);
    // The last slot given out is spared even when it is the only idle one.
    m->StopClip(25);
    EXPECT_NE(m->PlaySkillClip(0, 0, 32, 0, -1), 25);
}

TEST_F(ClipManagerTest, UseCounterWrapRestampsSlotsInUseInOrder) {
    Skill(1, "a");
    Skill(2, "b");
    Skill(3, "c");
    m->PlaySkillClip(0, 0, 1, 0, -1);
    m->PlaySkillClip(0, 0, 2, 0, -1);
    m->StopClip(0);
    m->useCounter = AviClipManager::kCounterWrap - 1;
    EXPECT_EQ(m->PlaySkillClip(0, 0, 3, 0, -1), 2);
    EXPECT_EQ(m->stamp[0], 0u);
    EXPECT_EQ(m->stamp[1], 1u);
    EXPECT_EQ(m->stamp[2], 2u);
    EXPECT_EQ(m->useCounter, 3u);
}

TEST_F(ClipManagerTest, OverlayLeadsInAndTheSkillClipStartsWhenItEnds) {
    Movie("skill/skill22.avi", Orange, 3, 200);
    Movie("skill/skill22a.avi", White, 3, 200);
    Skill(9, "bolt", 40, 100);
    m->OpenOverlays();
    ASSERT_TRUE(m->overlays[0].HasColourStream());
    EXPECT_FALSE(m->overlays[1].HasColourStream()); // its files are missing
    Surface* back = GetBackSurface();
    int slot = m->PlaySkillClip(300, 200, 9, 0, 0);
    EXPECT_EQ(m->attached[0], slot);
    EXPECT_FALSE(m->clips[slot].TimerRunning());
    EXPECT_EQ(m->RenderClip(back, 300, 200, slot, 0), 1);
    ASSERT_TRUE(WaitFor([&] { return m->RenderClip(back, 300, 200, slot, 0) != 1; }));
    EXPECT_TRUE(m->GetClipState(slot) & AviClipManager::kLeadInOver);
    EXPECT_EQ(m->attached[0], -1);
    EXPECT_TRUE(m->clips[slot].TimerRunning());
    EXPECT_EQ(m->RenderClip(back, 300, 200, slot, 0), 2);
    // An overlay number out of range counts as none: the clip starts at once.
    int other = m->PlaySkillClip(0, 0, 9, 0, 7);
    EXPECT_NE(other, slot);
    EXPECT_TRUE(m->clips[other].TimerRunning());
}

TEST_F(ClipManagerTest, ClipsFollowTheMapViewAndTheirPosition) {
    Skill(4, "dust");
    MapView view;
    view.viewX = 2;
    view.viewY = 3;
    controller.gameScreen = &view;
    Surface* back = GetBackSurface();
    int slot = m->PlaySkillClip(0, 0, 4, AviClipManager::kFollowPosition, -1);
    // At (100 + 80, 60 + 30) with the view at (2, 3) cells and anchor (4, 4): screen (96, 56).
    EXPECT_EQ(m->RenderClip(back, 180, 90, slot, -1), 2);
    EXPECT_NE(back->PixelAt(96, 56), 0);
    EXPECT_EQ(back->PixelAt(95, 56), 0);
    EXPECT_EQ(back->PixelAt(104, 56), 0);
}

namespace {

Surface* Probe = nullptr;
uint16_t Seen[3] = {};
int Dispatched = 0;

LRESULT TestWindowProc(HWND, UINT message, WPARAM, LPARAM) {
    ++Dispatched;
    if (message == WM_USER + 5 && Probe) {
        Seen[0] = Probe->PixelAt(150 + 1, 136 + 1); // black matte
        Seen[1] = Probe->PixelAt(150 + 5, 136 + 1); // white matte
        Seen[2] = Probe->PixelAt(150 + 1, 136 + 5); // grey matte
    }
    if ((message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) && TheGameController &&
        TheGameController->mode == 2)
        ModalLoopState = 2;
    return 0;
}

void FillBack(uint16_t colour) {
    Surface* back = GetBackSurface();
    DDSURFACEDESC2 d;
    back->Lock(nullptr, &d, DDLOCK_WAIT);
    for (uint32_t y = 0; y < d.dwHeight; ++y)
        for (uint32_t x = 0; x < d.dwWidth; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] = colour;
    back->Unlock(nullptr);
}

} // namespace

TEST_F(ClipManagerTest, ModalMovieBlendsOverTheSnapshotAndLeavesNoTrails) {
    Movie("Victory.avi", Changing, 6, 100);
    Movie("Victory_a.avi", Quadrants, 6, 100);
    FillBack(0); // black: what a colour-keyed restore would never bring back
    HWND window = AllocateWindowHandle();
    RegisterWindowProc(window, TestWindowProc);
    Probe = GetBackSurface();
    PostMessage(window, WM_USER + 5, 0, 0);
    controller.mode = 7;
    EXPECT_TRUE(PlayAviModal(150, 136, "Victory.avi", "Victory_a.avi", 1, 1));
    Probe = nullptr;
    EXPECT_EQ(ModalLoopState, 0);
    EXPECT_EQ(controller.mode, 7);
    EXPECT_FALSE(TheAviClipManager.clips[0].HasColourStream());
    // Seen in the first pass: black keeps, white shows (255/256), grey mixes.
    EXPECT_EQ(Seen[0], 0);
    // Green 0x40 and blue 0x80 of every frame over black: (P * 255) >> 8 and (P * 128) >> 8.
    EXPECT_EQ(Seen[1] & 0x7FF, 0x1E0 | 15);
    EXPECT_EQ(Seen[2] & 0x7FF, 0x100 | 8);
    EXPECT_NE(Seen[1] & 0xF800, 0);
    // The last pass put the snapshot back whole: nothing of any frame stays behind.
    for (int y = 130; y < 150; ++y)
        for (int x = 140; x < 165; ++x)
            ASSERT_EQ(GetBackSurface()->PixelAt(x, y), 0) << x << "," << y;
    RegisterWindowProc(window, nullptr);
}

TEST_F(ClipManagerTest, AClickEndsTheModalMovieAtTheNextPass) {
    Movie("Failure.avi", Orange, 500, 10); // fifty seconds
    HWND window = AllocateWindowHandle();
    RegisterWindowProc(window, TestWindowProc);
    PostMessage(window, WM_LBUTTONDOWN, 0, 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(PlayAviModal(50, 85, "Failure.avi", nullptr, 1, 1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(ModalLoopState, 0);
    RegisterWindowProc(window, nullptr);
}

TEST_F(ClipManagerTest, AQuitRequestEndsTheModalMovieAndIsPostedAgain) {
    Movie("open.avi", Orange, 500, 10);
    PostQuitMessage(3);
    EXPECT_TRUE(PlayAviModal(140, 130, "open.avi", nullptr, 1, 2));
    MSG msg;
    ASSERT_NE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE), 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(ClipManagerTest, AMissingMovieEndsAtOnceAndNoDisplayMeansNoMovie) {
    EXPECT_TRUE(PlayAviModal(0, 0, "nothing.avi", nullptr, 1, 1));
    ReleaseSurfaces();
    EXPECT_FALSE(PlayAviModal(0, 0, "nothing.avi", nullptr, 1, 1));
}
