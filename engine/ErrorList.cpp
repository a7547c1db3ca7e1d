#include "engine/ErrorList.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr unsigned kMessageBoxOk = 0;
constexpr size_t kReportLine = 256;
const char* const kKindNames[6] = {"NULL", "Open", "Version", "Read", "Malloc", "Init"};
} // namespace

Zu_ErrorList& Zu_ErrorList::Global() {
    static Zu_ErrorList list;
    return list;
}

Zu_ErrorList::~Zu_ErrorList() {
    Clear();
}

void Zu_ErrorList::Add(const char* fileText, int32_t line, int32_t kind, int32_t param) {
    auto* record = new ErrorRecord;
    if (count < 1) {
        first = record;
        record->next = nullptr;
    } else {
        record->next = current->next;
        current->next = record;
    }
    current = record;

    const char* text = fileText ? fileText : "";
    const size_t len = std::strlen(text);
    record->fileText = std::make_unique<char[]>(len + 1);
    std::memcpy(record->fileText.get(), text, len + 1);
    record->callerText = fileText;
    record->line = line;
    record->kind = kind;
    record->param = param;
    ++count;
}

void Zu_ErrorList::Clear() {
    ErrorRecord* record = first;
    while (record && count > 0) {
        ErrorRecord* following = record->next;
        delete record;
        record = following;
        --count;
    }
    // Records past the count cannot exist; free any left all the same.
    while (record) {
        ErrorRecord* following = record->next;
        delete record;
        record = following;
    }
    first = nullptr;
    current = nullptr;
    count = 0;
}

const char* Zu_ErrorList::KindName(int32_t kind) {
    // The report names a kind by its remainder of 6; a negative kind has no name.
    return kind >= 0 ? kKindNames[kind % 6] : kKindNames[KindNull];
}

void Zu_ErrorList::FormatRecord(const ErrorRecord& record, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    std::snprintf(buffer, size, "Error file=%s,kind=%s,line=%d,param=%d",
                  record.fileText ? record.fileText.get() : "", KindName(record.kind), record.line,
                  record.param);
}

void Zu_ErrorList::Report(void* ownerWindow, const char* caption, MessageBoxFn messageBox) {
    current = first;
    const uint16_t shown = static_cast<uint16_t>(count);
    for (uint16_t i = 0; i < shown && current; ++i) {
        char text[kReportLine];
        FormatRecord(*current, text, sizeof text);
        if (messageBox) messageBox(ownerWindow, text, caption, kMessageBoxOk);
        if (current->next) current = current->next;
    }
}
