// Feeds arbitrary bytes to the kingdom, city and sub-castle section readers of the stage file,
// with a battle map whose city table the kingdom's cities enter, and writes back what was read.
#include "engine/ByteReader.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "world/BattleMap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TheBattleMap = new BattleMap;
    {
        Kingdom kingdom;
        ByteReader in(data, size);
        if (kingdom.Load(in)) {
            ByteWriter out;
            kingdom.Save(out);
        }
        City city;
        ByteReader cityIn(data, size);
        if (city.Load(cityIn)) {
            ByteWriter out;
            city.Save(out);
        }
        SubCastle sub(0);
        ByteReader subIn(data, size);
        if (sub.Load(subIn)) {
            ByteWriter out;
            sub.Save(out);
        }
    }
    delete TheBattleMap;
    TheBattleMap = nullptr;
    return 0;
}
