#include "net/NetHooks.h"
#include "net/room/NetSession.h"
#include "net/room/NetSide.h"

#include "Program/BattleFrame.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/ScreenSettings.h"
#include "platform/NetAddress.h"
#include "windows/WindowHosts.h"
#include "windows/main/Win01Window.h"

#include <cstdlib>

namespace {

// The game the program's session plays in: the controller's fields and the main window.
class ProgramNetSide : public NetSide {
public:
    bool Networked() const override { return TheGameController && TheGameController->networked; }
    uint8_t* Slot(size_t index) override {
        if (index >= playerslot::kCount) index = 0;
        return TheGameController ? TheGameController->players[index].bytes : spare_[index];
    }
    int8_t OwnSlotIndex() const override { return ownSlot_; }
    void SetOwnSlotIndex(int8_t index) override { ownSlot_ = index; }
    void SetHostByte(uint8_t value) override {
        if (TheGameController) TheGameController->isHost = value;
    }
    void OnSessionInit() override { BattleStepThreshold = 13; }
    void AddChatLine(const char* text, int colour) override {
        if (Win01Window* panel = MainPanel()) panel->AddChatLine(text, colour);
    }
    bool MainPanelExists() const override { return MainPanel() != nullptr; }
    bool InBattle() const override { return TheGameController && TheGameController->mode == 1; }
    void AdvanceDay() override {
        if (TheScreenSettings) ++TheScreenSettings->day;
        if (Win01Window* panel = MainPanel()) panel->ShowDateLine();
    }
    platform::HWND SocketWindow() const override { return AppWindow.window; }

private:
    int8_t ownSlot_ = 0;
    uint8_t spare_[playerslot::kCount][playerslot::kSize] = {};
};

// The room's port; KARDOL_ROOM_PORT moves it (tests run rooms side by side).
NetConfig ProgramNetConfig() {
    NetConfig config;
    config.port = platform::ConfiguredPort("KARDOL_ROOM_PORT", config.port);
    // The room listens where the lobby does: on the address it is given, or on every one.
    if (const char* bind = std::getenv("KARDOL_BIND_ADDRESS");
        bind && *bind && platform::ParseDottedAddress(bind) != platform::kAddressNone)
        config.ownAddress = bind;
    return config;
}

bool SessionRunning() {
    return TheNetSession && TheNetSession->sessionActive;
}

} // namespace

NetSession& ProgramNetSession() {
    // Made once and kept to the end of the run: the receive thread may outlive static teardown.
    static NetSession* session = new NetSession(*new ProgramNetSide, ProgramNetConfig());
    TheNetSession = session;
    return *session;
}

void PollGameCommands() {
    if (SessionRunning()) TheNetSession->PollGameCommands();
}

void NetSendHeartbeat() {
    if (SessionRunning()) TheNetSession->NetSendHeartbeat();
}

void NetHeartbeatTick() {
    if (SessionRunning()) TheNetSession->NetHeartbeatTick();
}

void NetCheckHost() {
    if (SessionRunning()) TheNetSession->NetCheckHost();
}

void RunNetworkFrameHooks() {
    if (SessionRunning()) TheNetSession->RunFrameHooks();
}

void CloseTcpSession() {
    if (TheNetSession) TheNetSession->CloseTcpSession();
}

void NetCmdAdvanceDay() {
    ProgramNetSession().NetCmdAdvanceDay();
}
