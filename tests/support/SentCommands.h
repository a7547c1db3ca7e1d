#pragma once

// Game commands a test's station sends, caught where the network session would take them.

#include "net/TroopCommands.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

struct SentCommand {
    uint8_t code;
    std::vector<uint8_t> payload;
};

inline std::vector<SentCommand>& SentCommands() {
    static std::vector<SentCommand> sent;
    return sent;
}

// From now on every command sent is kept here (and the list starts empty).
inline void CaptureSentCommands() {
    SentCommands().clear();
    SetGameCommandSender([](uint8_t code, const uint8_t* payload, size_t length) {
        SentCommands().push_back({code, std::vector<uint8_t>(payload, payload + length)});
    });
}

// The game records sent (code 32).
inline std::vector<std::vector<uint8_t>> SentRecords() {
    std::vector<std::vector<uint8_t>> out;
    for (const SentCommand& c : SentCommands())
        if (c.code == 32) out.push_back(c.payload);
    return out;
}

// The texts of the chat lines sent (code 28).
inline std::vector<std::string> SentChat() {
    std::vector<std::string> out;
    for (const SentCommand& c : SentCommands())
        if (c.code == 28 && c.payload.size() >= 100)
            out.emplace_back(reinterpret_cast<const char*>(c.payload.data()),
                             strnlen(reinterpret_cast<const char*>(c.payload.data()), 100));
    return out;
}

} // namespace testsupport
