// The writer side of Zu_Archive, used by the archive-building tools: entries change size in place and
// the data of the entries after them moves along.
#include "engine/Archive.h"

#include <algorithm>
#include <numeric>

using namespace RomFormat;

namespace {
constexpr uint64_t kMaxFile = 0x7FFFFFFFu; // positions are 32-bit signed seeks
} // namespace

bool Zu_Archive::MoveData(int index, int64_t delta) {
    Entry e;
    if (!GetEntry(index, e)) return false;
    const int64_t target = static_cast<int64_t>(e.offset) + delta;
    if (target < 0 || static_cast<uint64_t>(target) + e.size > kMaxFile) return false;
    if (e.size) {
        if (!InsideFile(e, fileSize)) return false;
        Buffer data(e.size);
        if (!ReadAt(e.offset, data.data(), e.size) ||
            !WriteAt(static_cast<uint32_t>(target), data.data(), e.size))
            return false;
    }
    e.offset = static_cast<uint32_t>(target);
    PutEntry(index, e);
    return true;
}

int Zu_Archive::ResizeEntry(int index, uint32_t newSize) {
    if (!IsOpen() || index < 0 || index >= 0xFFFF) return 0;
    const int count = header.count;
    if (index >= count) {
        const size_t newCount = static_cast<size_t>(index) + 1;
        const uint64_t tableEnd = kHeaderSize + static_cast<uint64_t>(newCount) * entrySize;
        // The grown table must not cover data already there: move all data past its new end.
        uint64_t lowest = UINT64_MAX;
        for (int i = 0; i < count; ++i) {
            Entry e;
            GetEntry(i, e);
            if (e.size) lowest = std::min<uint64_t>(lowest, e.offset);
        }
        Buffer grown(newCount * entrySize, 0);
        std::copy(table.begin(), table.end(), grown.begin());
        table.swap(grown);
        header.count = header.count2 = static_cast<uint16_t>(newCount);
        if (lowest < tableEnd) {
            std::vector<int> order(static_cast<size_t>(count));
            std::iota(order.begin(), order.end(), 0);
            std::sort(order.begin(), order.end(), [&](int a, int b) {
                Entry ea, eb;
                GetEntry(a, ea);
                GetEntry(b, eb);
                return ea.offset > eb.offset;
            });
            for (int i : order)
                if (!MoveData(i, static_cast<int64_t>(tableEnd - lowest))) return 0;
        }
        Entry last;
        uint64_t next = tableEnd;
        if (count > 0 && GetEntry(count - 1, last))
            next = std::max<uint64_t>(next, uint64_t{last.offset} + last.size);
        if (next + newSize > kMaxFile) return 0;
        for (size_t i = static_cast<size_t>(count); i < newCount; ++i) {
            Entry fresh;
            fresh.offset = static_cast<uint32_t>(next);
            PutEntry(static_cast<int>(i), fresh);
        }
    } else {
        Entry e;
        GetEntry(index, e);
        const int64_t delta = static_cast<int64_t>(newSize) - static_cast<int64_t>(e.size);
        if (static_cast<uint64_t>(e.offset) + newSize > kMaxFile) return 0;
        if (delta > 0) {
            for (int i = count - 1; i > index; --i)
                if (!MoveData(i, delta)) return 0;
        } else if (delta < 0) {
            for (int i = index + 1; i < count; ++i)
                if (!MoveData(i, delta)) return 0;
        }
    }
    Entry e;
    GetEntry(index, e);
    e.size = newSize;
    PutEntry(index, e);
    return WriteHeader();
}

int Zu_Archive::WriteEntryData(int index, const void* data) {
    Entry e;
    if (!GetEntry(index, e) || (!data && e.size)) return 0;
    return WriteAt(e.offset, data, e.size) ? 1 : 0;
}

int Zu_Archive::WriteHeader() {
    if (!IsOpen()) return 0;
    uint8_t bytes[kHeaderSize];
    WriteHeaderBytes(header, bytes);
    if (!WriteAt(0, bytes, kHeaderSize)) return 0;
    return WriteAt(kHeaderSize, table.data(), static_cast<uint32_t>(table.size())) ? 1 : 0;
}
