#include "net/DiplomacyCommand.h"

#include "engine/ByteReader.h"
#include "net/CommandLookups.h"
#include "net/TroopCommands.h"
#include "records/Kingdom.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <algorithm>

namespace {

bool InTable(const Kingdom* k) {
    return k && k->nationIndex >= 1 && k->nationIndex <= Kingdom::kMaxNations;
}

} // namespace

void ApplyDiplomacy(Kingdom* from, Kingdom* to, int32_t relation, int32_t attitude) {
    if (!InTable(from) || !InTable(to) || relation < 0 || relation > 3) return;
    if (relation != 0) {
        from->relations[to->nationIndex] = relation;
        to->relations[from->nationIndex] = relation;
    }
    from->goodwill[to->nationIndex] = std::clamp(attitude, 0, 100);
    if (TheBattleMap && from->nationIndex == PlayerKingdom() && (relation == 1 || relation == 3))
        TheBattleMap->RefreshSight(to, relation == 1 ? 1 : 0);
}

void NetCmdSetDiplomacy(Kingdom* from, Kingdom* to, int32_t relation, int32_t attitude) {
    if (!InTable(from) || !InTable(to) || !DecidesHere()) return;
    ApplyDiplomacy(from, to, relation, attitude);
    if (!GameNetworked()) return;
    GameCommandSender send = CurrentGameCommandSender();
    if (!send) return;
    ByteWriter out;
    out.u32(static_cast<uint32_t>(from->nationIndex));
    out.u32(static_cast<uint32_t>(to->nationIndex));
    out.u32(static_cast<uint32_t>(relation));
    out.u32(static_cast<uint32_t>(std::clamp(attitude, 0, 100)));
    send(kDiplomacyCommand, out.buffer().data(), out.size());
}

bool ReceiveDiplomacyCommand(std::span<const uint8_t> payload) {
    if (payload.size() != kDiplomacyCommandSize) return false;
    ByteReader in(payload.data(), payload.size());
    const uint32_t fromSide = in.u32();
    const uint32_t toSide = in.u32();
    const uint32_t relation = in.u32();
    const uint32_t attitude = in.u32();
    if (!in.ok() || relation > 3 || attitude > 100 || fromSide == toSide) return false;
    Kingdom* from = KingdomOfSide(fromSide);
    Kingdom* to = KingdomOfSide(toSide);
    if (!InTable(from) || !InTable(to)) return false;
    ApplyDiplomacy(from, to, int32_t(relation), int32_t(attitude));
    return true;
}
