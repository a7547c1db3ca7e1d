#pragma once

#include "platform/Mutex.h"

// The main thread's hold of "NetMutex" while it reads or writes the player slots that the room's
// receive thread fills. Re-entrant; every take waits in 2000 ms steps until it succeeds.
class NetMutexHold {
public:
    NetMutexHold();
    ~NetMutexHold();
    NetMutexHold(const NetMutexHold&) = delete;
    NetMutexHold& operator=(const NetMutexHold&) = delete;

    void Take();
    void Release();
    int Depth() const { return depth_; }

    // Held for a scope.
    class Scope {
    public:
        explicit Scope(NetMutexHold& hold) : hold_(hold) { hold_.Take(); }
        ~Scope() { hold_.Release(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        NetMutexHold& hold_;
    };

    // Let go for a scope: starting or closing the room waits for the receive thread, which needs
    // the mutex to finish its work.
    class Gap {
    public:
        explicit Gap(NetMutexHold& hold);
        ~Gap();
        Gap(const Gap&) = delete;
        Gap& operator=(const Gap&) = delete;

    private:
        NetMutexHold& hold_;
        int depth_;
    };

private:
    platform::HANDLE mutex_ = nullptr;
    int depth_ = 0;
};
