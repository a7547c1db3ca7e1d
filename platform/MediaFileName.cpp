#include "platform/MediaFileName.h"

#include "platform/Files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace platform {
namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Finds an entry of the folder whose name equals `part` ignoring ASCII case.
bool FindFolded(const std::string& folder, const std::string& part, std::string& found) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    bool hit = false;
    while (dirent* e = ::readdir(dir)) {
        if (::strcasecmp(e->d_name, part.c_str()) == 0) {
            found = e->d_name;
            hit = true;
            break;
        }
    }
    ::closedir(dir);
    return hit;
}

} // namespace

std::string ResolveMediaFileName(const char* name) {
    std::string plain = name ? name : "";
    for (char& c : plain)
        if (c == '\\') c = '/';
    if (plain.empty()) return plain;
    // Game names are relative to the working folder and go through the game's own resolver, which
    // refuses a name climbing out of it (nothing is opened then); absolute paths (tools and tests)
    // are folded here.
    if (plain[0] != '/') {
        std::optional<std::string> resolved = ResolvePath(name);
        return resolved ? *resolved : std::string();
    }
    if (Exists(plain)) return plain;
    std::string result;
    size_t start = 0;
    if (plain[0] == '/') {
        result = "/";
        start = 1;
    }
    while (start <= plain.size()) {
        size_t end = plain.find('/', start);
        if (end == std::string::npos) end = plain.size();
        std::string part = plain.substr(start, end - start);
        if (!part.empty()) {
            std::string folder = result;
            std::string candidate = folder + part;
            std::string found;
            if (!Exists(candidate) && FindFolded(folder, part, found)) candidate = folder + found;
            if (!Exists(candidate)) return plain;
            result = candidate;
            if (end < plain.size()) result += '/';
        }
        start = end + 1;
    }
    return result;
}

} // namespace platform
