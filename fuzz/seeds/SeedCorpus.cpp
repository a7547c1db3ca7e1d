#include "SeedCorpus.h"

#include "engine/GameFileWriters.h"

#include <cstdio>

std::filesystem::path SeedCorpus::Write(const std::string& target, const std::string& name,
                                        const std::vector<uint8_t>& bytes) {
    const std::filesystem::path folder = dir_ / target;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::filesystem::path file = folder / name;
    if (!gamefiles::WriteBytes(file.string(), bytes)) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", file.c_str());
        ++faults_;
    } else {
        ++written_;
    }
    return file;
}

std::filesystem::path SeedCorpus::Write(const std::string& target, const std::string& name,
                                        std::string_view text) {
    return Write(target, name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string SeedCorpus::Scratch(const std::string& name, const std::vector<uint8_t>& bytes) {
    if (!gamefiles::WriteBytes(name, bytes)) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot write %s in the scratch folder\n", name.c_str());
        ++faults_;
    }
    return name;
}

void SeedCorpus::Check(bool good, const std::string& target, const std::string& name,
                       const std::string& what) {
    if (good) return;
    std::fprintf(stderr, "make_fuzz_seeds: seed %s/%s: %s\n", target.c_str(), name.c_str(), what.c_str());
    ++faults_;
}
