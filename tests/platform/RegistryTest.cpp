#include "platform/Registry.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace platform;

namespace {

// Points the registry at a file of its own for the test.
class RegistryFile {
public:
    RegistryFile() {
        const char* old = std::getenv("KARDOL_REGISTRY");
        if (old) previous_ = old;
        path_ = (folder_.path() / "registry.ini").string();
        setenv("KARDOL_REGISTRY", path_.c_str(), 1);
    }
    ~RegistryFile() {
        if (previous_.empty())
            unsetenv("KARDOL_REGISTRY");
        else
            setenv("KARDOL_REGISTRY", previous_.c_str(), 1);
    }
    const std::string& path() const { return path_; }
    const std::filesystem::path& folder() const { return folder_.path(); }

private:
    testsupport::TempFolder folder_{testsupport::TempFolder::Stay};
    std::string path_;
    std::string previous_;
};

std::string QueryString(HKEY key, const char* name) {
    char buffer[300] = {};
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<uint8_t*>(buffer), &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    EXPECT_EQ(type, REG_SZ);
    return std::string(buffer, size - 1);
}

} // namespace

TEST(Registry, ValuesRoundTripThroughTheFileByteForByte) {
    RegistryFile file;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Software\\VelmoraII", &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Software\\VelmoraII", &key), ERROR_SUCCESS);
    const std::string big5 = "C:\\\xB9\x43\xC0\xB8\\Game%=x"; // 遊戲 with a percent and an equals sign
    ASSERT_EQ(RegSetValueExA(key, "WorkPath", 0, REG_SZ, reinterpret_cast<const uint8_t*>(big5.c_str()),
                             static_cast<uint32_t>(big5.size())),
              ERROR_SUCCESS);
    const uint32_t version = 0x01020304;
    ASSERT_EQ(RegSetValueExA(key, "GameVersion", 0, REG_DWORD, reinterpret_cast<const uint8_t*>(&version), 4),
              ERROR_SUCCESS);
    const uint8_t binary[] = {0, 10, 13, 0x25, 0xFF, '[', ']'};
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_FALSE(std::filesystem::exists(file.path() + ".tmp"));

    // Keys and value names are found whatever their case.
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "software\\velmoraii", &key), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, "workpath"), big5);
    uint32_t dword = 0, size = 4, type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "GameVersion", nullptr, &type, reinterpret_cast<uint8_t*>(&dword), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(dword, version);
    uint8_t back[16] = {};
    size = sizeof back;
    ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, back, &size), ERROR_SUCCESS);
    ASSERT_EQ(size, sizeof binary);
    EXPECT_EQ(std::memcmp(back, binary, sizeof binary), 0);
    // Too small a buffer answers the size it needs.
    size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, back, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof binary);
    EXPECT_EQ(RegQueryValueExA(key, "Nothing", nullptr, &type, back, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "Blob"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    // Another root keeps its own keys.
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\VelmoraII", &key), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, TheFileComesFromTheEnvironment) {
    const char* old = std::getenv("KARDOL_REGISTRY");
    const std::string keep = old ? old : "";
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string keepXdg = oldXdg ? oldXdg : "";
    unsetenv("KARDOL_REGISTRY");
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(RegistryFilePath(), "/somewhere/config/kardol/registry.ini");
    setenv("KARDOL_REGISTRY", "/tmp/x.ini", 1);
    EXPECT_EQ(RegistryFilePath(), "/tmp/x.ini");
    if (keep.empty())
        unsetenv("KARDOL_REGISTRY");
    else
        setenv("KARDOL_REGISTRY", keep.c_str(), 1);
    if (keepXdg.empty())
        unsetenv("XDG_CONFIG_HOME");
    else
        setenv("XDG_CONFIG_HOME", keepXdg.c_str(), 1);
}

TEST(Registry, AWriteThatCannotFinishFailsAndLeavesTheFileAsItWas) {
    RegistryFile file;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Kept", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Name", 0, REG_SZ, reinterpret_cast<const uint8_t*>("kept"), 4),
              ERROR_SUCCESS);
    auto contents = [&] {
        std::ifstream in(file.path(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = contents();
    ASSERT_FALSE(before.empty());

    // A file size limit stands in for a full disk: the new file cannot be written whole.
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = before.size() + 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string big(600, 'x'); // small enough to wait in the stream's buffer
    const long result = RegSetValueExA(key, "Big", 0, REG_SZ, reinterpret_cast<const uint8_t*>(big.data()),
                                       uint32_t(big.size()));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_NE(result, ERROR_SUCCESS);
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(QueryString(key, "Name"), "kept");
    EXPECT_FALSE(std::filesystem::exists(file.path() + ".tmp"));
    RegCloseKey(key);
}
