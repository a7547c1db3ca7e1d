#include "platform/Mutex.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace platform {

namespace {

thread_local uint32_t lastError = 0;

// Named objects share one instance; each open holds a reference so CloseHandle of one opener
// leaves the others working.
class NamedTable {
public:
    std::mutex lock;
    std::map<std::string, KernelObject*> objects;
    std::map<KernelObject*, int> refs;
};
NamedTable& Table() {
    static NamedTable table;
    return table;
}

class MutexObject : public KernelObject {
public:
    bool Wait(uint32_t ms) override {
        std::unique_lock lock(m_);
        const auto self = std::this_thread::get_id();
        auto free = [&] { return count_ == 0 || owner_ == self; };
        if (ms == INFINITE)
            cv_.wait(lock, free);
        else if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), free))
            return false;
        owner_ = self;
        ++count_;
        return true;
    }
    bool Release() {
        std::lock_guard lock(m_);
        if (count_ == 0 || owner_ != std::this_thread::get_id()) return false;
        if (--count_ == 0) {
            owner_ = {};
            cv_.notify_one();
        }
        return true;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::thread::id owner_;
    int count_ = 0;
};

class EventObject : public KernelObject {
public:
    EventObject(bool manual, bool state) : manual_(manual), state_(state) {}
    bool Wait(uint32_t ms) override {
        std::unique_lock lock(m_);
        auto set = [&] { return state_; };
        if (ms == INFINITE)
            cv_.wait(lock, set);
        else if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), set))
            return false;
        if (!manual_) state_ = false;
        return true;
    }
    void Set(bool on) {
        std::lock_guard lock(m_);
        state_ = on;
        if (on) cv_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool manual_;
    bool state_;
};

template <class Make>
HANDLE OpenOrCreate(const char* name, Make make, bool& existed) {
    existed = false;
    if (!name || !*name) return make();
    NamedTable& t = Table();
    std::lock_guard lock(t.lock);
    auto it = t.objects.find(name);
    if (it != t.objects.end()) {
        existed = true;
        ++t.refs[it->second];
        return it->second;
    }
    HANDLE h = make();
    t.objects[name] = h;
    t.refs[h] = 1;
    return h;
}

} // namespace

HANDLE CreateMutexA(void*, int initialOwner, const char* name) {
    bool existed = false;
    HANDLE h = OpenOrCreate(
        name, [] { return new MutexObject; }, existed);
    lastError = existed ? ERROR_ALREADY_EXISTS : 0;
    if (initialOwner && !existed) h->Wait(INFINITE);
    return h;
}

int ReleaseMutex(HANDLE mutex) {
    auto* m = dynamic_cast<MutexObject*>(mutex);
    return m && m->Release() ? 1 : 0;
}

HANDLE CreateEventA(void*, int manualReset, int initialState, const char* name) {
    bool existed = false;
    HANDLE h = OpenOrCreate(
        name, [&] { return new EventObject(manualReset != 0, initialState != 0); }, existed);
    lastError = existed ? ERROR_ALREADY_EXISTS : 0;
    return h;
}

int SetEvent(HANDLE event) {
    auto* e = dynamic_cast<EventObject*>(event);
    if (!e) return 0;
    e->Set(true);
    return 1;
}

int ResetEvent(HANDLE event) {
    auto* e = dynamic_cast<EventObject*>(event);
    if (!e) return 0;
    e->Set(false);
    return 1;
}

uint32_t WaitForSingleObject(HANDLE handle, uint32_t milliseconds) {
    if (!handle) return WAIT_FAILED;
    return handle->Wait(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

int CloseHandle(HANDLE handle) {
    if (!handle) return 0;
    NamedTable& t = Table();
    {
        std::lock_guard lock(t.lock);
        auto r = t.refs.find(handle);
        if (r != t.refs.end()) {
            if (--r->second > 0) return 1;
            t.refs.erase(r);
            for (auto it = t.objects.begin(); it != t.objects.end(); ++it) {
                if (it->second == handle) {
                    t.objects.erase(it);
                    break;
                }
            }
        }
    }
    delete handle;
    return 1;
}

uint32_t GetLastMutexError() {
    return lastError;
}

struct CriticalSectionState {
    std::recursive_mutex mutex;
};

void InitializeCriticalSection(CRITICAL_SECTION* section) {
    if (section) section->state = new CriticalSectionState;
}
void EnterCriticalSection(CRITICAL_SECTION* section) {
    if (section && section->state) section->state->mutex.lock();
}
void LeaveCriticalSection(CRITICAL_SECTION* section) {
    if (section && section->state) section->state->mutex.unlock();
}
void DeleteCriticalSection(CRITICAL_SECTION* section) {
    if (!section) return;
    delete section->state;
    section->state = nullptr;
}

} // namespace platform
