#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Entered (the working folder, where game file names resolve, for the object's life)
// unless made with Stay.
class TempFolder {
public:
    enum Mode { Enter, Stay };

    explicit TempFolder(Mode mode = Enter) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kardol-test-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
        text_ = path_.string();
        if (mode == Enter && !path_.empty()) {
            previous_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~TempFolder() {
        std::error_code ec;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as text, for names built by appending.
    const std::string& str() const { return text_; }

    // Writes the bytes to path()/name (creating sub-folders) and returns the full path.
    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::filesystem::path full = path_ / name;
        Write(full, bytes);
        return full.string();
    }

    // Writes a file whole, creating its sub-folders; a relative name is taken in the working folder.
    static void Write(const std::filesystem::path& file, std::string_view bytes) {
        if (file.has_parent_path()) {
            std::error_code ec;
            std::filesystem::create_directories(file.parent_path(), ec);
        }
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static void Write(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
        Write(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    static void Write(const std::filesystem::path& file, const char* text) {
        Write(file, std::string_view(text));
    }
    static void Write(const std::filesystem::path& file, const std::string& text) {
        Write(file, std::string_view(text));
    }
    static std::string Read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
    std::string text_;
    std::filesystem::path previous_;
};

} // namespace testsupport
