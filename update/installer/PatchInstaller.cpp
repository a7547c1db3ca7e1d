#include "update/installer/PatchInstaller.h"

#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "update/installer/EmbeddedResources.h"
#include "update/shared/GameFolder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace PatchInstaller {

using namespace platform;

const PayloadEntry kPayload[kPayloadCount] = {
    {"\\Kardol.exe", 494},  {"\\stage21.evt", 498}, {"\\stage16.evt", 499},     {"\\stage30.spr", 500},
    {"\\stage14.spr", 501}, {"\\stage25.spr", 502}, {"\\stage19.evt", 503},     {"\\general.ini", 504},
    {"\\Win12.gui", 505},   {"\\Update.Ini", 506},  {"\\Patchrunner.exe", 507}, {"\\Cg001.wz", 508},
};

const char kVersion[] = "2.02T";
// "VelmoraII更新程式"
const char kCaption[] = "VelmoraII\xA7\xF3\xB7s\xB5{\xA6\xA1";
// "錯誤 : 尚未安裝VelmoraII,請先安裝VelmoraII後,再執行更新程式"
const char kNotInstalled[] =
    "\xBF\xF9\xBB~ : \xA9|\xA5\xBC\xA6w\xB8\xCBVelmoraII,\xBD\xD0\xA5\xFD\xA6w\xB8\xCB"
    "VelmoraII\xAB\xE1,\xA6"
    "A\xB0\xF5\xA6\xE6\xA7\xF3\xB7s\xB5{\xA6\xA1";
// "錯誤 : 無法開啟來源檔案!!"
const char kSourceError[] = "\xBF\xF9\xBB~ : \xB5L\xAAk\xB6}\xB1\xD2\xA8\xD3\xB7\xBD\xC0\xC9\xAE\xD7!!";
// "錯誤 : 無法開啟目的檔案!!"
const char kTargetError[] = "\xBF\xF9\xBB~ : \xB5L\xAAk\xB6}\xB1\xD2\xA5\xD8\xAA\xBA\xC0\xC9\xAE\xD7!!";

namespace {

// "版本 " and " 已更新成功!!"
const char kDonePrefix[] = "\xAA\xA9\xA5\xBB ";
const char kDoneSuffix[] = " \xA4w\xA7\xF3\xB7s\xA6\xA8\xA5\\!!";

const char kGameKey[] = "Software\\VelmoraII";
const char kClientKey[] = "Software\\Kardol";

void Message(const char* text) {
    MessageBoxA(nullptr, text, kCaption, MB_OK);
}

// A text value, cut at its first zero byte or at the bytes the registry returned.
std::optional<std::string> ReadText(HKEY key, const char* name, uint32_t capacity) {
    std::vector<uint8_t> buffer(capacity, 0);
    uint32_t type = 0;
    uint32_t size = capacity;
    if (RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (size > capacity) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(buffer.data());
    return std::string(text, strnlen(text, size));
}

void WriteText(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(text.data()),
                   static_cast<uint32_t>(text.size()));
}

std::optional<std::string> ReadWorkPath() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, kGameKey, &key) != ERROR_SUCCESS) return std::nullopt;
    auto folder = ReadText(key, "WorkPath", 260);
    RegCloseKey(key);
    return folder;
}

// Where the update client lives; the version is written only once the files are in place.
void RecordClientPath(const std::string& folder) {
    HKEY key = nullptr;
    const std::string client = folder + "\\Patchrunner.exe";
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kClientKey, &key) == ERROR_SUCCESS) {
        if (!ReadText(key, "RunFilename", 512)) {
            WriteText(key, "DestDir", folder);
            WriteText(key, "RunFilename", client);
        }
        RegCloseKey(key);
    } else if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kClientKey, &key) == ERROR_SUCCESS) {
        WriteText(key, "DestDir", folder);
        WriteText(key, "RunFilename", client);
        RegCloseKey(key);
    }
}

void WriteVersions() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, kGameKey, &key) == ERROR_SUCCESS) {
        WriteText(key, "GameVersion", kVersion);
        RegCloseKey(key);
    }
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kClientKey, &key) == ERROR_SUCCESS) {
        WriteText(key, "GameVersion", kVersion);
        RegCloseKey(key);
    }
}

// Programs of the payload stay runnable after the replacement.
bool IsProgram(const char* name) {
    const std::string text = name;
    if (text.size() < 4) return false;
    std::string ending = text.substr(text.size() - 4);
    for (char& c : ending)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ending == ".exe";
}

struct Staged {
    std::filesystem::path temporary;
    std::filesystem::path target;
    bool program = false;
};

void DiscardAll(const std::vector<Staged>& staged) {
    for (const auto& s : staged)
        GameFolder::DiscardTemporary(s.temporary);
}

} // namespace

int InstallerMain() {
    if (!ReadWorkPath()) {
        Message(kNotInstalled);
        return kExitNotInstalled;
    }
    if (auto first = ReadWorkPath()) RecordClientPath(*first);

    const GameFolder folder(ReadWorkPath().value_or(std::string()));

    // Every file goes to a temporary file first; the targets are replaced only when all of them
    // were written, so a failure leaves the installed game as it was.
    std::vector<Staged> staged;
    for (const PayloadEntry& entry : kPayload) {
        HRSRC resource = FindResourceA(entry.resourceId, "IDR");
        HGLOBAL loaded = LoadResource(resource);
        const uint8_t* data = LockResource(loaded);
        if (!data) {
            DiscardAll(staged);
            // A build made without the patch files says so beside the installer's own message.
            if (staged.empty())
                std::fprintf(stderr,
                             "Update: this build carries no patch files (\"%s\" is not built in); "
                             "nothing was changed\n",
                             entry.name + 1);
            Message(kSourceError);
            return kExitSourceMissing;
        }
        const uint32_t bytes = SizeofResource(resource);
        const auto target = folder.Resolve(entry.name + 1);
        const auto temporary = target ? GameFolder::WriteTemporary(*target, data, bytes) : std::nullopt;
        FreeResource(loaded);
        if (!temporary) {
            DiscardAll(staged);
            Message(kTargetError);
            return kExitTargetFailed;
        }
        staged.push_back({*temporary, *target, IsProgram(entry.name)});
    }
    for (size_t i = 0; i < staged.size(); ++i) {
        if (!GameFolder::CommitTemporary(staged[i].temporary, staged[i].target, staged[i].program)) {
            DiscardAll(std::vector<Staged>(staged.begin() + static_cast<ptrdiff_t>(i), staged.end()));
            Message(kTargetError);
            return kExitTargetFailed;
        }
    }

    WriteVersions();
    const std::string done = std::string(kDonePrefix) + kVersion + kDoneSuffix;
    Message(done.c_str());
    return kExitSuccess;
}

} // namespace PatchInstaller
