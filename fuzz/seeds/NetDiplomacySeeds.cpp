// Seeds of the relation command target: alliance, peace, war and a gift, each accepted by the
// receiver over two kingdoms.
#include "SeedCorpus.h"

#include "engine/ByteReader.h"
#include "fuzz/seeds/builders/BattleFixture.h"
#include "net/DiplomacyCommand.h"

void WriteDiplomacySeeds(SeedCorpus& corpus) {
    battlefix::Battle b;
    b.AddKingdom(1, true);
    b.AddKingdom(2);
    const uint32_t seeds[][2] = {{1, 100}, {2, 55}, {3, 0}, {0, 61}};
    for (const auto& [relation, attitude] : seeds) {
        const std::string name = "relation" + std::to_string(relation) + ".bin";
        ByteWriter out;
        out.u32(1);
        out.u32(2);
        out.u32(relation);
        out.u32(attitude);
        corpus.Check(ReceiveDiplomacyCommand(out.buffer()), "diplomacy", name, "the receiver refuses it");
        corpus.Write("diplomacy", name, out.buffer());
    }
}
