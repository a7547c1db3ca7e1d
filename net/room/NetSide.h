#pragma once

#include "platform/Messages.h"

#include <cstddef>
#include <cstdint>

// What the session reads and writes of the game it runs in: the controller's network fields, the
// chat line, the calendar and the window that socket events go to. The program has one; tests give
// each station its own.
class NetSide {
public:
    virtual ~NetSide() = default;

    // The game's networked byte.
    virtual bool Networked() const = 0;
    // Player slot 0..19 (148 bytes each).
    virtual uint8_t* Slot(size_t index) = 0;
    virtual int8_t OwnSlotIndex() const = 0;
    virtual void SetOwnSlotIndex(int8_t index) = 0;
    // The game's view of the host role.
    virtual void SetHostByte(uint8_t value) = 0;
    // A session starts: the battle frame's network hooks are off and its step threshold is 13.
    virtual void OnSessionInit() = 0;
    // A line in the main panel's chat (main thread only).
    virtual void AddChatLine(const char* text, int colour) = 0;
    virtual bool MainPanelExists() const = 0;
    // A battle is running (the room is closed).
    virtual bool InBattle() const = 0;
    // One calendar day passes and the date line is redrawn.
    virtual void AdvanceDay() = 0;
    // The window that receives the socket messages 200 and 201.
    virtual platform::HWND SocketWindow() const = 0;
};
