#include "update/client/ProfileString.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::filesystem::path FindFile(const char* fileName) {
    std::error_code ec;
    const std::string wanted = Lower(fileName);
    for (std::filesystem::directory_iterator it(".", ec), end; !ec && it != end; it.increment(ec)) {
        if (Lower(it->path().filename().string()) == wanted) return it->path();
    }
    return {};
}

} // namespace

std::string GetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                    const char* fileName, size_t capacity) {
    std::string answer = defaultText ? defaultText : "";
    const auto path = fileName ? FindFile(fileName) : std::filesystem::path();
    if (!path.empty()) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        bool inSection = false;
        const std::string wantedSection = Lower(section ? section : "");
        const std::string wantedKey = Lower(key ? key : "");
        while (std::getline(in, line)) {
            line = Trim(line);
            if (line.empty() || line[0] == ';') continue;
            if (line[0] == '[') {
                const auto close = line.find(']');
                inSection =
                    close != std::string::npos && Lower(Trim(line.substr(1, close - 1))) == wantedSection;
                continue;
            }
            const auto equals = line.find('=');
            if (!inSection || equals == std::string::npos) continue;
            if (Lower(Trim(line.substr(0, equals))) != wantedKey) continue;
            answer = Trim(line.substr(equals + 1));
            break;
        }
    }
    if (capacity == 0) return {};
    if (answer.size() > capacity - 1) answer.resize(capacity - 1);
    return answer;
}
