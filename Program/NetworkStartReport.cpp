#include "Program/NetworkStartReport.h"

#include "Program/GameController.h"
#include "engine/ByteReader.h"

#include <cstdio>
#include <cstdlib>
#include <string>

void ReportNetworkStart(const GameController& c) {
    const char* path = std::getenv("KARDOL_NET_REPORT");
    if (!path || !*path) return;
    // FNV-1a over every slot's bytes.
    uint64_t digest = 1469598103934665603ull;
    std::string choices;
    for (const PlayerSlot& s : c.players) {
        for (uint8_t b : s.bytes)
            digest = (digest ^ b) * 1099511628211ull;
        ByteReader r(s.bytes + 140, 4);
        if (!choices.empty()) choices += ',';
        choices += std::to_string(r.u32());
    }
    std::FILE* f = std::fopen(path, "a");
    if (!f) return;
    std::fprintf(f, "random=%u stage=%u type=%d options=%d,%d,%d,%d slots=%016llx choices=%s\n", c.syncRandom,
                 unsigned(c.campaignStage), c.netGameType, c.netOptions[0], c.netOptions[1], c.netOptions[2],
                 c.netOptions[3], static_cast<unsigned long long>(digest), choices.c_str());
    std::fclose(f);
}
