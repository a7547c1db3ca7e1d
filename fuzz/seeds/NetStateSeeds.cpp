// Seeds of the state-command, sub-command and game-record targets, each applied over the fuzz
// targets' own world first.
#include "SeedCorpus.h"

#include "fuzz/StateFuzzWorld.h"
#include "fuzz/seeds/builders/NetFrames.h"

#include "net/ChatCommand.h"
#include "net/GameRecordChannel.h"
#include "net/LevelUpCommand.h"
#include "net/StateCommands.h"
#include "net/SubCommands.h"
#include "net/TroopValueCommand.h"
#include "net/WireLayout.h"

namespace {

using netfix::Words;

constexpr uint32_t kNone = 0xFFFFFFFFu;

} // namespace

// Troops of the fuzz world by unit id: 1, 2 side 1 and 3, 4 side 2 on the field; 5 (a wall unit)
// and 6 inside city 0 (id 1); 7 in its keeper's place, whose keeper is 8; 9 in its garrison post.
void WriteNetStateSeeds(SeedCorpus& corpus) {
    struct StateSeed {
        uint8_t code;
        std::vector<uint8_t> payload;
    } states[] = {
        {kTroopDefeatedCommand, Words({3, 1, 2, 0, 0, 0, 30000, 40000})},
        {kTroopDefeatedCommand, Words({6, 2, 1, 1, 1, 0, 30000, 40000})},
        {kTroopValueCommand, Words({3, 2, 0, 0, 60, 1})},
        {kTroopValueCommand, Words({5, 1, 1, 1, 30, 6})},
        {kTroopValueCommand, Words({7, 1, 1, 2, 20, 4})},
        {kSkillEffectCommand, WireLayout{4, 4, 1, -3}.Write({3, 0x4, 2})},
        {kSkillEffectCommand, WireLayout{4, 4, 1, -3}.Write({1, 103, 6})},
        {kCityActionCommand, WireLayout{4, 2, 2}.Write({0, 10, 10})},
        {kLevelUpCommand, Words({3, 2, 0, 0, 0, 30000, 40000})},
        {kSwitchForceCommand, Words({3, 1})},
        {kStandMoveCommand, WireLayout{4, 4, 4, 1, -3, 4, 4}.Write({3, 200000, 200000, 1, 5, 5})},
    };
    int n = 0;
    for (const StateSeed& s : states) {
        const std::string name = "seed" + std::to_string(n++) + ".bin";
        {
            StateFuzzWorld world(true);
            const std::span<const uint8_t> p(s.payload);
            bool taken = false;
            if (s.code == kTroopValueCommand)
                taken = ReceiveTroopValueCommand(p);
            else if (s.code == kLevelUpCommand)
                taken = ReceiveLevelUpCommand(p);
            else
                taken = ReceiveStateCommand(s.code, p) != CommandOutcome::Drop;
            corpus.Check(taken, "statecommand", name, "the command is dropped");
        }
        std::vector<uint8_t> bytes{1, s.code};
        bytes.insert(bytes.end(), s.payload.begin(), s.payload.end());
        corpus.Write("statecommand", name, bytes);
    }
    {
        StateFuzzWorld world(false);
        const std::vector<uint8_t> chat = PackChatLine({"hello", 1, true, 3});
        corpus.Check(UnpackChatLine(chat).has_value(), "statecommand", "chat.bin",
                     "the chat line is not read");
        std::vector<uint8_t> bytes{0, kChatCommand};
        bytes.insert(bytes.end(), chat.begin(), chat.end());
        corpus.Write("statecommand", "chat.bin", bytes);
    }

    const std::vector<uint8_t> subs[] = {
        PackSubCommand(kSubSetEquipment, {3, 2, 0, 0, 1, 288}),
        PackSubCommand(kSubUseItem, {1, 6, 0}),
        PackSubCommand(kSubPlaceMapObject, {1, 1, 5, 5}),
        PackSubCommand(kSubCityItemList, {0, kNone, 288}),
        PackSubCommand(kSubCityTroopMove, {0, 10, 0, 5, 0, 0, 0}),
        PackSubCommand(kSubForceFocus, {0}),
        PackSubCommand(kSubKeeperList, {0, kNone, 288, 50}),
        PackSubCommand(kSubCityEvent, {0, 0, 0, 0, 10, 10, 8}),
        PackSubCommand(kSubCityEvent, {0, 0, 0, 0, 0, 0, 10}),
        PackSubCommand(kSubCityEvent, {0, 700, 0, 0, 0, 0, 13}),
        PackSubCommand(kSubCityEvent, {0, 0, 0, 0, 0, 0, 12}),
        PackSubCommand(kSubCreateOfficer, {0, 5, 600}),
        PackSubCommand(kSubOrderMode, {3, 2, 0, 0, 3, 1, 2, 1}),
        PackSubCommand(kSubPlotKind, {0, 5, 5, 1}),
        PackSubCommand(kSubPlotKind, {0, 5, 5, 25}),
        PackSubCommand(kSubUnitAction, {0, 1, 5}),
        PackSubCommand(kSubPickUp, {1, 0, 5, 5}),
        PackSubCommand(kSubAutoAssign, {0}),
    };
    n = 0;
    for (const std::vector<uint8_t>& s : subs) {
        const std::string name = "seed" + std::to_string(n++) + ".bin";
        {
            StateFuzzWorld world(true);
            std::vector<uint8_t> relay;
            corpus.Check(ReceiveSubCommand(s, true, relay) == CommandOutcome::Relay, "subcommand", name,
                         "the sub-command is not relayed");
        }
        std::vector<uint8_t> bytes{3};
        bytes.insert(bytes.end(), s.begin(), s.end());
        corpus.Write("subcommand", name, bytes);
    }

    const std::vector<uint8_t> recs[] = {
        PackGameRecord(kRecordDeployUnit, {0, 5, 1}),
        PackGameRecord(kRecordCreatePerson, {2, 0, 4, 5, 700}),
        PackGameRecord(kRecordRandomGearGrant, {0, 1, 30000, 40000}),
        PackGameRecord(kRecordAdmitUnit, {0, 7}),
        PackGameRecord(kRecordConstruction, {0, 1, 1, 50}),
        PackGameRecord(kRecordConstruction, {0, 0, 5 << 16 | 5, 50}),
        PackGameRecord(kRecordCityDestroy, {0, 1, 2, 3}),
        PackGameRecord(kRecordSpawnPerson, {0, 701, 4, 5}),
        PackGameRecord(kRecordDeployFollow, {0, 5, 0}),
        PackGameRecord(kRecordSpawnTroop, {0, 5}),
        PackGameRecord(kRecordAddSoldier, {0, 5}),
        PackGameRecord(kRecordCityBattleTick, {0}),
        PackGameRecord(kRecordCityEntry, {0, 3}),
        PackGameRecord(kRecordDeployWithOrder, {1, 0, 0, 5, 3, 0, 0, 0}),
        PackGameRecord(kRecordDeployWithOrder, {9, 0, 4, 7, 0, 0, 5, 5}),
        PackGameRecord(kRecordTroopEntry, {0, 4, 3}),
        PackGameRecord(kRecordGateStrength, {1, 5, 100, 0}),
        PackGameRecord(kRecordCityStatusOp, {0, 0, 3}),
        PackGameRecord(kRecordCityToggle, {0, 1}),
        PackGameRecord(kRecordWinner, {0, 0}),
        PackGameRecord(kRecordTeamWinnerId, {1, 0}),
    };
    n = 0;
    for (const std::vector<uint8_t>& r : recs) {
        const std::string name = "seed" + std::to_string(n++) + ".bin";
        {
            StateFuzzWorld world(true);
            corpus.Check(ReceiveGameRecord(r) == CommandOutcome::Relay, "gamerecord", name,
                         "the record is not relayed");
        }
        std::vector<uint8_t> bytes{1};
        bytes.insert(bytes.end(), r.begin(), r.end());
        corpus.Write("gamerecord", name, bytes);
    }
}
