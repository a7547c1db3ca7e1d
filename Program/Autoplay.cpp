#include "Program/Autoplay.h"

#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/SceneMachine.h"
#include "Program/StageListWindow.h"
#include "Program/StageSet.h"
#include "Program/WorldDigest.h"
#include "engine/Random.h"
#include "engine/Tools.h"
#include "platform/CRand.h"
#include "platform/Messages.h"
#include "platform/Time.h"
#include "records/TemplateTables.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>

namespace {

struct AutoplayRun {
    AutoplaySettings settings;
    bool armed = false;
    bool started = false;
    bool reported = false;
    bool failed = false;
    long frames = 0;
    // Every clock of the run follows the frames, so wall time never reaches the world.
    std::unique_ptr<platform::ManualClock> clock;
};

constexpr uint32_t kFrameMilliseconds = 33;

AutoplayRun& Run() {
    static AutoplayRun run;
    return run;
}

// The stage list's files; the list's place is the stage number the stage start takes.
int StageListIndex(const std::string& file) {
    const auto* end = std::end(StageListFiles);
    const auto* found = std::find(std::begin(StageListFiles), end, file);
    return found == end ? -1 : int(found - std::begin(StageListFiles));
}

void Report(int32_t result) {
    AutoplayRun& run = Run();
    if (run.reported) return;
    run.reported = true;
    std::printf("stage result: %s\n", AutoplayResultName(result));
    std::printf("world digest: %016" PRIx64 "\n", WorldDigest());
    std::fflush(stdout);
    platform::PostMessage(AppWindow.window, platform::WM_CLOSE, 0, 0);
}

// The run ends without a result: a script sees the failure in the exit status and "Error.lst".
bool GiveUp(const char* stage, const char* unread) {
    AutoplayRun& run = Run();
    std::fprintf(stderr, "KARDOL_AUTOPLAY: the stage \"%s\" could not be loaded (%s)\n", stage, unread);
    Zu_Tools::WriteErrorLog(stage, "the stage could not be loaded", 0, 0, 0, 0, 1);
    run.reported = run.failed = true;
    platform::PostMessage(AppWindow.window, platform::WM_CLOSE, 0, 0);
    return false;
}

bool Number(const char* text, long long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text, &end, 10);
    return end != text && *end == 0 && errno != ERANGE;
}

} // namespace

bool ReadAutoplaySettings(AutoplaySettings& out, std::string& error) {
    out = AutoplaySettings{};
    if (const char* stage = std::getenv("KARDOL_AUTOPLAY")) {
        if (StageListIndex(stage) < 0) {
            error = std::string("KARDOL_AUTOPLAY must name a stage of the stage list (\"stage00.stg\" .. "
                                "\"stage06.stg\"), not \"") +
                    stage + "\"";
            return false;
        }
        out.stageFile = stage;
    }
    if (const char* seed = std::getenv("KARDOL_SEED")) {
        long long n = 0;
        if (!Number(seed, n) || n < 0 || n > static_cast<long long>(UINT32_MAX)) {
            error = std::string("KARDOL_SEED must be a number from 0 to 4294967295, not \"") + seed + "\"";
            return false;
        }
        out.seeded = true;
        out.seed = uint32_t(n);
    }
    if (const char* frames = std::getenv("KARDOL_FRAMES")) {
        long long n = 0;
        if (Number(frames, n) && n > 0) out.frameLimit = long(n);
    }
    return ReadAutoplaySlots(out.slots, error);
}

void InstallAutoplay(const AutoplaySettings& settings) {
    AutoplayRun& run = Run();
    run.clock.reset();
    run = AutoplayRun{};
    run.settings = settings;
    run.armed = !settings.stageFile.empty();
    if (run.armed) run.clock = std::make_unique<platform::ManualClock>(0, 1);
}

bool AutoplayPacesFrames() {
    return Run().armed;
}

bool AutoplayFrame(GameController& c) {
    AutoplayRun& run = Run();
    if (!run.armed) return true;
    if (run.reported) return false;
    ++run.frames;
    if (run.clock) run.clock->Advance(kFrameMilliseconds);
    // The report comes well before the program is closed at the frame limit, on a frame of its own
    // count, so that two runs report the same moment.
    const long limit = run.settings.frameLimit;
    if (limit > 0 && run.frames >= limit - std::min(limit / 2, 1000L)) {
        Zu_StageSet* stage = CurrentStageSet();
        Report(stage ? stage->result : 0);
        return false;
    }
    const AutoplaySlots& slots = run.settings.slots;
    if (run.started && c.mode == 1 && slots.saveSlot >= 0 && run.frames >= slots.saveAtFrame) {
        AutoplaySave(c, slots);
        Zu_StageSet* stage = CurrentStageSet();
        Report(stage ? stage->result : 0);
        return false;
    }
    if (run.started || c.mode != 0) return true;
    run.started = true;
    if (run.settings.seeded) {
        platform::srand(run.settings.seed);
        RandomSeed = run.settings.seed;
        c.syncRandom = run.settings.seed;
    }
    // What the stage list's start button leaves behind, with every side run by the computer.
    c.networked = 0;
    c.gameKind = 1;
    c.freshStage = 1;
    c.menuChoice = -2;
    c.campaignStage = uint8_t(StageListIndex(run.settings.stageFile));
    const char* file = run.settings.stageFile.c_str();
    if (slots.loadSlot >= 0) {
        // A saved game opens paused; the computer plays it on at once.
        if (!AutoplayLoad(c, slots)) {
            std::fprintf(stderr, "KARDOL_LOAD: the slot %d could not be loaded\n", slots.loadSlot);
            run.reported = run.failed = true;
            platform::PostMessage(AppWindow.window, platform::WM_CLOSE, 0, 0);
            return false;
        }
        if (TheBattleMap)
            std::fill(std::begin(TheBattleMap->sideActive), std::end(TheBattleMap->sideActive), uint8_t(1));
        c.pauseScreen = 0;
        c.requestedMode = 1;
        return true;
    }
    // The stage list reads the main file; the stage start reads the rest of the set.
    if (!c.templateTables) c.templateTables = new TemplateTables;
    if (!c.templateTables->ReloadStageTexts(file) || !CurrentStageSet()) return GiveUp(file, file);
    if (TheBattleMap)
        std::fill(std::begin(TheBattleMap->sideActive), std::end(TheBattleMap->sideActive), uint8_t(1));
    GetFrontEndServices()->StartStage(&c);
    // A set with a file that could not be read is not played.
    if (!c.templateTables->unreadFile.empty()) return GiveUp(file, c.templateTables->unreadFile.c_str());
    // The stage start hands the player's side to the player; here the computer keeps it.
    if (Zu_StageSet* stage = CurrentStageSet();
        stage && TheBattleMap && BattleMap::ValidSide(stage->playerSide))
        TheBattleMap->sideActive[stage->playerSide] = 1;
    c.requestedMode = 1;
    return true;
}

bool AutoplayFailed() {
    return Run().failed;
}

void AutoplayBattleEnded(GameController&) {
    AutoplayRun& run = Run();
    if (!run.armed || run.reported) return;
    Zu_StageSet* stage = CurrentStageSet();
    Report(stage ? stage->result : 0);
}

const char* AutoplayResultName(int32_t result) {
    switch (result) {
    case 0:
        return "none";
    case 1:
    case 5:
        return "victory";
    case 2:
    case 4:
        return "defeat";
    case 3:
        return "ended";
    default:
        return "unknown";
    }
}
