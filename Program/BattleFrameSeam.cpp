#include "Program/BattleFrameSeam.h"

namespace {
BattleServices* services = nullptr;
} // namespace

BattleServices& Services() {
    if (!services) services = new BattleServices;
    return *services;
}

void ResetServices() {
    delete services;
    services = new BattleServices;
}

void ShowDateLine() {
    ++Services().dateRedraws;
}

void AddChatLine(const char* text, int) {
    Services().chatLog.emplace_back(text);
}
