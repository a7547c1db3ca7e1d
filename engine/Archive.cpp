#include "engine/Archive.h"

#include "engine/ErrorList.h"
#include "engine/Lh5.h"

#include <cstring>
#include <new>

using namespace RomFormat;

Zu_Archive::Zu_Archive() = default;

Zu_Archive::~Zu_Archive() {
    Close();
}

void Zu_Archive::Close() {
    table.clear();
    table.shrink_to_fit();
    if (handle != platform::HFILE_ERROR) platform::_lclose(handle);
    handle = platform::HFILE_ERROR;
    header = Header{};
    entrySize = kBaseEntrySize;
    fileSize = 0;
}

bool Zu_Archive::Fail(int32_t line, int32_t kind) {
    if (kind != Zu_ErrorList::KindNull) Zu_ErrorList::Global().Add(path.c_str(), line, kind, 0);
    Close();
    return false;
}

int Zu_Archive::Open(const char* name, int openFlags, int shareFlags, int /*permissionMode*/,
                     int expectedVersion, const char* expectedSignature) {
    Close(); // a reader can be reused for another file
    path = name ? name : "";
    handle = platform::_lopen(path.c_str(), openFlags | shareFlags);
    if (handle == platform::HFILE_ERROR) return Fail(kLineOpen, Zu_ErrorList::KindOpen);

    const int32_t end = platform::_llseek(handle, 0, platform::FILE_END);
    if (end < 0 || platform::_llseek(handle, 0, platform::FILE_BEGIN) != 0)
        return Fail(kLineTable, Zu_ErrorList::KindRead);
    fileSize = static_cast<uint64_t>(end);

    uint8_t bytes[kHeaderSize];
    if (!ReadAt(0, bytes, kHeaderSize)) return Fail(kLineTable, Zu_ErrorList::KindRead);
    header = ParseHeader(bytes);
    entrySize = EntrySizeOf(header);
    const uint64_t tableBytes = static_cast<uint64_t>(header.count) * entrySize;
    if (entrySize == 0 || kHeaderSize + tableBytes > fileSize)
        return Fail(kLineTable, Zu_ErrorList::KindRead);
    table.assign(static_cast<size_t>(tableBytes), 0);
    if (!ReadAt(kHeaderSize, table.data(), static_cast<uint32_t>(tableBytes)))
        return Fail(kLineTable, Zu_ErrorList::KindRead);

    if (expectedVersion != -1 && header.version != expectedVersion)
        return Fail(kLineVersion, Zu_ErrorList::KindVersion);
    if (expectedSignature && std::strcmp(expectedSignature, header.signature) != 0)
        return Fail(kLineVersion, Zu_ErrorList::KindNull);
    return 1;
}

int Zu_Archive::GetCount() const {
    return IsOpen() ? header.count : 0;
}

bool Zu_Archive::GetEntry(int index, Entry& out) const {
    if (!IsOpen() || index < 0 || index >= header.count) return false;
    out = RomFormat::ReadEntry(table.data() + static_cast<size_t>(index) * entrySize);
    return true;
}

bool Zu_Archive::ValidEntry(int index, Entry& out) const {
    return GetEntry(index, out) && InsideFile(out, fileSize);
}

void Zu_Archive::PutEntry(int index, const Entry& entry) {
    WriteEntry(entry, table.data() + static_cast<size_t>(index) * entrySize);
}

bool Zu_Archive::ReadAt(uint32_t offset, void* buffer, uint32_t length) {
    if (offset > 0x7FFFFFFFu ||
        platform::_llseek(handle, static_cast<int32_t>(offset), platform::FILE_BEGIN) < 0)
        return false;
    return length == 0 || platform::_lread(handle, buffer, length) == length;
}

bool Zu_Archive::WriteAt(uint32_t offset, const void* buffer, uint32_t length) {
    if (offset > 0x7FFFFFFFu ||
        platform::_llseek(handle, static_cast<int32_t>(offset), platform::FILE_BEGIN) < 0)
        return false;
    if (length != 0 && platform::_lwrite(handle, buffer, length) != length) return false;
    if (offset + static_cast<uint64_t>(length) > fileSize) fileSize = offset + static_cast<uint64_t>(length);
    return true;
}

std::optional<Zu_Archive::Buffer> Zu_Archive::ReadEntry(int index, int unpack) {
    Entry e;
    if (!ValidEntry(index, e) || e.size == 0) return std::nullopt;
    Buffer stored;
    try {
        stored.resize(e.size);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!ReadAt(e.offset, stored.data(), e.size)) return std::nullopt;
    if (e.packed() && (unpack & 1)) return Lh5::Unpack(stored.data(), stored.size());
    return stored;
}

uint32_t Zu_Archive::GetEntrySize(int index) {
    Entry e;
    if (!ValidEntry(index, e)) return 0;
    if (!e.packed()) return e.size;
    uint8_t bytes[Lh5::kHeaderSize];
    Lh5::PackedHeader ph;
    if (e.size < Lh5::kHeaderSize || !ReadAt(e.offset, bytes, sizeof bytes) ||
        !Lh5::ReadPackedHeader(bytes, sizeof bytes, ph) || !Lh5::Plausible(ph, e.size))
        return 0;
    return ph.unpackedSize;
}

int Zu_Archive::GetEntryInfo(int index, uint16_t* flagsLow, uint16_t* flagsHigh, uint16_t* extraLow,
                             uint16_t* extraHigh) const {
    Entry e;
    const bool ok = GetEntry(index, e);
    if (!ok) e = Entry{};
    if (flagsLow) *flagsLow = static_cast<uint16_t>(e.flags);
    if (flagsHigh) *flagsHigh = static_cast<uint16_t>(e.flags >> 16);
    if (extraLow) *extraLow = static_cast<uint16_t>(e.extra);
    if (extraHigh) *extraHigh = static_cast<uint16_t>(e.extra >> 16);
    return ok ? 1 : 0;
}

uint32_t Zu_Archive::ReadRaw(int index, void* buffer, uint32_t length) {
    if (!buffer) return 0;
    if (length) std::memset(buffer, 0, length);
    Entry e;
    if (!ValidEntry(index, e)) return 0;
    const uint32_t n = length < e.size ? length : e.size;
    return ReadAt(e.offset, buffer, n) ? n : 0;
}

int Zu_Archive::ReadPictureSize(int index, int* width, int* height) {
    if (width) *width = 0;
    if (height) *height = 0;
    Entry e;
    uint8_t bytes[4];
    if (!ValidEntry(index, e) || e.size < kPicturePixels || !ReadAt(e.offset + kPictureHeaderSize, bytes, 4))
        return 0;
    const uint32_t w = bytes[0] | (bytes[1] << 8), h = bytes[2] | (bytes[3] << 8);
    if (kPicturePixels + static_cast<uint64_t>(w) * h * 2 > e.size) return 0;
    if (width) *width = static_cast<int>(w);
    if (height) *height = static_cast<int>(h);
    return 1;
}

int Zu_Archive::ReadPictureRows(int index, uint8_t* dest, int width, int rows, int pitch, int convert,
                                uint16_t key) {
    Entry e;
    if (!dest || width < 0 || rows < 0 || !ValidEntry(index, e)) return 0;
    const uint32_t rowBytes = static_cast<uint32_t>(width) * 2;
    // Rows are read only from the entry's own bytes; anything past them is a short read.
    uint64_t left = e.size > kPicturePixels ? e.size - kPicturePixels : 0;
    Buffer row(rowBytes);
    bool whole =
        platform::_llseek(handle, static_cast<int32_t>(e.offset + kPicturePixels), platform::FILE_BEGIN) >= 0;
    bool recorded = false;
    for (int y = 0; y < rows; ++y) {
        uint8_t* out = dest + static_cast<ptrdiff_t>(y) * pitch;
        if (whole && (rowBytes > left || platform::_lread(handle, row.data(), rowBytes) != rowBytes))
            whole = false;
        if (!whole && !recorded) {
            Zu_ErrorList::Global().Add(path.c_str(), kLineRows, Zu_ErrorList::KindRead, 0);
            recorded = true;
        }
        if (!whole) {
            std::memset(out, 0, rowBytes);
            continue;
        }
        left -= rowBytes;
        CopyRows(row.data(), out, width, 1, pitch, convert, key);
    }
    return whole ? 1 : 0;
}

std::optional<Zu_Archive::Buffer> Zu_Archive::FindByName(const char* name, uint32_t* size) {
    if (size) *size = 0;
    if (!IsOpen() || !name) return std::nullopt;
    for (int i = 0; i < header.count; ++i) {
        if (!SameName(EntryName(table.data() + static_cast<size_t>(i) * entrySize, entrySize), name))
            continue;
        if (size) *size = GetEntrySize(i);
        return ReadEntry(i, 1);
    }
    return std::nullopt;
}
