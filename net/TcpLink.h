#pragma once

#include "platform/Messages.h"

// Socket messages of the game session: 200 for the listening socket, 201 for a connection.
class TcpLink {
public:
    static void Accept(platform::HWND, platform::UINT, platform::WPARAM, platform::LPARAM) {}
    static void OnSocketEvent(platform::HWND, platform::UINT, platform::WPARAM, platform::LPARAM) {}
};
