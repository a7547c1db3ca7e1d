#include "net/room/GameCommandTable.h"

bool GameCommandTable::Register(uint8_t code, GameCommandRule rule) {
    if (code < kFirstCode || code > kLastCode || !rule.handler || rule.minSize > rule.maxSize) return false;
    rules_[code] = std::move(rule);
    return true;
}

const GameCommandRule* GameCommandTable::Find(uint8_t code) const {
    if (code < kFirstCode || code > kLastCode || !rules_[code].handler) return nullptr;
    return &rules_[code];
}

bool GameCommandTable::Accepts(uint8_t code, size_t size, bool fromClient) const {
    const GameCommandRule* rule = Find(code);
    if (!rule) return false;
    if (fromClient && !rule->clientMaySend) return false;
    return size >= rule->minSize && size <= rule->maxSize;
}
