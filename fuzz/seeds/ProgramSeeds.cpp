// Seeds of the stage record loader and the game parameter file.
#include "SeedCorpus.h"

#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "engine/ByteReader.h"
#include "fuzz/SmallBattleWorld.h"
#include "fuzz/seeds/builders/CgFixture.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

namespace {

// A stage of two kingdoms, each with its field commander, and an empty one; each loads back.
void StageSetSeeds(SeedCorpus& corpus) {
    ByteWriter two;
    {
        SmallBattleWorld world;
        Zu_StageSet stage;
        world.map->stageSet = &stage;
        for (const char* name : {"Wei", "Wu"}) {
            auto* k = static_cast<Kingdom*>(stage.NewChild(0));
            k->SetInt(KingdomLayout::kNationKind, 0);
            k->SetAllianceGroup(0);
            auto* o = new OfficerRecord(k->nationIndex, 1);
            o->Set(OfficerLayout::kAttribute, 1);
            o->Set(OfficerLayout::kHp, 100);
            k->fieldUnits.Add(uintptr_t(new Troop(1, 10, 5, 5, k->nationIndex, 0, 100, o)));
            k->SetText(KingdomLayout::kName, 20, name);
        }
        stage.Save(two);
        world.map->stageSet = nullptr;
    }
    Zu_StageSet empty;
    ByteWriter none;
    empty.Save(none);
    for (const auto& [name, bytes] :
         {std::pair{"two-kingdoms.bin", two.buffer()}, std::pair{"empty.bin", none.buffer()}}) {
        corpus.Write("stageset", name, bytes);
        SmallBattleWorld again;
        Zu_StageSet back;
        ByteReader in(bytes.data(), bytes.size());
        corpus.Check(back.Load(in) == 1, "stageset", name, "the loader refuses it");
    }
}

// The shipped layout, long comment lines with bare line feeds, and odd numbers.
void GameParameterSeeds(SeedCorpus& corpus) {
    cgfixture::Options longLines;
    longLines.longComment = true;
    longLines.crlf = false;
    const std::string odd = "#\r\n010 0x10 -1 99999999999\r\n\xB9\x43 1\r\n1.5e3\n";
    const std::pair<const char*, std::string> seeds[] = {{"shipped.wz", cgfixture::MakeFile()},
                                                         {"long-lf.wz", cgfixture::MakeFile(longLines)},
                                                         {"odd.wz", odd}};
    for (const auto& [name, text] : seeds) {
        corpus.Write("cg001", name, text);
        GameParameters params;
        const std::vector<uint8_t> bytes(text.begin(), text.end());
        corpus.Check(ParseGameParameters(bytes, params, [](const std::string&) {}) > 0, "cg001", name,
                     "no value line is read");
    }
}

} // namespace

void WriteProgramSeeds(SeedCorpus& corpus) {
    StageSetSeeds(corpus);
    GameParameterSeeds(corpus);
}
