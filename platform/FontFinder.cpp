#include "platform/FontFinder.h"

#include "platform/Big5.h"

#include <fontconfig/fontconfig.h>
#include <map>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#define KARDOL_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KARDOL_LSAN 1
#endif
#endif

#ifdef KARDOL_LSAN
// fontconfig loses a few blocks while it parses its configuration files; they are not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace platform {
namespace {

constexpr const char* kMingFamily = "AR PL UMing TW";
constexpr const char* kKaiFamily = "AR PL UKai TW";

std::optional<FontFile> queryFamily(const std::string& family) {
    if (!FcInit()) return std::nullopt;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return std::nullopt;

    std::optional<FontFile> found;
    FcChar8* got = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FAMILY, 0, &got) == FcResultMatch &&
        FcStrCmpIgnoreCase(got, reinterpret_cast<const FcChar8*>(family.c_str())) == 0 &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        found = FontFile{reinterpret_cast<const char*>(file), index, family};
    }
    FcPatternDestroy(match);
    return found;
}

const char* mappedFamily(const std::string& faceName) {
    // The names may come as Big5 (from the game's font records) or as UTF-8.
    static const std::map<std::string, const char*> names = {
        {"\xB2\xD3\xA9\xFA\xC5\xE9", kMingFamily},         // 細明體
        {"\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9", kMingFamily}, // 新細明體
        {"\xBC\xD0\xB7\xA2\xC5\xE9", kKaiFamily},          // 標楷體
        {"細明體", kMingFamily},
        {"新細明體", kMingFamily},
        {"標楷體", kKaiFamily},
    };
    auto it = names.find(faceName);
    return it == names.end() ? nullptr : it->second;
}

} // namespace

std::optional<FontFile> FindFontFamily(const std::string& family) {
    static std::mutex mutex;
    static std::map<std::string, std::optional<FontFile>> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(family);
    if (it != cache.end()) return it->second;
    auto found = queryFamily(family);
    cache.emplace(family, found);
    return found;
}

std::optional<FontFile> FindGameFont(const std::string& faceName) {
    if (const char* family = mappedFamily(faceName)) {
        if (auto f = FindFontFamily(family)) return f;
    } else if (!faceName.empty()) {
        if (auto f = FindFontFamily(faceName)) return f;
    }
    return FindFontFamily(kMingFamily);
}

} // namespace platform
