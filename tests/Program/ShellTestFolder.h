#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// A fresh temporary folder made the working folder while the test runs.
class ShellTestFolder {
public:
    ShellTestFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kardol-shell-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ShellTestFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ShellTestFolder(const ShellTestFolder&) = delete;
    ShellTestFolder& operator=(const ShellTestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    static std::string Read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::filesystem::path& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
