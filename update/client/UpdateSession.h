#pragma once

#include "engine/FrameClock.h"
#include "update/client/UpdateDatagram.h"
#include "update/client/UpdateEventBox.h"
#include "update/client/UpdateFileTable.h"

#include <cstdint>
#include <string>

class ClientShell;
class GameFolder;

// The update client's whole job: tell the update server the installed version, receive the files
// that differ, write them into the game folder and start the game again.
class UpdateSession {
public:
    enum State {
        Start = 1,
        Opening = 2,
        Receiving = 200,
        ShowingFailure = 300,
        Closing = 9000,
        Finished = 9999
    };

    static constexpr uint32_t kConnectSeconds = 20;
    static constexpr uint32_t kFinishMs = 30000;
    // Once the server has spoken, this long without a datagram ends the session as a failure.
    static constexpr uint32_t kSilenceMs = 60000;

    explicit UpdateSession(ClientShell& shell);
    ~UpdateSession();
    UpdateSession(const UpdateSession&) = delete;
    UpdateSession& operator=(const UpdateSession&) = delete;

    // Runs the session to its end, then restarts the game when the client was started by it.
    void RunUpdateSession();

    int state = Start;
    std::string gameFolder;
    uint8_t version[UpdateDatagram::kVersionText] = {};
    bool receivedAny = false;
    Zu_FrameClock clock;
    UpdateEventBox events;
    UpdateFileTable files;
    // Set when a file could not be updated or the server could not be reached.
    bool failed = false;

private:
    void Step();
    bool ReadRegistry();
    void Dispatch();
    void OnFileHeader(const uint8_t* bytes, size_t size);
    void OnFileData(const uint8_t* bytes, size_t size);
    void HandleEvents();
    void FinishTransfer();
    void WriteGameFiles();
    void Restart();
    void Fail(const char* line, const char* detail);

    ClientShell& shell_;
    GameFolder* folder_ = nullptr;
    uint32_t lastHeard_ = 0;
    bool allSentHandled_ = false;
};
