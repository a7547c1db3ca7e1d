// Seeds of the campaign's own files: the pass file of the generals carried on, the player's camp
// city and the talk texts, each read back by the reader its target feeds.
#include "SeedCorpus.h"

#include "Program/GameController.h"
#include "fuzz/seeds/builders/BattleFixture.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/PassRecordTable.h"
#include "records/TemplateTables.h"
#include "stagefiles/PassRecordFile.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "stagefiles/TalkTexts.h"

#include <memory>
#include <string>

namespace {

// Two generals, persons 5 and 7, in full 432-byte records.
void PassRecordSeeds(SeedCorpus& corpus) {
    StageWriter out;
    out.i32(2);
    out.u32(PassRecordTable::kBlockBytes);
    for (int32_t person : {5, 7}) {
        uint8_t block[PassRecordTable::kBlockBytes] = {};
        for (int i = 0; i < 4; ++i)
            block[OfficerLayout::kPersonNumber + i] = uint8_t(person >> (8 * i));
        out.Bytes(block, sizeof block);
    }
    corpus.Write("passrecord", "two", out.bytes());
    PassRecordTable table;
    corpus.Check(ReadPassRecordBytes(out.bytes(), table) == 2 && table.Find(7), "passrecord", "two",
                 "the generals are not read");
}

// One camp city as the stage writer writes it, for both load modes.
void PlayerCitySeeds(SeedCorpus& corpus) {
    battlefix::Battle battle;
    Kingdom* k = battle.AddKingdom(1, true);
    City* city = battle.AddCity(k, 5, 5);
    TemplateTables tables;
    StageWriter out;
    tables.WriteCity(out, *city);
    for (uint8_t mode : {0, 1}) {
        const std::string name = mode ? "city-fresh" : "city-restore";
        WriteModeSeed(corpus, "playercity", name, mode, out.bytes());
        TheGameController->freshStage = mode;
        StageReader in(out.bytes(), mode ? StageLoadMode::Fresh : StageLoadMode::Restore);
        auto camp = std::make_unique<City>(100, 0);
        corpus.Check(tables.ReadCity(in, *camp, false) == 1, "playercity", name, "the city is not read");
    }
}

// Two talks, the second in Big5.
void TalkTextSeeds(SeedCorpus& corpus) {
    const std::string text = "#1001\r\nRed Banner, cross the river!#\r\n#1002\r\n\xAC\xF5\xBA\x58#\r\n";
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    corpus.Write("talktexts", "two", bytes);
    uint8_t* texts[TalkTable::kEntries] = {};
    int32_t numbers[TalkTable::kEntries] = {};
    const TalkTable table{texts, numbers};
    corpus.Check(ReadTalkFile(bytes, table) == 2, "talktexts", "two", "the talks are not read");
    ClearTalkTable(table);
}

} // namespace

void WriteStageCampaignSeeds(SeedCorpus& corpus) {
    PassRecordSeeds(corpus);
    PlayerCitySeeds(corpus);
    TalkTextSeeds(corpus);
}
