#include "net/room/GameCommandTable.h"

bool GameCommandTable::Register(uint8_t code, GameCommandSpec spec) {
    if (code < kFirstCode || code > kLastCode || !spec.handler || spec.minSize > spec.maxSize) return false;
    specs_[code] = std::move(spec);
    return true;
}

const GameCommandSpec* GameCommandTable::Find(uint8_t code) const {
    if (code < kFirstCode || code > kLastCode || !specs_[code].handler) return nullptr;
    return &specs_[code];
}

bool GameCommandTable::Accepts(uint8_t code, size_t size, bool fromClient) const {
    const GameCommandSpec* spec = Find(code);
    if (!spec) return false;
    if (fromClient && !spec->clientMaySend) return false;
    return size >= spec->minSize && size <= spec->maxSize;
}
