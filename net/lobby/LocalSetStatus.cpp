#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyWindows.h"

void Zu_LocalSet::ShowStatus(const char* text) {
    if (!statusPanel) statusPanel = new LobbyStatusPanel;
    statusPanel->Show(text);
    statusShown = true;
    statusTime = clock.Elapsed();
    statusState = state;
}

void Zu_LocalSet::UpdateStatus(int close) {
    if (!statusPanel) return;
    if (close == 1) {
        statusPanel->Close(1);
        statusPanel = nullptr;
        statusShown = false;
        return;
    }
    if (statusShown && (clock.Elapsed() - statusTime >= 2000 || state != statusState)) {
        statusPanel->Hide();
        statusShown = false;
    }
}
