#include "net/GameRecordChannel.h"
#include "net/room/GameCommandTable.h"

#include <span>

void RegisterGameRecords(GameCommandTable& table) {
    GameCommandRule rule;
    // Each record id checks its own exact size.
    rule.minSize = 12;
    rule.maxSize = 40;
    rule.handler = [](GameCommandContext& c) {
        return ReceiveGameRecord(std::span<const uint8_t>(c.payload, c.size));
    };
    table.Register(kGameRecordCode, std::move(rule));
}
