#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// Runs a test inside a fresh empty folder, the working folder the file layer resolves names in.
class TempFolder {
public:
    TempFolder() : previous_(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kardol-files-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        std::filesystem::current_path(path_);
    }
    ~TempFolder() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(path_);
    }

    static void Write(const std::string& name, const std::string& bytes) {
        std::filesystem::path p(name);
        if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};
