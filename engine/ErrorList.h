#pragma once

#include <cstdint>
#include <memory>

// One failure noted by a loader: where it happened, what kind, and a detail value.
struct ErrorRecord {
    std::unique_ptr<char[]> fileText; // private copy of the caller's text
    const char* callerText = nullptr; // the caller's pointer as passed
    int32_t line = 0;
    int32_t kind = 0;
    int32_t param = 0;
    int32_t extra[3] = {0, 0, 0};
    ErrorRecord* next = nullptr;
};

// In-memory list of failures that never stops the program. The game only adds to the one
// program-wide list; its message-box report exists for tools and is never shown during play.
class Zu_ErrorList {
public:
    enum Kind : int32_t {
        KindNull = 0,
        KindOpen = 1,
        KindVersion = 2,
        KindRead = 3,
        KindMalloc = 4,
        KindInit = 5
    };

    // Shows one message: (owner window, text, caption, style); the platform's message box fits.
    using MessageBoxFn = int (*)(void* owner, const char* text, const char* caption, unsigned style);

    Zu_ErrorList() = default;
    ~Zu_ErrorList();
    Zu_ErrorList(const Zu_ErrorList&) = delete;
    Zu_ErrorList& operator=(const Zu_ErrorList&) = delete;

    static Zu_ErrorList& Global();

    void Add(const char* fileText, int32_t line, int32_t kind, int32_t param);
    void Clear();
    int32_t GetCount() const { return count; }

    // One message box per record, first to last, in the plain OK style.
    void Report(void* ownerWindow, const char* caption, MessageBoxFn messageBox);

    // The report's line for one record, cut to the buffer.
    static void FormatRecord(const ErrorRecord& record, char* buffer, size_t size);
    static const char* KindName(int32_t kind);

    const ErrorRecord* GetFirst() const { return first; }
    const ErrorRecord* GetCurrent() const { return current; }

private:
    ErrorRecord* current = nullptr;
    ErrorRecord* first = nullptr;
    int32_t count = 0;
};
