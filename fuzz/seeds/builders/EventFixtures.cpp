#include "fuzz/seeds/builders/EventFixtures.h"

namespace eventfix {

void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> Block(uint32_t bytes, uint32_t base, const char* name) {
    std::vector<uint8_t> b;
    for (uint32_t w = 0; w < bytes / 4; ++w)
        PutU32(b, base + w);
    for (size_t i = 0; i < 20; ++i)
        b[i] = 0;
    for (size_t i = 0; name[i] && i < 19; ++i)
        b[i] = static_cast<uint8_t>(name[i]);
    return b;
}

void PutEvent(std::vector<uint8_t>& f, uint32_t length, const std::vector<std::vector<uint8_t>>& steps,
              uint32_t base) {
    PutU32(f, length);
    PutU32(f, static_cast<uint32_t>(steps.size()));
    const auto block = Block(length, base, "ev");
    f.insert(f.end(), block.begin(), block.end());
    for (const auto& s : steps) {
        PutU32(f, static_cast<uint32_t>(s.size()));
        f.insert(f.end(), s.begin(), s.end());
    }
}

std::vector<uint8_t> TwoEvents() {
    std::vector<uint8_t> f;
    PutU32(f, 2);
    PutEvent(f, 80, {}, 1000);
    PutEvent(f, 80, {Block(64, 10, "a"), Block(64, 20, "b"), Block(64, 30, "c")}, 2000);
    return f;
}

} // namespace eventfix
