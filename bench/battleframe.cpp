// One battle frame of the demo stage, headless: the world step and the drawing of the battle
// frame's map view (terrain, map markers, objects) into the 800 x 600 back surface, with about 200
// troops of two computer kingdoms fighting in view; against three plain copies of an 800 x 600
// frame.
//
// The demo folder is written by make_demo's own writers into a temporary folder, its stage is
// started the way the autoplay start does it, and bands are added to both kingdoms with the game's
// own troop objects. Allocations made while the frame is drawn are counted per frame.
#include "DemoBattlePictures.h"
#include "DemoBattleStart.h"
#include "DemoFolder.h"
#include "DemoGenerator.h"
#include "DemoStage.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/MainWindow.h"
#include "Program/Palettes.h"
#include "Program/ScreenSettings.h"
#include "Program/StageListWindow.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "Program/StartupHooks.h"
#include "engine/Blitter16.h"
#include "engine/DisplayDevice.h"
#include "engine/KeyedTable37.h"
#include "engine/LinkList.h"
#include "engine/NumberFont.h"
#include "engine/NumberTable.h"
#include "engine/ResourceStore.h"
#include "engine/SurfaceText.h"
#include "gui/GuiRoot.h"
#include "platform/Surface.h"
#include "records/GameDataLoader.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/StageEditor.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

// Every allocation of the process is counted, so that the drawn part of a frame can show that it
// allocates nothing. Kept out of line: inlined into a caller they confuse the compiler's pairing
// of allocation and release.
namespace {
std::atomic<uint64_t> Allocations{0};
}

[[gnu::noinline]] void* operator new(std::size_t n) {
    Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t n) {
    return operator new(n);
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

constexpr int kW = 800, kH = 600;
constexpr int kStageIndex = 1; // "stage01.stg" of the stage list
constexpr int kSpearmen = 1, kArchers = 2;
// Bands added to each side: a general and his followers in ranks of six, facing the other side.
constexpr int kBandsPerSide = 8;
constexpr int kFollowersPerBand = 13;
constexpr int kMaxMarchFrames = 5000;

double NowNs() {
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_battleframe: %s\n", what.c_str());
    std::exit(1);
}

// The demo folder, removed when the program ends. The world itself is never torn down: it lives
// as long as the benchmarks do.
struct DemoFolder {
    std::filesystem::path path;
    DemoFolder() {
        std::string name = (std::filesystem::temp_directory_path() / "kardol-bench-XXXXXX").string();
        if (!::mkdtemp(name.data())) Fail("cannot make a temporary folder");
        path = name;
    }
    ~DemoFolder() {
        std::error_code ec;
        std::filesystem::current_path(path.parent_path(), ec);
        std::filesystem::remove_all(path, ec);
    }
};

const DemoFolder& TheDemoFolder() {
    static const DemoFolder folder;
    return folder;
}

class DemoBattle {
public:
    DemoBattle() {
        // Headless, with the run's own registry inside the folder.
        ::setenv("KARDOL_HEADLESS", "1", 0);
        ::setenv("SDL_VIDEODRIVER", "dummy", 0);
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        const std::filesystem::path& folder = TheDemoFolder().path;
        ::setenv("KARDOL_REGISTRY", (folder / "registry.ini").c_str(), 1);
        const std::string where = folder.string();
        std::string error;
        if (!WriteDemoFolder(where, error) || !WriteDemoGenerator(where, error) ||
            !WriteDemoStage(where, error) || !WriteDemoBattlePictures(where, error))
            Fail("cannot write the demo folder: " + error);
        std::filesystem::current_path(folder);
        if (!StartDemoGame(error)) Fail(error);
        StartStage();
        AddBands();
        // The bands march first; the frames measured are those of the fight, from the frame on
        // which a tenth of the troops are wounded.
        while (Wounded() * 10 < Standing(false) && marchFrames < kMaxMarchFrames) {
            Update();
            DrawView();
            DrawObjects();
            ++marchFrames;
        }
        if (marchFrames == kMaxMarchFrames) Fail("the armies did not meet");
    }

    // The frame: the world step, then the view and the objects drawn as the battle frame draws
    // them into the back surface.
    static void Update() { TheBattleMap->Update(); }
    static void DrawView() {
        TheGameController->gameScreen->DrawTerrain();
        TheResourceStore->DrawMapMarkers();
    }
    static void DrawObjects() {
        TheResourceStore->StepFirstEffectList();
        TheGameController->gameScreen->DrawObjects();
    }

    // Troops on the map that have lost hit points.
    int Wounded() const {
        int n = 0;
        for (Kingdom* k : kingdoms_)
            for (uintptr_t p = k->fieldUnits.First(); p != 0; p = k->fieldUnits.Next())
                if (const auto* t = reinterpret_cast<const Troop*>(p);
                    t->officer &&
                    t->officer->Get(OfficerLayout::kHp) < t->officer->Get(OfficerLayout::kMaxHp))
                    ++n;
        return n;
    }

    // Troops standing on the map, and those of them inside the view.
    int Standing(bool inView) const {
        const MapView& v = *TheGameController->gameScreen;
        int n = 0;
        for (Kingdom* k : kingdoms_)
            for (uintptr_t p = k->fieldUnits.First(); p != 0; p = k->fieldUnits.Next()) {
                const auto* t = reinterpret_cast<const Troop*>(p);
                if (t->IsGone() || t->outOfPlay) continue;
                if (inView && (t->cellX < v.viewX || t->cellX >= v.viewX + MapView::kViewColumns ||
                               2 * t->cellY < v.viewY || 2 * t->cellY >= v.viewY + MapView::kViewRows))
                    continue;
                ++n;
            }
        return n;
    }

private:
    // The stage list's start of the demo stage with every side run by the computer, as the
    // autoplay start does it; the battle screen is then up.
    void StartStage() {
        GameController& c = *TheGameController;
        c.networked = 0;
        c.gameKind = 1;
        c.freshStage = 1;
        c.menuChoice = -2;
        c.campaignStage = kStageIndex;
        const char* file = StageListFiles[kStageIndex];
        if (!c.templateTables) c.templateTables = new TemplateTables;
        if (!c.templateTables->ReloadStageTexts(file) || !CurrentStageSet())
            Fail("cannot load the demo stage");
        std::fill(std::begin(TheBattleMap->sideActive), std::end(TheBattleMap->sideActive), uint8_t(1));
        c.StartStage();
        c.mode = c.requestedMode = 1;
        if (!c.gameScreen || !TheBattleMap->HasCells()) Fail("the battle screen did not come up");
        Zu_StageSet* stage = CurrentStageSet();
        for (uintptr_t v = stage->kingdoms->First(); v != 0; v = stage->kingdoms->Next())
            kingdoms_.push_back(reinterpret_cast<Kingdom*>(v));
        if (kingdoms_.size() != 2) Fail("the demo stage has not two kingdoms");
    }

    OfficerRecord* Officer(int side, int type, int kind, int level) {
        auto* o = new OfficerRecord(side, -1);
        o->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, kind == 1 ? "General" : "Soldier");
        o->Set(OfficerLayout::kPersonNumber, nextPerson_);
        o->Set(OfficerLayout::kSoldierType, type);
        o->Set(OfficerLayout::kAttribute, kind);
        o->Set(OfficerLayout::kLevel, level);
        o->Set(OfficerLayout::kTroopCapacity, 60);
        o->Set(OfficerLayout::kStrength, 40 + 6 * level);
        o->Set(OfficerLayout::kIntelligence, 30 + 4 * level);
        o->Set(OfficerLayout::kPhysique, 40 + 5 * level);
        o->Set(OfficerLayout::kAgility, 30 + 3 * level);
        o->Set(OfficerLayout::kLoyalty, 90);
        o->Set(OfficerLayout::kHp, 400 + 40 * level);
        o->Set(OfficerLayout::kMaxHp, 400 + 40 * level);
        o->Set(OfficerLayout::kAttack, 20 + 4 * level);
        o->Set(OfficerLayout::kDefence, 12 + 3 * level);
        o->Set(OfficerLayout::kHitRate, 80);
        o->Set(OfficerLayout::kEvasion, 10);
        o->serial = uint32_t(nextPerson_++);
        o->UpdateRank(0);
        return o;
    }

    // A general at (x, y) with his band in ranks of six behind him, made as a loaded stage makes
    // a band standing on the map: the followers in the general's list and in the kingdom's field
    // list, the band under one group number, arranged around him and halted.
    void Band(Kingdom* k, int type, int x, int y, int facing) {
        const int side = k->nationIndex;
        auto* leader =
            new Troop(0, 10, int16_t(x), int16_t(y), int8_t(side), 0, 0, Officer(side, type, 1, 4));
        leader->outgoingMark = 1;
        leader->leaderFlag = 1;
        leader->flagWord = 1;
        leader->groupId = TheBattleMap->nextUnitId++;
        k->fieldUnits.Add(uintptr_t(leader));
        for (int i = 0; i < kFollowersPerBand; ++i) {
            const int fx = x - 2 + i % 6, fy = y - facing * (1 + i / 6);
            auto* f =
                new Troop(0, 10, int16_t(fx), int16_t(fy), int8_t(side), 0, 0, Officer(side, type, 3, 1));
            f->leader = leader;
            f->groupId = leader->groupId;
            leader->followers->Add(uintptr_t(f));
            k->fieldUnits.Add(uintptr_t(f));
        }
        leader->ArrangeFollowers();
        leader->ApplyHalt();
    }

    // Both sides' bands face each other across the middle of the view, a few rows apart, and the
    // generals are sent at the enemy line so the fight starts within the first frames.
    void AddBands() {
        const MapView& v = *TheGameController->gameScreen;
        const int top = v.viewY / 2, left = v.viewX;
        const int middle = top + MapView::kViewRows / 4;
        for (int b = 0; b < kBandsPerSide; ++b) {
            const int x = left + 3 + (b * 16) / kBandsPerSide, depth = b % 2;
            const int type = b % 3 == 2 ? kArchers : kSpearmen;
            Band(kingdoms_[0], type, x, middle - 3 - 3 * depth, 1);
            Band(kingdoms_[1], type, x, middle + 3 + 3 * depth, -1);
        }
        for (Kingdom* k : kingdoms_) {
            const int toward = k == kingdoms_[0] ? middle + 4 : middle - 4;
            for (uintptr_t p = k->fieldUnits.First(); p != 0; p = k->fieldUnits.Next()) {
                auto* t = reinterpret_cast<Troop*>(p);
                if (t->leaderFlag && !t->IsGone()) t->ApplyCmd02(t->cellX, toward);
            }
        }
    }

    std::vector<Kingdom*> kingdoms_;
    int nextPerson_ = 5000;

public:
    int marchFrames = 0;
};

DemoBattle& TheDemoBattle() {
    static DemoBattle* battle = new DemoBattle;
    return *battle;
}

// Three plain copies of an 800 x 600 16-bit frame.
struct FrameCopies {
    std::vector<uint16_t> src = std::vector<uint16_t>(size_t(kW) * kH, 0x1234);
    std::vector<uint16_t> dst = std::vector<uint16_t>(size_t(kW) * kH);
    void Run() {
        for (int copy = 0; copy < 3; ++copy) {
            std::memcpy(dst.data(), src.data(), src.size() * 2);
            benchmark::DoNotOptimize(dst.data());
            benchmark::ClobberMemory();
        }
    }
    // Adds the mean nanoseconds of a run for 25 blocks of 10 runs.
    void Time(std::vector<double>& runs) {
        for (int block = 0; block < 25; ++block) {
            const double start = NowNs();
            for (int i = 0; i < 10; ++i)
                Run();
            runs.push_back((NowNs() - start) / 10);
        }
    }
};

void ThreeFrameCopies(benchmark::State& state) {
    FrameCopies copies;
    for (auto _ : state)
        copies.Run();
}
BENCHMARK(ThreeFrameCopies)->Unit(benchmark::kMicrosecond);

// The frames of the running battle, from the first blow (after `march` frames): the battle goes on
// from run to run, so a repetition measures later frames with fewer troops (the troop counters say
// how many stand at the first and the last frame). x_copies is the frame's mean time over the time of three
// plain frame copies, the median of blocks of copies run just before and just after the frames.
void DemoBattleFrame(benchmark::State& state) {
    DemoBattle& battle = TheDemoBattle();
    state.counters["troops_first"] = battle.Standing(false);
    FrameCopies copies;
    std::vector<double> copyRuns;
    copies.Time(copyRuns);
    uint64_t drawAllocations = 0, updateAllocations = 0;
    double ns[3] = {};
    for (auto _ : state) {
        const uint64_t a0 = Allocations.load(std::memory_order_relaxed);
        const double t0 = NowNs();
        DemoBattle::Update();
        const double t1 = NowNs();
        const uint64_t a1 = Allocations.load(std::memory_order_relaxed);
        DemoBattle::DrawView();
        const double t2 = NowNs();
        DemoBattle::DrawObjects();
        const double t3 = NowNs();
        drawAllocations += Allocations.load(std::memory_order_relaxed) - a1;
        updateAllocations += a1 - a0;
        ns[0] += t1 - t0;
        ns[1] += t2 - t1;
        ns[2] += t3 - t2;
    }
    copies.Time(copyRuns);
    std::nth_element(copyRuns.begin(), copyRuns.begin() + long(copyRuns.size() / 2), copyRuns.end());
    const double copyNs = copyRuns[copyRuns.size() / 2];
    const double n = double(std::max<int64_t>(1, state.iterations()));
    state.counters["march"] = battle.marchFrames;
    state.counters["troops_last"] = battle.Standing(false);
    state.counters["in_view"] = battle.Standing(true);
    state.counters["update_us"] = ns[0] / n / 1000;
    state.counters["view_us"] = ns[1] / n / 1000;
    state.counters["objects_us"] = ns[2] / n / 1000;
    state.counters["copies3_us"] = copyNs / 1000;
    state.counters["x_copies"] = (ns[0] + ns[1] + ns[2]) / n / copyNs;
    state.counters["draw_allocs"] = double(drawAllocations) / n;
    state.counters["update_allocs"] = double(updateAllocations) / n;
}
BENCHMARK(DemoBattleFrame)->Unit(benchmark::kMicrosecond)->Iterations(400);

} // namespace
