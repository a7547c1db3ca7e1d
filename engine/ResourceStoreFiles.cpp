#include "engine/ResourceStoreFiles.h"

#include "platform/Files.h"

bool ReadGameFile(const char* name, std::vector<uint8_t>& out) {
    out.clear();
    if (!name || !*name) return false;
    const platform::HFILE f = platform::_lopen(name, platform::OF_READ);
    if (f == platform::HFILE_ERROR) return false;
    const int32_t size = platform::_llseek(f, 0, platform::FILE_END);
    bool ok = size >= 0 && static_cast<size_t>(size) <= kMaxGameFileSize &&
              platform::_llseek(f, 0, platform::FILE_BEGIN) == 0;
    if (ok) {
        out.resize(static_cast<size_t>(size));
        ok = size == 0 ||
             platform::_lread(f, out.data(), static_cast<uint32_t>(size)) == static_cast<uint32_t>(size);
    }
    platform::_lclose(f);
    if (!ok) out.clear();
    return ok;
}
