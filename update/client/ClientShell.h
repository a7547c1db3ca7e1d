#pragma once

#include "platform/Messages.h"
#include "update/client/ClientLog.h"
#include "update/client/UpdateSession.h"

#include <string>
#include <vector>

// The update client program: one running copy, the server's address, a small window with the log,
// and the update session.
class ClientShell {
public:
    static constexpr const char* kTitle = "Kardol Update Client";
    static constexpr size_t kWordSize = 260;

    ClientShell();
    ~ClientShell();
    ClientShell(const ClientShell&) = delete;
    ClientShell& operator=(const ClientShell&) = delete;

    // The shell whose window is open, for the window procedure.
    static ClientShell* Current();

    // `words` are the command-line words after the program's name. 0 when another copy runs or the
    // window could not be made, else 1 after the session.
    int ClientMain(const std::vector<std::string>& words, int show);
    bool ClientCreateWindow(int show);
    // Handles at most one waiting message.
    void PumpOneMessage();
    static platform::LRESULT WindowProc(platform::HWND window, platform::UINT message,
                                        platform::WPARAM wParam, platform::LPARAM lParam);

    std::string serverAddress;
    std::string words[3];
    int restart = 0;
    bool active = false;
    platform::HWND window = nullptr;
    ClientLog log;
    UpdateSession session;
};
