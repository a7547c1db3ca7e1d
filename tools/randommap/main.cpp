// randommap: writes "Virtual.dor", "Virtual.m" and "Virtual.x" into a game folder holding the
// generator sources, as every station of a network game would from the same options.
#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "platform/Files.h"
#include "records/GameDataLoader.h"
#include "world/BattleMap.h"
#include "world/RandomMapGenerator.h"
#include "world/VirtualKingdoms.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: randommap --seed N --size S --humans H --officers M --resources L "
                         "[--teams T1,T2,...] FOLDER\n");
    return 2;
}

bool Number(const char* text, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end && end != text && *end == 0;
}

} // namespace

int main(int argc, char** argv) {
    RandomMapOptions options;
    long seed = 0, size = 0, humans = 1, officers = 7, resources = 0;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        long* target = arg == "--seed"        ? &seed
                       : arg == "--size"      ? &size
                       : arg == "--humans"    ? &humans
                       : arg == "--officers"  ? &officers
                       : arg == "--resources" ? &resources
                                              : nullptr;
        if (target) {
            if (i + 1 >= argc || !Number(argv[++i], *target)) return Usage();
        } else if (arg == "--teams") {
            if (i + 1 >= argc) return Usage();
            std::string list = argv[++i];
            int k = 0;
            for (size_t at = 0; at <= list.size() && k < 16;) {
                const size_t comma = std::min(list.find(',', at), list.size());
                long team = 0;
                if (!Number(list.substr(at, comma - at).c_str(), team)) return Usage();
                options.teams[k++] = int32_t(team);
                at = comma + 1;
            }
        } else if (!arg.empty() && arg[0] != '-' && folder.empty()) {
            folder = arg;
        } else {
            return Usage();
        }
    }
    if (folder.empty() || size < 0 || size > 14 || resources < 0 || resources > 3 || humans < 1 ||
        humans > 16)
        return Usage();
    if (::chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "randommap: cannot enter %s\n", folder.c_str());
        return 1;
    }
    LoadGameParameters();
    const RandomMapSettings settings = RandomMapSettings::From(GameParams());
    options.seed = uint32_t(seed);
    options.sizeIndex = int32_t(size);
    options.officersPerCity = int32_t(officers);
    options.resourceLevel = int32_t(resources);
    options.localKingdom = 1;
    // The game's tables, when the folder has them, give the group cities and the officers.
    BattleMap map;
    TheBattleMap = &map;
    std::string damaged;
    if (LoadGameData(map.scenario, &damaged) == kGameDataDamaged) {
        std::fprintf(stderr, "randommap: %s is damaged\n", damaged.c_str());
        return 1;
    }
    // The stage joins the scenario's stage list, which the battle map frees.
    Zu_StageSet* stage =
        CreateNeutralGroups(options.sizeIndex, int32_t(humans), "Player", settings, options.officersPerCity);
    if (!GenerateVirtualStage(*stage, options, settings, map.scenario)) {
        std::fprintf(stderr,
                     "randommap: the generator sources are missing or a map file cannot be written\n");
        return 1;
    }
    return 0;
}
