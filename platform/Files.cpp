#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool IsLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// Compares two names as the game's file system did: ASCII letters without case, the trail byte of
// a double-byte character exactly.
bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (IsLeadByte(ca) && i + 1 < a.size()) {
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (FoldAscii(ca) != FoldAscii(cb)) return false;
    }
    return true;
}

// Splits at "\" and "/", never inside a double-byte character.
std::vector<std::string> SplitComponents(const char* name) {
    std::vector<std::string> parts;
    std::string current;
    for (const char* p = name; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (IsLeadByte(c) && p[1] != '\0') {
            current += *p;
            current += *++p;
            continue;
        }
        if (c == '\\' || c == '/') {
            parts.push_back(current);
            current.clear();
            continue;
        }
        current += *p;
    }
    parts.push_back(current);
    return parts;
}

bool PathExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& dir, const std::string& name) {
    return dir == "." ? name : dir + "/" + name;
}

// The entry of dir whose name matches without case; the first in byte order when several do.
std::optional<std::string> FindEntry(const std::string& dir, const std::string& wanted) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return std::nullopt;
    std::optional<std::string> best;
    while (dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (entry == "." || entry == "..") continue;
        if (SameNameIgnoringCase(entry, wanted) && (!best || entry < *best)) best = entry;
    }
    ::closedir(d);
    return best;
}

bool IsDirectoryPath(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// A temporary file beside the target, readable like any file the game writes.
int MakeTempBeside(const std::string& target, std::string& tempPath) {
    tempPath = target + ".tmp-XXXXXX";
    std::vector<char> buffer(tempPath.begin(), tempPath.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) return -1;
    tempPath = buffer.data();
    ::fchmod(fd, 0644);
    return fd;
}

// Text-mode streams: a cookie over the raw file that translates line ends.
struct TextStream {
    FILE* raw;
};

ssize_t TextRead(void* cookie, char* buffer, size_t size) {
    FILE* raw = static_cast<TextStream*>(cookie)->raw;
    size_t n = 0;
    while (n < size) {
        const int c = std::getc(raw);
        if (c == EOF) break;
        if (c == '\r') {
            const int next = std::getc(raw);
            if (next == '\n') {
                buffer[n++] = '\n';
                continue;
            }
            if (next != EOF) std::ungetc(next, raw);
        }
        buffer[n++] = static_cast<char>(c);
    }
    if (n == 0 && std::ferror(raw)) return -1;
    return static_cast<ssize_t>(n);
}

ssize_t TextWrite(void* cookie, const char* buffer, size_t size) {
    FILE* raw = static_cast<TextStream*>(cookie)->raw;
    for (size_t i = 0; i < size; ++i) {
        if (buffer[i] == '\n' && std::putc('\r', raw) == EOF) return 0;
        if (std::putc(buffer[i], raw) == EOF) return 0;
    }
    return static_cast<ssize_t>(size);
}

int TextSeek(void* cookie, off64_t* offset, int whence) {
    FILE* raw = static_cast<TextStream*>(cookie)->raw;
    if (::fseeko(raw, *offset, whence) != 0) return -1;
    *offset = ::ftello(raw);
    return 0;
}

int TextClose(void* cookie) {
    auto* stream = static_cast<TextStream*>(cookie);
    const int result = std::fclose(stream->raw);
    delete stream;
    return result;
}

} // namespace

std::optional<std::string> ResolvePath(const char* name) {
    if (!name || !*name) return std::nullopt;
    if (name[0] == '\\' || name[0] == '/') return std::nullopt;
    if (std::strchr(name, ':')) return std::nullopt; // a drive or a stream name

    std::vector<std::string> wanted;
    for (auto& part : SplitComponents(name)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        wanted.push_back(std::move(part));
    }
    if (wanted.empty()) return std::string(".");

    std::string path = ".";
    bool found = true; // once a component is missing, nothing below it can exist
    for (const auto& part : wanted) {
        std::string chosen = part;
        if (found && !PathExists(Join(path, part))) {
            if (auto entry = FindEntry(path, part)) {
                chosen = *entry;
            } else {
                found = false;
            }
        }
        path = Join(path, chosen);
    }
    return path;
}

HFILE _lopen(const char* name, int mode) {
    const auto path = ResolvePath(name);
    if (!path) return HFILE_ERROR;
    int flags = O_RDONLY;
    switch (mode & 0x3) {
    case OF_READ:
        flags = O_RDONLY;
        break;
    case OF_WRITE:
        flags = O_WRONLY;
        break;
    case OF_READWRITE:
        flags = O_RDWR;
        break;
    default:
        return HFILE_ERROR;
    }
    const int fd = ::open(path->c_str(), flags | O_CLOEXEC);
    if (fd < 0) return HFILE_ERROR;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return HFILE_ERROR;
    }
    return fd;
}

HFILE _lcreat(const char* name, int /*attribute*/) {
    const auto path = ResolvePath(name);
    if (!path) return HFILE_ERROR;
    const int fd = ::open(path->c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd < 0 ? HFILE_ERROR : fd;
}

HFILE OpenFile(const char* name, FileOpenMode mode) {
    switch (mode) {
    case FileOpenMode::Read:
        return _lopen(name, OF_READ);
    case FileOpenMode::Overwrite: {
        const auto path = ResolvePath(name);
        if (!path || IsDirectoryPath(*path)) return HFILE_ERROR;
        const int fd = ::open(path->c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        return fd < 0 ? HFILE_ERROR : fd;
    }
    case FileOpenMode::Create:
        return _lcreat(name, 0);
    }
    return HFILE_ERROR;
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const char* name, size_t limit) {
    const HFILE file = _lopen(name, OF_READ);
    if (file == HFILE_ERROR) return std::nullopt;
    std::vector<uint8_t> bytes;
    const int32_t end = _llseek(file, 0, FILE_END);
    bool good = end >= 0 && size_t(end) <= limit && _llseek(file, 0, FILE_BEGIN) == 0;
    if (good) {
        bytes.resize(size_t(end));
        good = bytes.empty() || _lread(file, bytes.data(), uint32_t(bytes.size())) == bytes.size();
    }
    _lclose(file);
    if (!good) return std::nullopt;
    return bytes;
}

uint32_t _lread(HFILE file, void* buffer, uint32_t count) {
    auto* p = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(file, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return static_cast<uint32_t>(HFILE_ERROR);
        }
        if (n == 0) break;
        done += static_cast<uint32_t>(n);
    }
    return done;
}

uint32_t _lwrite(HFILE file, const void* buffer, uint32_t count) {
    // A write of nothing ends the file at the current position, as the old handle calls did.
    if (count == 0) {
        const off_t here = ::lseek(file, 0, SEEK_CUR);
        if (here < 0 || ::ftruncate(file, here) != 0) return static_cast<uint32_t>(HFILE_ERROR);
        return 0;
    }
    if (!WriteAll(file, buffer, count)) return static_cast<uint32_t>(HFILE_ERROR);
    return count;
}

int32_t _llseek(HFILE file, int32_t offset, int origin) {
    int whence;
    switch (origin) {
    case FILE_BEGIN:
        whence = SEEK_SET;
        break;
    case FILE_CURRENT:
        whence = SEEK_CUR;
        break;
    case FILE_END:
        whence = SEEK_END;
        break;
    default:
        return HFILE_ERROR;
    }
    const off_t pos = ::lseek(file, offset, whence);
    if (pos < 0 || pos > INT32_MAX) return HFILE_ERROR;
    return static_cast<int32_t>(pos);
}

HFILE _lclose(HFILE file) {
    return (file >= 0 && ::close(file) == 0) ? 0 : HFILE_ERROR;
}

FILE* fopen(const char* name, const char* mode) {
    const auto path = ResolvePath(name);
    if (!path || !mode) return nullptr;
    std::string rawMode;
    bool binary = false;
    for (const char* m = mode; *m; ++m) {
        if (*m == 'b') binary = true;
        if (*m != 't' && *m != 'b') rawMode += *m;
    }
    rawMode += 'b';
    FILE* raw = std::fopen(path->c_str(), rawMode.c_str());
    if (!raw || binary) return raw;
    auto* stream = new TextStream{raw};
    rawMode.pop_back();
    FILE* text = ::fopencookie(stream, rawMode.c_str(), {TextRead, TextWrite, TextSeek, TextClose});
    if (!text) {
        std::fclose(raw);
        delete stream;
    }
    return text;
}

bool FileExists(const char* name) {
    const auto path = ResolvePath(name);
    struct stat st;
    return path && ::stat(path->c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const char* name) {
    const auto path = ResolvePath(name);
    return path && IsDirectoryPath(*path);
}

bool DeleteFile(const char* name) {
    const auto path = ResolvePath(name);
    return path && ::unlink(path->c_str()) == 0;
}

bool RenameFile(const char* from, const char* to) {
    const auto source = ResolvePath(from);
    const auto target = ResolvePath(to);
    return source && target && std::rename(source->c_str(), target->c_str()) == 0;
}

bool CreateDirectory(const char* name) {
    const auto path = ResolvePath(name);
    if (!path) return false;
    ::mkdir(path->c_str(), 0755);
    return IsDirectoryPath(*path);
}

bool RemoveDirectory(const char* name) {
    const auto path = ResolvePath(name);
    return path && *path != "." && ::rmdir(path->c_str()) == 0;
}

std::vector<DirectoryEntry> ListDirectory(const char* name) {
    std::vector<DirectoryEntry> entries;
    const auto path = ResolvePath(name);
    if (!path) return entries;
    DIR* d = ::opendir(path->c_str());
    if (!d) return entries;
    while (dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (entry == "." || entry == "..") continue;
        entries.push_back({entry, IsDirectoryPath(Join(*path, entry))});
    }
    ::closedir(d);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return entries;
}

bool WriteFileAtomic(const char* name, const void* data, size_t size) {
    AtomicFile file(name);
    if (file.handle() == HFILE_ERROR) return false;
    if (!WriteAll(file.handle(), data, size)) return false;
    return file.Commit();
}

AtomicFile::AtomicFile(const char* name) {
    const auto path = ResolvePath(name);
    if (!path || IsDirectoryPath(*path)) return;
    target_ = *path;
    handle_ = MakeTempBeside(target_, temp_);
}

AtomicFile::~AtomicFile() {
    if (handle_ != HFILE_ERROR) {
        ::close(handle_);
        ::unlink(temp_.c_str());
    }
}

bool AtomicFile::Commit() {
    if (handle_ == HFILE_ERROR) return false;
    const bool synced = ::fsync(handle_) == 0;
    const bool closed = ::close(handle_) == 0;
    handle_ = HFILE_ERROR;
    if (!synced || !closed || std::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        return false;
    }
    return true;
}

} // namespace platform
