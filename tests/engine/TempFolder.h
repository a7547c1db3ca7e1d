#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// A fresh folder under the system's temporary folder, optionally made the working folder for the
// test's length; removed afterwards.
class TempFolder {
public:
    explicit TempFolder(bool enter = false) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kardol-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        if (enter) {
            previous_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~TempFolder() {
        if (!previous_.empty()) std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    static std::string Read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
