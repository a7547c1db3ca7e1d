#include "engine/ErrorList.h"
#include "engine/Tools.h"
#include "platform/Big5.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {
// A game name inside the working folder is found as the game wrote it, whatever the case on disk;
// any other path (a whole folder name, say) only has its "\" separators turned round.
fs::path HostPath(const std::string& gamePath) {
    if (auto resolved = platform::ResolvePath(gamePath.c_str())) return fs::path(*resolved);
    std::string p = gamePath;
    std::replace(p.begin(), p.end(), '\\', '/');
    return fs::path(p);
}

// A plain file: neither read-only nor hidden nor anything but a regular file.
bool IsPlainFile(const fs::directory_entry& entry) {
    std::error_code ec;
    if (!entry.is_regular_file(ec) || entry.is_symlink(ec)) return false;
    const std::string name = entry.path().filename().string();
    if (!name.empty() && name[0] == '.') return false;
    const fs::perms perms = entry.status(ec).permissions();
    return (perms & fs::perms::owner_write) != fs::perms::none;
}
} // namespace

int Zu_Tools::ListFiles(const char* folder, const char* subfolder, Zu_ErrorList& list) {
    list.Clear();
    if (!folder || !subfolder) return 0;
    const std::string prefix = std::string(folder) + "\\" + subfolder + "\\";
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(HostPath(prefix), ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec)) continue;
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        list.Add((prefix + name).c_str(), 0, 0, 0);
    return static_cast<int>(names.size());
}

int Zu_Tools::DeleteTree(const char* folder) {
    if (!folder) return 0;
    const fs::path root = HostPath(folder);
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        std::error_code ignored;
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
            if (!name.empty() && name[0] != '.') DeleteTree(entry.path().string().c_str());
        } else if (IsPlainFile(entry)) {
            fs::remove(entry.path(), ignored);
        }
    }
    std::error_code removeError;
    return fs::remove(root, removeError) ? 1 : 0;
}

size_t Zu_Tools::LoadWholeFile(const char* path, std::unique_ptr<uint8_t[]>& buffer) {
    buffer.reset();
    if (!path) return 0;
    FILE* file = std::fopen(HostPath(path).c_str(), "rb");
    if (!file) return 0;
    size_t size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        if (end > 0 && std::fseek(file, 0, SEEK_SET) == 0) size = static_cast<size_t>(end);
    }
    if (size > 0) {
        auto data = std::make_unique<uint8_t[]>(size);
        if (std::fread(data.get(), 1, size, file) == size) {
            buffer = std::move(data);
        } else {
            size = 0;
        }
    }
    std::fclose(file);
    return size;
}

namespace {

// A desktop entry's string value: backslash, line breaks and tabs escaped.
std::string EntryString(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The program as one quoted argument of an Exec line: inside the quotes ", `, $ and \ take a
// backslash, and % is doubled, before the value itself is escaped.
std::string ExecArgument(const std::string& program) {
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return EntryString(quoted);
}

} // namespace

int Zu_Tools::CreateShortcut(const char* target, const char* description, const char* linkPath) {
    if (!target || !*target || !linkPath || !*linkPath) return 0;
    std::error_code ec;
    const fs::path program = fs::absolute(HostPath(target), ec);
    if (ec) return 0;
    const std::string name = platform::Big5ToUtf8(description ? description : "");
    std::string entry = "[Desktop Entry]\nType=Application\n";
    entry += "Name=" + EntryString(name) + "\n";
    entry += "Comment=" + EntryString(name) + "\n";
    entry += "Exec=" + ExecArgument(program.string()) + "\n";
    // The link starts the program in its own folder.
    entry += "Path=" + EntryString(program.parent_path().string()) + "\n";
    // Inside the game folder the file layer writes it; elsewhere a temporary file beside the link
    // is renamed into place the same way.
    if (platform::ResolvePath(linkPath))
        return platform::WriteFileAtomic(linkPath, entry.data(), entry.size()) ? 1 : 0;
    const fs::path link = HostPath(linkPath);
    const fs::path temp = link.string() + ".tmp";
    {
        std::FILE* f = std::fopen(temp.c_str(), "wb");
        if (!f) return 0;
        const bool written = std::fwrite(entry.data(), 1, entry.size(), f) == entry.size();
        if (std::fclose(f) != 0 || !written) {
            fs::remove(temp, ec);
            return 0;
        }
    }
    fs::rename(temp, link, ec);
    if (ec) {
        fs::remove(temp, ec);
        return 0;
    }
    return 1;
}
