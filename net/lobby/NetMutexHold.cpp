#include "net/lobby/NetMutexHold.h"

NetMutexHold::NetMutexHold() : mutex_(platform::CreateMutexA(nullptr, 0, "NetMutex")) {}

NetMutexHold::~NetMutexHold() {
    while (depth_ > 0)
        Release();
    if (mutex_) platform::CloseHandle(mutex_);
}

void NetMutexHold::Take() {
    while (mutex_ && platform::WaitForSingleObject(mutex_, 2000) != platform::WAIT_OBJECT_0) {
    }
    ++depth_;
}

void NetMutexHold::Release() {
    if (depth_ == 0) return;
    --depth_;
    if (mutex_) platform::ReleaseMutex(mutex_);
}

NetMutexHold::Gap::Gap(NetMutexHold& hold) : hold_(hold), depth_(hold.depth_) {
    for (int n = 0; n < depth_; ++n)
        hold_.Release();
}

NetMutexHold::Gap::~Gap() {
    for (int n = 0; n < depth_; ++n)
        hold_.Take();
}
