#include "events/EventFile.h"

#include "engine/ByteReader.h"
#include "events/EventRecord.h"
#include "platform/Files.h"

#include <cstdio>
#include <cstring>
#include <string>

using events::EventRecord;

namespace {
// An event takes at least its length and step-count words.
constexpr uint32_t kMinEventBytes = 8;

bool ReadWholeFile(const char* name, std::vector<uint8_t>& bytes) {
    const platform::HFILE file = platform::_lopen(name, 0);
    if (file == platform::HFILE_ERROR) return false;
    uint8_t chunk[4096];
    for (;;) {
        const uint32_t n = platform::_lread(file, chunk, sizeof chunk);
        if (n == static_cast<uint32_t>(platform::HFILE_ERROR)) {
            platform::_lclose(file);
            return false;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    platform::_lclose(file);
    return true;
}

void Append(LinkList& list, uintptr_t value) {
    list.Last();
    list.Add(value);
}
} // namespace

int ReadEventFile(std::span<const uint8_t> bytes, LinkList& events) {
    ByteReader in(bytes);
    const uint32_t count = in.u32();
    if (!in.ok() || count > in.remaining() / kMinEventBytes) return 0;
    std::vector<EventRecord*> read;
    read.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        auto* e = new EventRecord;
        if (!e->Load(in)) {
            delete e;
            for (EventRecord* r : read)
                delete r;
            return 0;
        }
        read.push_back(e);
    }
    // Bytes past the last event are an older, longer file's tail that the save wrote over.
    for (EventRecord* e : read)
        Append(events, reinterpret_cast<uintptr_t>(e));
    return 1;
}

void WriteEventFile(LinkList& events, ByteWriter& out) {
    out.u32(static_cast<uint32_t>(events.GetCount()));
    for (uintptr_t v = events.First(); v != 0; v = events.Next())
        reinterpret_cast<const EventRecord*>(v)->Save(out);
}

int LoadEventFile(const char* name, LinkList& events) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(name, bytes)) return 0;
    return ReadEventFile(bytes, events);
}

int SaveEventFile(const char* name, LinkList& events) {
    ByteWriter out;
    WriteEventFile(events, out);
    return platform::WriteFileAtomic(name, out.buffer().data(), out.size()) ? 1 : 0;
}

void DeleteEvents(LinkList& events) {
    for (uintptr_t v = events.First(); v != 0; v = events.Next())
        delete reinterpret_cast<EventRecord*>(v);
    events.RemoveAll();
}

int ReadHistoryText(std::string_view text, LinkList& events,
                    const std::function<bool(int32_t)>& officerExists) {
    std::vector<EventRecord*> stale;
    for (uintptr_t v = events.First(); v != 0; v = events.Next())
        if (reinterpret_cast<EventRecord*>(v)->Code() == kHistoryCode)
            stale.push_back(reinterpret_cast<EventRecord*>(v));
    for (EventRecord* e : stale) {
        events.RemoveValue(reinterpret_cast<uintptr_t>(e));
        delete e;
    }
    int added = 0;
    size_t pos = text.find('\n');
    if (pos == std::string_view::npos) return 0;
    ++pos;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        // A whole line, however long: the name is cut to its field, the numbers are not split.
        const std::string line(text.substr(pos, end - pos));
        pos = end + 1;
        char name[EventLayout::kNameBytes] = {};
        int general = 0, p4 = 0, p1 = 0, p2 = 0, p3 = 0, p5 = 0, p6 = 0;
        if (std::sscanf(line.c_str(), "%19s %i %i %i %i %i %i %i", name, &general, &p4, &p1, &p2, &p3, &p5,
                        &p6) < 1)
            continue;
        // A longer name leaves its tail in the line: skip it before the numbers.
        const size_t nameStart = line.find_first_not_of(" \t\r\v\f");
        const size_t nameEnd = line.find_first_of(" \t\r\v\f\n", nameStart);
        if (nameEnd != std::string::npos && nameEnd - nameStart > sizeof name - 1) {
            general = p4 = p1 = p2 = p3 = p5 = p6 = 0;
            std::sscanf(line.c_str() + nameEnd, "%i %i %i %i %i %i %i", &general, &p4, &p1, &p2, &p3, &p5,
                        &p6);
        }
        auto* e = new EventRecord;
        e->SetText(EventLayout::kName, EventLayout::kNameBytes, name);
        e->SetInt(EventLayout::kCode, kHistoryCode);
        e->SetInt(EventLayout::kGeneral, general);
        e->SetParam(4, p4);
        e->SetParam(1, p1);
        e->SetParam(2, p2);
        e->SetParam(3, p3);
        e->SetParam(5, p5);
        e->SetParam(6, p6);
        if (officerExists && officerExists(general)) e->SetEndState(kEventEnded);
        Append(events, reinterpret_cast<uintptr_t>(e));
        ++added;
    }
    return added;
}

int LoadHistoryFile(const char* name, LinkList& events, const std::function<bool(int32_t)>& officerExists) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(name, bytes)) return -1;
    return ReadHistoryText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                           events, officerExists);
}
