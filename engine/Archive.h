#pragma once

#include "engine/RomFormat.h"
#include "platform/Files.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Reader (and the archive-building side's writer) of a `.Rom` packed archive file. Entries may be
// stored as they are or lh5-packed. Every offset and size from the file is checked against the file
// before it is used: a bad entry reads as none, a bad header or table fails the open.
class Zu_Archive {
public:
    using Buffer = std::vector<uint8_t>;

    // Lines the error records carry.
    static constexpr int32_t kLineOpen = 34;
    static constexpr int32_t kLineTable = 40;
    static constexpr int32_t kLineVersion = 46;
    static constexpr int32_t kLineRows = 100;

    Zu_Archive();
    ~Zu_Archive();
    Zu_Archive(const Zu_Archive&) = delete;
    Zu_Archive& operator=(const Zu_Archive&) = delete;

    // openFlags and shareFlags are the platform's _lopen access and share modes; the permission mode
    // has no meaning for an existing file and is kept for callers' sake. expectedVersion -1 and a null
    // signature accept any. 1 on success, 0 with the file closed otherwise.
    int Open(const char* path, int openFlags, int shareFlags, int permissionMode, int expectedVersion,
             const char* expectedSignature);
    void Close();
    bool IsOpen() const { return handle != platform::HFILE_ERROR; }

    int GetCount() const;
    // The entry's data, unpacked when the entry is packed and bit 0 of `unpack` is set.
    std::optional<Buffer> ReadEntry(int index, int unpack);
    // The unpacked size of a packed entry, else the stored size; 0 for a bad index or entry.
    uint32_t GetEntrySize(int index);
    // Low and high halves of the flags word and of the further value; 0 when the index is bad.
    int GetEntryInfo(int index, uint16_t* flagsLow, uint16_t* flagsHigh, uint16_t* extraLow,
                     uint16_t* extraHigh) const;
    // The first `length` bytes of the stored data; the count read (short past the entry's end, the
    // rest of the buffer zeroed), 0 on a bad index.
    uint32_t ReadRaw(int index, void* buffer, uint32_t length);
    // Width and height of a stored picture entry; both 0 (and 0 returned) unless its pixels fit.
    int ReadPictureSize(int index, int* width, int* height);
    // Reads `rows` rows of `width` pixels from the stored picture into dest, pitch bytes apart. A row
    // that cannot be read in full is recorded once and zeroed with the rows after it. Returns 1 when
    // every row was read.
    int ReadPictureRows(int index, uint8_t* dest, int width, int rows, int pitch, int convert, uint16_t key);
    // The entry whose name equals `name` without regard to ASCII case, read with unpacking.
    std::optional<Buffer> FindByName(const char* name, uint32_t* size);

    // Writer side, for the archive-building tools (open with OF_READWRITE). 1 on success.
    int ResizeEntry(int index, uint32_t newSize);
    int WriteEntryData(int index, const void* data);
    int WriteHeader();

    int GetVersion() const { return header.version; }
    const char* GetSignature() const { return header.signature; }
    uint32_t GetEntryBytes() const { return entrySize; }
    const std::string& GetPath() const { return path; }
    // The entry as the table holds it; false for a bad index.
    bool GetEntry(int index, RomFormat::Entry& out) const;

private:
    bool Fail(int32_t line, int32_t kind);
    // Entry `index` when its stored bytes lie inside the file.
    bool ValidEntry(int index, RomFormat::Entry& out) const;
    bool ReadAt(uint32_t offset, void* buffer, uint32_t length);
    bool WriteAt(uint32_t offset, const void* buffer, uint32_t length);
    bool MoveData(int index, int64_t delta);
    void PutEntry(int index, const RomFormat::Entry& entry);

    uint32_t entrySize = RomFormat::kBaseEntrySize;
    RomFormat::Header header;
    platform::HFILE handle = platform::HFILE_ERROR;
    Buffer table;
    std::string path;
    uint64_t fileSize = 0;
};
