// Feeds arbitrary bytes to the stage officer record reader, the ".dead" file reader and the
// construction site record reader in both load modes, and writes back what was read.
#include "stagefiles/StageOfficer.h"
#include "engine/LinkList.h"
#include "records/OfficerRecord.h"
#include "stagefiles/DeadOfficerFile.h"
#include "stagefiles/SavedRecord.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const StageLoadMode mode = (data[0] & 1) ? StageLoadMode::Fresh : StageLoadMode::Restore;
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    {
        StageReader in(bytes, mode);
        OfficerRecord officer(100, -1);
        if (LoadStageOfficer(in, officer)) {
            StageWriter out;
            SaveStageOfficer(out, officer);
        }
    }
    {
        StageReader in(bytes, mode);
        LinkList dead;
        ReadDeadOfficers(in, dead);
        StageWriter out;
        WriteDeadOfficers(out, dead);
        ClearDeadOfficers(dead);
    }
    {
        StageReader in(bytes, mode);
        for (int n = 0; n < 64 && in.ok(); ++n) {
            SavedRecord site;
            if (!site.Load(in)) break;
            StageWriter out;
            site.Save(out);
        }
    }
    return 0;
}
