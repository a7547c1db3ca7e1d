#include "gui/DeferredDelete.h"

#include "gui/RootObject.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<RootObject*>& Pending() {
    static std::vector<RootObject*> pending;
    return pending;
}

int ScopeDepth = 0;
bool Flushing = false;

} // namespace

void DeferDelete(RootObject* object) {
    if (!object) return;
    auto& pending = Pending();
    if (std::find(pending.begin(), pending.end(), object) == pending.end()) pending.push_back(object);
}

void CancelDeferredDelete(RootObject* object) {
    auto& pending = Pending();
    pending.erase(std::remove(pending.begin(), pending.end(), object), pending.end());
}

void FlushDeferredDeletes() {
    if (ScopeDepth > 0 || Flushing) return;
    Flushing = true;
    auto& pending = Pending();
    // Deleting one object may queue more (a panel's children); take them one at a time so a
    // destructor that cancels another entry never sees a stale copy of the queue.
    while (!pending.empty()) {
        RootObject* object = pending.front();
        pending.erase(pending.begin());
        delete object;
    }
    Flushing = false;
}

int PendingDeleteCount() {
    return static_cast<int>(Pending().size());
}

DeferredDeleteScope::DeferredDeleteScope() {
    ++ScopeDepth;
}

DeferredDeleteScope::~DeferredDeleteScope() {
    if (--ScopeDepth == 0) FlushDeferredDeletes();
}
