#include "platform/Registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

namespace platform {

struct RegKey {
    std::string path; // "HKEY_CLASSES_ROOT\Software\VelmoraII"
    bool predefined = false;
};

namespace {

RegKey classesRoot{"HKEY_CLASSES_ROOT", true};
RegKey currentUser{"HKEY_CURRENT_USER", true};
RegKey localMachine{"HKEY_LOCAL_MACHINE", true};

struct Value {
    std::string name;
    uint32_t type = REG_SZ;
    std::vector<uint8_t> data;
};
struct Key {
    std::string name;
    std::vector<Value> values;
};
using Store = std::map<std::string, Key>; // by folded path

std::mutex storeMutex;

std::string Fold(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Escape(const std::vector<uint8_t>& bytes) {
    std::string out;
    char hex[4];
    for (uint8_t b : bytes) {
        if (b < 0x20 || b == '%' || b == 0x7F) {
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            out += hex;
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

std::vector<uint8_t> Unescape(const std::string& s) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            char hex[3] = {s[i + 1], s[i + 2], 0};
            out.push_back(static_cast<uint8_t>(std::strtoul(hex, nullptr, 16)));
            i += 2;
        } else {
            out.push_back(static_cast<uint8_t>(s[i]));
        }
    }
    return out;
}

// Key paths are names, so the escape never meets '[' or ']' in practice; keep them plain.
Store Load() {
    Store store;
    std::ifstream in(RegistryFilePath(), std::ios::binary);
    if (!in) return store;
    std::string line;
    Key* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            std::string name = line.substr(1, line.size() - 2);
            Key& k = store[Fold(name)];
            k.name = name;
            current = &k;
            continue;
        }
        if (!current) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        size_t colon = line.find(':', eq + 1);
        if (colon == std::string::npos) continue;
        Value v;
        std::vector<uint8_t> name = Unescape(line.substr(0, eq));
        v.name.assign(name.begin(), name.end());
        std::string type = line.substr(eq + 1, colon - eq - 1);
        v.type = type == "sz"       ? REG_SZ
                 : type == "dword"  ? REG_DWORD
                 : type == "binary" ? REG_BINARY
                                    : REG_NONE;
        v.data = Unescape(line.substr(colon + 1));
        current->values.push_back(std::move(v));
    }
    return store;
}

bool Save(const Store& store) {
    std::string path = RegistryFilePath();
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::ostringstream out;
    for (const auto& [folded, key] : store) {
        out << '[' << key.name << "]\n";
        for (const Value& v : key.values) {
            const char* type = v.type == REG_SZ       ? "sz"
                               : v.type == REG_DWORD  ? "dword"
                               : v.type == REG_BINARY ? "binary"
                                                      : "none";
            out << Escape(std::vector<uint8_t>(v.name.begin(), v.name.end())) << '=' << type << ':'
                << Escape(v.data) << '\n';
        }
        out << '\n';
    }
    std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        const std::string s = out.str();
        f.write(s.data(), static_cast<std::streamsize>(s.size()));
        // The last bytes reach the file only on close: a failure there must not replace the file.
        f.close();
        if (!f) {
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::filesystem::rename(tmp, path, ec);
    return !ec;
}

std::string Join(HKEY root, const char* subKey) {
    std::string path = root->path;
    if (subKey && *subKey) {
        std::string sub = subKey;
        while (!sub.empty() && sub.front() == '\\')
            sub.erase(0, 1);
        while (!sub.empty() && sub.back() == '\\')
            sub.pop_back();
        if (!sub.empty()) path += "\\" + sub;
    }
    return path;
}

Value* FindValue(Key& key, const char* name) {
    std::string n = Fold(name ? name : "");
    for (Value& v : key.values)
        if (Fold(v.name) == n) return &v;
    return nullptr;
}

} // namespace

const HKEY HKEY_CLASSES_ROOT = &classesRoot;
const HKEY HKEY_CURRENT_USER = &currentUser;
const HKEY HKEY_LOCAL_MACHINE = &localMachine;

std::string RegistryFilePath() {
    if (const char* env = std::getenv("KARDOL_REGISTRY"); env && *env) return env;
    std::string path = ".";
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
        path.assign(x);
    } else if (const char* h = std::getenv("HOME"); h && *h) {
        path.assign(h);
        path.append("/.config");
    }
    path.append("/kardol/registry.ini");
    return path;
}

long RegOpenKeyA(HKEY root, const char* subKey, HKEY* result) {
    if (!root || !result) return ERROR_INVALID_HANDLE;
    *result = nullptr;
    std::string path = Join(root, subKey);
    if (path == root->path && root->predefined) {
        *result = root;
        return ERROR_SUCCESS;
    }
    std::lock_guard lock(storeMutex);
    Store store = Load();
    if (!store.count(Fold(path))) return ERROR_FILE_NOT_FOUND;
    *result = new RegKey{path, false};
    return ERROR_SUCCESS;
}

long RegOpenKeyExA(HKEY root, const char* subKey, uint32_t, uint32_t, HKEY* result) {
    return RegOpenKeyA(root, subKey, result);
}

long RegCreateKeyA(HKEY root, const char* subKey, HKEY* result) {
    if (!root || !result) return ERROR_INVALID_HANDLE;
    *result = nullptr;
    std::string path = Join(root, subKey);
    std::lock_guard lock(storeMutex);
    Store store = Load();
    std::string folded = Fold(path);
    if (!store.count(folded)) {
        store[folded].name = path;
        if (!Save(store)) return ERROR_ACCESS_DENIED;
    }
    *result = new RegKey{path, false};
    return ERROR_SUCCESS;
}

long RegCloseKey(HKEY key) {
    if (!key) return ERROR_INVALID_HANDLE;
    if (!key->predefined) delete key;
    return ERROR_SUCCESS;
}

long RegQueryValueExA(HKEY key, const char* name, uint32_t*, uint32_t* type, uint8_t* data, uint32_t* size) {
    if (!key) return ERROR_INVALID_HANDLE;
    std::lock_guard lock(storeMutex);
    Store store = Load();
    auto it = store.find(Fold(key->path));
    if (it == store.end()) return ERROR_FILE_NOT_FOUND;
    Value* v = FindValue(it->second, name);
    if (!v) return ERROR_FILE_NOT_FOUND;
    // Strings come back with their terminating zero, as the system gives them.
    std::vector<uint8_t> bytes = v->data;
    if (v->type == REG_SZ && (bytes.empty() || bytes.back() != 0)) bytes.push_back(0);
    if (type) *type = v->type;
    const uint32_t need = static_cast<uint32_t>(bytes.size());
    if (data) {
        if (!size || *size < need) {
            if (size) *size = need;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, bytes.data(), need);
    }
    if (size) *size = need;
    return ERROR_SUCCESS;
}

long RegSetValueExA(HKEY key, const char* name, uint32_t, uint32_t type, const uint8_t* data, uint32_t size) {
    if (!key) return ERROR_INVALID_HANDLE;
    std::lock_guard lock(storeMutex);
    Store store = Load();
    Key& k = store[Fold(key->path)];
    if (k.name.empty()) k.name = key->path;
    Value* v = FindValue(k, name);
    if (!v) {
        k.values.push_back(Value{name ? name : "", type, {}});
        v = &k.values.back();
    }
    v->type = type;
    v->data.assign(data, data + (data ? size : 0));
    // A stated length that includes the terminator stores the same text as one without it.
    if (type == REG_SZ) {
        auto nul = std::find(v->data.begin(), v->data.end(), uint8_t{0});
        v->data.erase(nul, v->data.end());
    }
    return Save(store) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

long RegDeleteValueA(HKEY key, const char* name) {
    if (!key) return ERROR_INVALID_HANDLE;
    std::lock_guard lock(storeMutex);
    Store store = Load();
    auto it = store.find(Fold(key->path));
    if (it == store.end()) return ERROR_FILE_NOT_FOUND;
    auto& values = it->second.values;
    std::string n = Fold(name ? name : "");
    for (auto v = values.begin(); v != values.end(); ++v) {
        if (Fold(v->name) == n) {
            values.erase(v);
            return Save(store) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

long RegDeleteKeyA(HKEY root, const char* subKey) {
    if (!root) return ERROR_INVALID_HANDLE;
    std::lock_guard lock(storeMutex);
    Store store = Load();
    if (!store.erase(Fold(Join(root, subKey)))) return ERROR_FILE_NOT_FOUND;
    return Save(store) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

} // namespace platform
