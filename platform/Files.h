#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// Files as the game sees them. Every name is a game name: relative to the working folder, "\" (or
// "/") between components, found case-insensitively one component at a time (ASCII letters only; the
// second byte of a double-byte Big5 character is never folded nor taken for a separator). A name that
// is absolute, carries a drive or climbs out with ".." is refused. A component that matches nothing
// keeps the case given, so a new file is created under the name the game wrote.
namespace platform {

using HFILE = int32_t;
constexpr HFILE HFILE_ERROR = -1;

// _lopen modes: the access in the low bits, a share mode above (accepted and ignored: POSIX files
// are not locked against each other).
constexpr int OF_READ = 0x0000;
constexpr int OF_WRITE = 0x0001;
constexpr int OF_READWRITE = 0x0002;
constexpr int OF_SHARE_COMPAT = 0x0000;
constexpr int OF_SHARE_EXCLUSIVE = 0x0010;
constexpr int OF_SHARE_DENY_WRITE = 0x0020;
constexpr int OF_SHARE_DENY_READ = 0x0030;
constexpr int OF_SHARE_DENY_NONE = 0x0040;

// _llseek origins.
constexpr int FILE_BEGIN = 0;
constexpr int FILE_CURRENT = 1;
constexpr int FILE_END = 2;

// Resolves a game name to a path relative to the working folder; none when the name is refused.
std::optional<std::string> ResolvePath(const char* name);

// Opens an existing file; HFILE_ERROR when it is missing or refused.
HFILE _lopen(const char* name, int mode);
// Creates (or empties) a file and opens it for reading and writing; the attribute is ignored.
HFILE _lcreat(const char* name, int attribute);
// Byte count read: short at the end of the file, 0 past it; (uint32_t)HFILE_ERROR on a bad handle.
uint32_t _lread(HFILE file, void* buffer, uint32_t count);
// Byte count written; (uint32_t)HFILE_ERROR on failure.
uint32_t _lwrite(HFILE file, const void* buffer, uint32_t count);
// New position from the start; a position past the end is allowed, one before the start is
// HFILE_ERROR.
int32_t _llseek(HFILE file, int32_t offset, int origin);
// 0, or HFILE_ERROR on a bad handle.
HFILE _lclose(HFILE file);

// The C runtime's fopen over a game name. Without "b" the file is in text mode, as the game's
// runtime defaults to: reading turns CR LF into LF (a lone CR stays), writing turns LF into CR LF, so
// text files written here read back the same here and in binary readers that expect CR LF. A text
// stream reports positions of the translated bytes only approximately: seek text files only to
// their start or end. Close with fclose.
FILE* fopen(const char* name, const char* mode);

// The three ways the stage files open a file: an existing file for reading; an existing file for
// writing from its start without truncating it, created when it is missing; a new or emptied file.
enum class FileOpenMode { Read, Overwrite, Create };
HFILE OpenFile(const char* name, FileOpenMode mode);

// Every byte of an existing file; none when it cannot be opened or read, or is larger than limit.
std::optional<std::vector<uint8_t>> ReadFileBytes(const char* name, size_t limit = size_t(1) << 30);

bool FileExists(const char* name);
bool DirectoryExists(const char* name);
bool DeleteFile(const char* name);
// Renames within the working folder, replacing an existing target.
bool RenameFile(const char* from, const char* to);
// Creates one folder; true when it exists afterwards.
bool CreateDirectory(const char* name);
// Removes an empty folder.
bool RemoveDirectory(const char* name);

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;
};
// Entries of a folder ("." and ".." left out), sorted by name; empty when the folder is missing.
std::vector<DirectoryEntry> ListDirectory(const char* name);

// Whole-file write for saves and edited files: the bytes go to a temporary file beside the target,
// which is flushed and renamed over it, so a failure never leaves a half-written file behind.
bool WriteFileAtomic(const char* name, const void* data, size_t size);

// The same for files written piecewise through a handle: write through handle(), then Commit.
// Destroying it without a successful Commit removes the temporary file and leaves the target as it
// was.
class AtomicFile {
public:
    explicit AtomicFile(const char* name);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // HFILE_ERROR when the temporary file could not be made.
    HFILE handle() const { return handle_; }
    bool Commit();

private:
    std::string target_;
    std::string temp_;
    HFILE handle_ = HFILE_ERROR;
};

} // namespace platform
