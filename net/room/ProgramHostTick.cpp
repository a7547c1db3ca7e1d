#include "net/NetHooks.h"
#include "net/room/NetSession.h"

int NetQueueFlushFlag() {
    return TheNetSession && TheNetSession->sessionActive ? 1 : 0;
}

void NetHostTick() {
    if (NetQueueFlushFlag()) TheNetSession->NetHostTick();
}
