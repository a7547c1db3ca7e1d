#include "engine/ErrorList.h"
#include "engine/Tools.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {
// Game paths use "\" between their parts.
fs::path HostPath(const std::string& gamePath) {
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
