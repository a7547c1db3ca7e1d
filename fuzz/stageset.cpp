// Feeds arbitrary bytes to the stage record's loader.
#include "Program/StageSet.h"
#include "engine/ByteReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Zu_StageSet stage;
    ByteReader in(data, size);
    if (stage.Load(in)) {
        ByteWriter out;
        stage.Save(out);
    }
    return 0;
}
