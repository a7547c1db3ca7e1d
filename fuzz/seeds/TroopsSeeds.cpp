// Seeds of the troop command targets: the order commands, the value and level-up commands, and a
// troop's death, capture and counters, each accepted by its reader over a small battle.
#include "SeedCorpus.h"

#include "engine/ByteReader.h"
#include "fuzz/seeds/builders/BattleFixture.h"
#include "fuzz/seeds/builders/TroopCommandSamples.h"
#include "net/LevelUpCommand.h"
#include "net/TroopCommandCodec.h"
#include "net/TroopFateCommands.h"
#include "net/TroopValueCommand.h"
#include "troops/Troop.h"

namespace {

// A code byte, then the payload.
std::vector<uint8_t> Coded(uint8_t code, std::vector<uint8_t> payload) {
    payload.insert(payload.begin(), code);
    return payload;
}

std::string CodeName(uint8_t code) {
    return "code" + std::to_string(code) + ".bin";
}

void TroopCommandSeeds(SeedCorpus& corpus) {
    for (const troopfix::Wire& w : troopfix::kWire) {
        const std::vector<uint8_t> payload = PackTroopCommand(w.command);
        corpus.Check(UnpackTroopCommand(w.command.code, payload).has_value(), "troopcommand",
                     CodeName(w.command.code), "the decoder refuses it");
        corpus.Write("troopcommand", CodeName(w.command.code), Coded(w.command.code, payload));
    }
    // A troop of the player's kingdom on the field, its values and level raised.
    battlefix::Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = b.AddTroop(k, 5, 5);
    ByteWriter value, level;
    for (uint32_t v : {t->UnitId(), 1u, 0u, 0u, 60u, 1u})
        value.u32(v);
    for (uint32_t v : {t->UnitId(), 1u, 0u, 0u, 0u, 30000u, 40000u})
        level.u32(v);
    corpus.Check(ReceiveTroopValueCommand(value.buffer()), "troopcommand", CodeName(kTroopValueCommand),
                 "the receiver refuses it");
    corpus.Check(ReceiveLevelUpCommand(level.buffer()), "troopcommand", CodeName(kLevelUpCommand),
                 "the receiver refuses it");
    corpus.Write("troopcommand", CodeName(kTroopValueCommand), Coded(kTroopValueCommand, value.buffer()));
    corpus.Write("troopcommand", CodeName(kLevelUpCommand), Coded(kLevelUpCommand, level.buffer()));
}

// Two kingdoms at war, a troop of each on the field.
void TroopFateSeeds(SeedCorpus& corpus) {
    battlefix::Battle b;
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* foe = b.AddKingdom(2);
    battlefix::Battle::War(player, foe);
    Troop* a = b.AddTroop(player, 5, 5, 1, 2);
    Troop* f = b.AddTroop(foe, 6, 10, 1, 2);
    const std::pair<uint8_t, std::vector<uint8_t>> seeds[] = {
        {kUnitCountersCommand, PackUnitCounters({{a->UnitId(), 1, 0, 0}, {1, 2, 3, 4}})},
        {kCaptureCommand, PackCapture({{a->UnitId(), 1, 0, 0}, a->worldX, a->worldY, 2, 1})},
        {kKillCommand, PackKill({{f->UnitId(), 2, 0, 0}, 1})},
    };
    for (const auto& [code, payload] : seeds) {
        bool accepted = false;
        if (code == kUnitCountersCommand) accepted = ReceiveUnitCountersCommand(payload);
        if (code == kCaptureCommand) accepted = ReceiveCaptureCommand(payload);
        if (code == kKillCommand) accepted = ReceiveKillCommand(payload);
        corpus.Check(accepted, "troopfate", CodeName(code), "the receiver refuses it");
        corpus.Write("troopfate", CodeName(code), Coded(code, payload));
    }
}

} // namespace

void WriteTroopsSeeds(SeedCorpus& corpus) {
    TroopCommandSeeds(corpus);
    TroopFateSeeds(corpus);
}
