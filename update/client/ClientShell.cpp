#include "update/client/ClientShell.h"

#include "platform/MessageBox.h"
#include "platform/Time.h"
#include "platform/Window.h"
#include "update/client/ProfileString.h"

#include <filesystem>

using namespace platform;

namespace {

ClientShell* current = nullptr;

constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
// The server asked when "UpDate.Ini" names none.
constexpr const char* kDefaultServer = "127.0.0.1";

} // namespace

ClientShell::ClientShell() : session(*this) {}

ClientShell::~ClientShell() {
    if (window) DestroyWindow(window);
    if (current == this) current = nullptr;
}

ClientShell* ClientShell::Current() {
    return current;
}

int ClientShell::ClientMain(const std::vector<std::string>& commandWords, int show) {
    if (HWND running = FindWindowA(kTitle, kTitle)) {
        if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
        return 0;
    }
    const std::string iniFile = std::filesystem::current_path().string() + "/UpDate.Ini";
    serverAddress = GetPrivateProfileString("Update", "IPAddress", kDefaultServer,
                                            std::filesystem::path(iniFile).filename().c_str(), 260);
    restart = 0;
    if (commandWords.size() >= 3) {
        for (int i = 0; i < 3; ++i)
            words[i] = commandWords[i].substr(0, kWordSize - 1);
        serverAddress = words[0];
        restart = 1;
    }
    if (!ClientCreateWindow(show)) return 0;

    for (;;) {
        MSG msg;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessage(&msg, nullptr, 0, 0)) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        } else if (active) {
            break;
        } else {
            Sleep(10);
        }
    }
    session.RunUpdateSession();
    return 1;
}

bool ClientShell::ClientCreateWindow(int show) {
    current = this;
    WNDCLASSA wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.lpszMenuName = kTitle;
    wc.lpszClassName = kTitle;
    if (!RegisterClassA(&wc)) {
        MessageBoxA(nullptr, "RegisterClass Error", kTitle, MB_OK);
        return false;
    }
    // The window layer adds its own frame and caption: it is given the client area.
    window = CreateWindowExA(0, kTitle, kTitle, WS_VISIBLE | WS_CAPTION | WS_MINIMIZEBOX, 0, 0,
                             ClientLog::kWidth, ClientLog::kHeight, nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        MessageBoxA(nullptr, "Create Window Error", kTitle, MB_OK);
        return false;
    }
    ShowWindow(window, show);
    return true;
}

void ClientShell::PumpOneMessage() {
    MSG msg;
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
    if (GetMessage(&msg, nullptr, 0, 0) <= 0) return;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
}

LRESULT ClientShell::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ClientShell* shell = current;
    switch (message) {
    case WM_DESTROY:
        return 1;
    case WM_ACTIVATEAPP:
        if (shell) {
            shell->active = wParam == 1;
            shell->log.MarkDirty();
        }
        break;
    case WM_CHAR:
        if (shell && shell->session.state == UpdateSession::ShowingFailure)
            shell->session.state = UpdateSession::Closing;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
