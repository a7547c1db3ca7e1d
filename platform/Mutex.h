#pragma once

#include <cstdint>
#include <memory>

// Mutexes, events and critical sections with the waits the game relies on: a mutex may be taken
// again by the thread that owns it, a timed wait answers WAIT_TIMEOUT, and a named object is one
// object for every opener in the process.
namespace platform {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Returns true once the object was acquired or signalled within the time.
    virtual bool Wait(uint32_t milliseconds) = 0;
};
using HANDLE = KernelObject*;

constexpr uint32_t INFINITE = 0xFFFFFFFFu;
constexpr uint32_t WAIT_OBJECT_0 = 0;
constexpr uint32_t WAIT_ABANDONED = 0x80;
constexpr uint32_t WAIT_TIMEOUT = 258;
constexpr uint32_t WAIT_FAILED = 0xFFFFFFFFu;
constexpr uint32_t ERROR_ALREADY_EXISTS = 183;

HANDLE CreateMutexA(void* attributes, int initialOwner, const char* name);
int ReleaseMutex(HANDLE mutex);
HANDLE CreateEventA(void* attributes, int manualReset, int initialState, const char* name);
int SetEvent(HANDLE event);
int ResetEvent(HANDLE event);
uint32_t WaitForSingleObject(HANDLE handle, uint32_t milliseconds);
int CloseHandle(HANDLE handle);
// ERROR_ALREADY_EXISTS after a create call that opened an existing named object, else 0.
uint32_t GetLastMutexError();

struct CriticalSectionState;
struct CRITICAL_SECTION {
    CriticalSectionState* state = nullptr;
};
void InitializeCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);

} // namespace platform
