#include "Program/GameRules.h"

#include "Program/GameParameters.h"
#include "Program/LoadingScreen.h"
#include "engine/DisplayDevice.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

GameRulesEnv* TheEnv = nullptr;

// One loot draw: the runtime generator in single play, the shared one in network play so that
// every peer drops the same items.
int Draw(GameRulesEnv& env, int n) {
    if (env.Networked()) return static_cast<int>(env.SharedRandom(static_cast<uint32_t>(n)));
    return env.Rand() % n;
}

} // namespace

GameRulesEnv* GetGameRulesEnv() {
    return TheEnv;
}

void SetGameRulesEnv(GameRulesEnv* env) {
    TheEnv = env;
}

void ClearBackSurface() {
    platform::Surface* back = GetBackSurface();
    if (!back) return;
    platform::DDSURFACEDESC2 desc;
    if (!LockSurfaceBounded(back, &desc)) return;
    const int width = std::min<int>(GetDisplayWidth(), static_cast<int>(desc.dwWidth));
    const int height = std::min<int>(GetDisplayHeight(), static_cast<int>(desc.dwHeight));
    auto* bytes = static_cast<uint8_t*>(desc.lpSurface);
    for (int y = 0; y < height; ++y)
        std::memset(bytes + static_cast<size_t>(y) * desc.lPitch, 0,
                    static_cast<size_t>(std::max(width, 0)) * 2);
    back->Unlock(nullptr);
}

int PlaceItemObject(GameRulesEnv& env, int x, int y, int item) {
    int fx = 0, fy = 0;
    if (!env.FindFreeNeighbour(x, y, fx, fy)) return 0;
    env.AddItemObject(item, fx, fy);
    return 1;
}

int PlaceItemObject(int x, int y, int item) {
    return TheEnv ? PlaceItemObject(*TheEnv, x, y, item) : 0;
}

LootStage LootStageFor(const GameRulesEnv& env, const GameParameters& params, int sourceKind) {
    auto byMonths = [&] {
        const int s = env.StageMonths() / 60;
        return s > 10 ? 11 : std::max(s, 0);
    };
    LootStage r{0, sourceKind};
    if (!env.Networked()) {
        if (env.GameKind() == 0) {
            // Story stages 11.. cycle through the twelve rows; earlier numbers wrap into them too.
            r.stage = ((env.StageNumber() - 11) % 12 + 12) % 12;
        } else {
            r.stage = byMonths();
        }
    } else if (env.CampaignContest()) {
        static const int kRows[4] = {2, 4, 6, 8};
        int pos = 3;
        for (int i = 0; i < 4; ++i)
            if (params.contestOfficerLevels[i] == env.ChosenOfficerLevel()) {
                pos = i;
                break;
            }
        r.stage = kRows[pos];
        if (sourceKind == 2) r.kind = 4;
        if (sourceKind == 3) r.kind = 5;
    } else {
        r.stage = byMonths();
        r.kind = 0;
    }
    return r;
}

void DropLoot(GameRulesEnv& env, const GameParameters& params, int x, int y, int sourceKind) {
    const LootStage ls = LootStageFor(env, params, sourceKind);
    const int32_t* row = params.stageTreasure[ls.stage];
    auto chance = [&](int32_t c) -> int64_t {
        switch (ls.kind) {
        case 2:
            return c / 4;
        case 3:
            return int64_t{c} * 2;
        case 4:
            return int64_t{c} * params.contestLootMultiplier[1];
        case 5:
            return int64_t{c} * params.contestLootMultiplier[0];
        default:
            return c;
        }
    };
    const bool anyLevel = env.GameKind() == 2;
    std::vector<int> candidates;
    auto collect = [&](int classLo, int classHi, int32_t level, bool levelsOneToTen) {
        candidates.clear();
        const int count = env.ItemCount();
        for (int i = 1; i <= count; ++i) {
            const int32_t cls = env.ItemClass(i);
            if (cls < classLo || cls > classHi) continue;
            const int32_t lv = env.ItemLevel(i);
            if (levelsOneToTen ? (lv >= 1 && lv <= 10) : lv == level) candidates.push_back(i);
        }
    };
    auto rollList = [&](int32_t c) {
        const int roll = Draw(env, 100);
        if (roll < chance(c) && !candidates.empty())
            PlaceItemObject(env, x, y, candidates[Draw(env, static_cast<int>(candidates.size()))]);
    };
    collect(1, 5, row[0], anyLevel);
    rollList(row[1]);
    collect(1, 5, row[2], false);
    rollList(row[3]);
    collect(9, 9, row[4], false);
    rollList(row[5]);
    collect(10, 10, row[6], false);
    rollList(row[7]);
    collect(11, 11, row[8], false);
    rollList(row[9]);
    for (int k : {10, 12}) {
        const int roll = Draw(env, 100);
        if (roll < chance(row[k + 1])) PlaceItemObject(env, x, y, row[k]);
    }
}

void DropLoot(int x, int y, int sourceKind) {
    if (TheEnv) DropLoot(*TheEnv, GameParams(), x, y, sourceKind);
}

uintptr_t PickRandomFreeEntry(GameRulesEnv& env) {
    std::vector<uintptr_t> free;
    env.ForEachStageEntry([&](uintptr_t entry, int32_t owner) {
        if (owner == 0) free.push_back(entry);
    });
    if (free.empty()) return 0;
    return free[static_cast<size_t>(env.Rand()) % free.size()];
}

uintptr_t PickRandomFreeEntry() {
    return TheEnv ? PickRandomFreeEntry(*TheEnv) : 0;
}

int AgeIndex(const GameRulesEnv& env, const GameParameters& params) {
    const int32_t years = env.StageMonths() / 12;
    const int32_t* y = params.virtualTowerYears;
    if (years >= y[8]) return 8;
    for (int i = 0; i < 8; ++i)
        if (y[i] <= years && years < y[i + 1]) return i;
    return 0;
}

int AgeIndex() {
    return TheEnv ? AgeIndex(*TheEnv, GameParams()) : 0;
}

int32_t MatchScore(const GameRulesEnv& env, bool won, int32_t defeatedCount, int32_t teamId) {
    const int32_t base = 10 * env.BasePoints();
    int32_t score = 0;
    if (won) {
        int matches = 0;
        if (teamId != 0)
            for (int i = 0; i < kPlayerSlots; ++i)
                matches += env.PlayerSlotTeam(i) == teamId ? 1 : 0;
        score = matches ? base / matches : base;
    }
    if (defeatedCount != 0) score += base / defeatedCount / 2;
    if (env.GameKind() == 3) score *= 2;
    return score;
}

int32_t MatchScore(bool won, int32_t defeatedCount, int32_t teamId) {
    return TheEnv ? MatchScore(*TheEnv, won, defeatedCount, teamId) : 0;
}

void ReportMatchResult(GameRulesEnv& env, bool won, int32_t defeatedCount) {
    const int32_t score = MatchScore(env, won, defeatedCount, env.LocalTeam());
    GameRulesEnv::RecordCounts r = env.LocalRecord();
    r.gamesPlayed += 1;
    if (won) r.wins += 1;
    r.points += score;
    env.UploadRecord(r);
}

void ReportMatchResult(bool won, int32_t defeatedCount) {
    if (TheEnv) ReportMatchResult(*TheEnv, won, defeatedCount);
}
