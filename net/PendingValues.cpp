#include "net/PendingValues.h"

int32_t PendingValues::Base(uint64_t key, int32_t current) const {
    auto it = pending_.find(key);
    if (it == pending_.end() || it->second.empty()) return current;
    return it->second.back().effective;
}

void PendingValues::Sent(uint64_t key, int32_t raw, int32_t effective) {
    std::deque<Entry>& q = pending_[key];
    q.push_back({raw, effective});
    // A host that never answers must not make the list grow without end.
    if (q.size() > 64) q.pop_front();
}

void PendingValues::Echo(uint64_t key, int32_t raw) {
    auto it = pending_.find(key);
    if (it == pending_.end()) return;
    std::deque<Entry>& q = it->second;
    for (size_t i = 0; i < q.size(); ++i) {
        if (q[i].raw != raw) continue;
        q.erase(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        break;
    }
    if (q.empty()) pending_.erase(it);
}

PendingValues& ClientPendingValues() {
    static PendingValues values;
    return values;
}
